#include "uha/src/output.h"

#include <string>

namespace uha {

namespace {
constexpr auto kTotalInterval = std::chrono::milliseconds(250);
}

std::string total_line(int percent) {
    std::string number = std::to_string(percent);
    if (number.size() < 3) number.insert(0, 3 - number.size(), ' ');
    return "Total: " + number + "%";
}

int percent_of(uint64_t done, uint64_t total) {
    if (total == 0 || done >= total) return 100;
    // done * 100 could overflow for huge sizes; scale down first.
    while (total > UINT64_MAX / 100) {
        total >>= 1;
        done >>= 1;
    }
    return static_cast<int>(done * 100 / total);
}

Progress::Progress(LineSink& sink, std::string verb, uint64_t total_bytes, uint64_t total_files)
    : sink_(sink),
      verb_(std::move(verb)),
      total_bytes_(total_bytes),
      total_files_(total_files),
      last_total_(std::chrono::steady_clock::now()) {}

void Progress::file_started(const std::string& name) {
    std::lock_guard lock(mutex_);
    sink_.line(verb_ + " " + name);
}

void Progress::add_bytes(uint64_t n) {
    std::lock_guard lock(mutex_);
    done_bytes_ += n;
    if (std::chrono::steady_clock::now() - last_total_ >= kTotalInterval) total_locked();
}

void Progress::file_done() {
    std::lock_guard lock(mutex_);
    ++done_files_;
    // With many small files most would repeat the last percentage: only a new one is written.
    if (percent_locked() != last_percent_) total_locked();
}

void Progress::note(const std::string& text) {
    std::lock_guard lock(mutex_);
    sink_.line(text);
}

int Progress::percent_locked() const {
    // Bytes measure the work; an archive of empty files counts files instead.
    return total_bytes_ > 0 ? percent_of(done_bytes_, total_bytes_)
                            : percent_of(done_files_, total_files_);
}

void Progress::total_locked() {
    last_total_ = std::chrono::steady_clock::now();
    last_percent_ = percent_locked();
    sink_.line(total_line(last_percent_));
}

}  // namespace uha

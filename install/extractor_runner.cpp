#include "extractor_runner.h"

#include <cstring>
#include <vector>

#include "progress_rules.h"

namespace setup {

namespace {

class Run {
  public:
    Run(ExtractorHost& host) : host_(host) {}

    void go(const std::string& command_line) {
        host_.cancel_requested() = false;
        start_ = host_.now_days();
        host_.set_label("Label22", "Czas: 00:00:00");
        host_.set_label("Label23", "Razem: 00:00:00");
        host_.set_label("Label24", "Pozostało: 00:00:00");
        host_.set_position(0);

        ExtractorHost::Start result;
        std::unique_ptr<ExtractorProcess> process = host_.start(command_line, result);
        if (result == ExtractorHost::Start::pipe_failed || !process) return;
        buffer_.assign(kReadSize + 1, '\0');
        if (result == ExtractorHost::Start::started) poll(*process);
        finish(*process);
    }

  private:
    void poll(ExtractorProcess& process) {
        while (true) {
            const bool timed_out = process.wait(kPollMs) == ExtractorProcess::Wait::timeout;
            host_.pump_messages();
            // A full read is followed by another at once: more output is likely waiting.
            while (read_chunk(process) == kReadSize && !host_.cancel_requested()) {
            }
            if (!timed_out || host_.cancel_requested()) break;
        }
    }

    size_t read_chunk(ExtractorProcess& process) {
        size_t n = process.read(buffer_.data(), kReadSize);
        buffer_[n] = '\0';
        host_.oem_to_ansi(buffer_.data());
        // The chunk's text ends at its first zero byte.
        for (const std::string& line : assembler_.feed(std::string_view(buffer_.data())))
            completed(line);
        return n;
    }

    void completed(const std::string& line) {
        host_.append_line(line);
        if (auto name = name_of(line)) host_.set_label("Label1", "Instaluję: " + *name);
        if (auto position = total_of(line, host_.position())) {
            host_.set_position(*position);
            host_.set_label("Label25", std::to_string(host_.position()) + "%");
        }
        const TimeTexts t = time_texts(elapsed_seconds(start_, host_.now_days()), host_.position());
        host_.set_label("Label22", t.elapsed);
        if (t.total) host_.set_label("Label23", *t.total);
        if (t.remaining) host_.set_label("Label24", *t.remaining);
        host_.pump_messages();
    }

    void finish(ExtractorProcess& process) {
        std::vector<char>().swap(buffer_);
        process.end();
        // A file that never goes is left, so a stuck deletion cannot hold the installation.
        for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
            if (host_.delete_extractor()) break;
            host_.pump_messages();
            host_.sleep(kDeleteRetryMs);
        }
        if (host_.cancel_requested()) host_.close_window();
    }

    ExtractorHost& host_;
    double start_ = 0.0;
    std::vector<char> buffer_;
    LineAssembler assembler_;
};

}  // namespace

void RunExtractor(const std::string& command_line, ExtractorHost& host) {
    Run(host).go(command_line);
}

}  // namespace setup

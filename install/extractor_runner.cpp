#include "install/extractor_runner.h"

#include <charconv>
#include <cstring>
#include <vector>

#include "install/progress_rules.h"

namespace setup {

namespace {

class Run {
  public:
    Run(ExtractorSystem& system, ExtractionProgress& progress, CancelToken& cancel)
        : system_(system), progress_(progress), cancel_(cancel) {}

    ExtractionOutcome go(const std::string& command_line) {
        cancel_.clear();
        start_ = system_.now_days();
        progress_.started({"Czas: 00:00:00", "Razem: 00:00:00", "Pozostało: 00:00:00"});

        ExtractorSystem::Started started = system_.start(command_line);
        std::unique_ptr<ExtractorProcess> process = std::move(started.process);
        using Kind = ExtractionOutcome::Kind;
        if (started.result == ExtractorSystem::Start::pipe_failed || !process) {
            progress_.ended();
            return {Kind::pipe_failed};
        }
        buffer_.assign(kReadSize + 1, '\0');
        ExtractionOutcome outcome{Kind::start_failed};
        if (started.result == ExtractorSystem::Start::started) {
            poll(*process);
            // Taken before the ending, which terminates a process that still runs.
            const std::optional<unsigned long> code = process->exit_code();
            if (code == 0u) {
                outcome = {Kind::completed};
            } else {
                outcome = {Kind::extractor_failed, code};
                if (code == kNotEnoughSpaceExitCode) outcome.space = shortage_;
            }
        }
        finish(*process);
        if (cancel_.requested()) outcome = {Kind::cancelled};
        return outcome;
    }

  private:
    void poll(ExtractorProcess& process) {
        while (true) {
            const bool timed_out = process.wait(kPollMs) == ExtractorProcess::Wait::timeout;
            system_.pump_messages();
            // A full read is followed by another at once: more output is likely waiting.
            while (read_chunk(process) == kReadSize && !cancel_.requested()) {
            }
            if (!timed_out || cancel_.requested()) break;
        }
    }

    size_t read_chunk(ExtractorProcess& process) {
        size_t n = process.read(buffer_.data(), kReadSize);
        buffer_[n] = '\0';
        system_.oem_to_ansi(buffer_.data());
        // The chunk's text ends at its first zero byte.
        for (const std::string& line : assembler_.feed(std::string_view(buffer_.data())))
            completed(line);
        return n;
    }

    void completed(const std::string& line) {
        progress_.output_line(line);
        if (auto shortage = space_shortage_of(line)) shortage_ = shortage;
        if (auto name = name_of(line)) progress_.file_started(*name);
        if (auto position = total_of(line, position_)) {
            position_ = *position;
            progress_.total_moved(position_);
        }
        progress_.times(time_texts(elapsed_seconds(start_, system_.now_days()), position_));
        system_.pump_messages();
    }

    void finish(ExtractorProcess& process) {
        std::vector<char>().swap(buffer_);
        process.end();
        system_.remove_extractor();
        progress_.ended();
    }

    ExtractorSystem& system_;
    ExtractionProgress& progress_;
    CancelToken& cancel_;
    double start_ = 0.0;
    int position_ = 0;  // the overall percentage shown
    std::vector<char> buffer_;
    LineAssembler assembler_;
    std::optional<SpaceShortage> shortage_;
};

// The decimal number at the start of `text`, taken off it; nullopt without one.
std::optional<uint64_t> take_number(std::string_view& text) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return std::nullopt;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

bool take(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

constexpr uint64_t kMegabyte = 1024 * 1024;

}  // namespace

std::optional<SpaceShortage> space_shortage_of(std::string_view line) {
    if (!take(line, "uha: not enough space: ")) return std::nullopt;
    const std::optional<uint64_t> needed = take_number(line);
    if (!needed || !take(line, " bytes needed, ")) return std::nullopt;
    const std::optional<uint64_t> free = take_number(line);
    if (!free || line != " bytes free") return std::nullopt;
    return SpaceShortage{*needed, *free};
}

bool remove_with_retries(const std::function<bool()>& remove_once,
                         const std::function<void()>& between) {
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (remove_once()) return true;
        between();
    }
    return false;
}

ExtractionOutcome RunExtractor(const std::string& command_line, ExtractorSystem& system,
                               ExtractionProgress& progress, CancelToken& cancel) {
    return Run(system, progress, cancel).go(command_line);
}

std::string extraction_failure_text(const ExtractionOutcome& outcome, const std::string& extractor,
                                    const std::string& archive) {
    using Kind = ExtractionOutcome::Kind;
    switch (outcome.kind) {
        case Kind::pipe_failed:
        case Kind::start_failed:
            return "Nie można uruchomić programu rozpakowującego " + extractor;
        case Kind::extractor_failed:
            if (outcome.space) {
                const uint64_t needed = outcome.space->needed / kMegabyte +
                                        (outcome.space->needed % kMegabyte != 0 ? 1 : 0);
                return "Za mało miejsca na dysku: potrzeba " + std::to_string(needed) +
                       " MB, wolne " + std::to_string(outcome.space->free / kMegabyte) + " MB";
            }
            if (!outcome.exit_code)
                return "Program rozpakowujący nie zakończył pracy nad archiwum " + archive;
            return "Rozpakowanie archiwum " + archive + " nie powiodło się (kod " +
                   std::to_string(*outcome.exit_code) +
                   "); szczegóły są na liście w oknie instalatora";
        case Kind::completed:
        case Kind::cancelled:
            break;
    }
    return "";
}

}  // namespace setup

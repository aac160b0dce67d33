#include "extractor_runner.h"

#include <cstring>
#include <vector>

#include "progress_rules.h"

namespace setup {

namespace {

class Run {
  public:
    Run(ExtractorHost& host) : host_(host) {}

    ExtractionOutcome go(const std::string& command_line) {
        host_.cancel_requested() = false;
        start_ = host_.now_days();
        host_.set_label("Label22", "Czas: 00:00:00");
        host_.set_label("Label23", "Razem: 00:00:00");
        host_.set_label("Label24", "Pozostało: 00:00:00");
        host_.set_position(0);

        ExtractorHost::Start result;
        std::unique_ptr<ExtractorProcess> process = host_.start(command_line, result);
        using Kind = ExtractionOutcome::Kind;
        if (result == ExtractorHost::Start::pipe_failed || !process) return {Kind::pipe_failed};
        buffer_.assign(kReadSize + 1, '\0');
        ExtractionOutcome outcome{Kind::start_failed};
        if (result == ExtractorHost::Start::started) {
            poll(*process);
            // Taken before the ending, which terminates a process that still runs.
            const std::optional<unsigned long> code = process->exit_code();
            if (code == 0u) {
                outcome = {Kind::completed};
            } else {
                outcome = {Kind::extractor_failed, code};
            }
        }
        finish(*process);
        if (host_.cancel_requested()) outcome = {Kind::cancelled};
        return outcome;
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

ExtractionOutcome RunExtractor(const std::string& command_line, ExtractorHost& host) {
    return Run(host).go(command_line);
}

std::string extraction_failure_text(const ExtractionOutcome& outcome, const std::string& extractor,
                                    const std::string& archive) {
    using Kind = ExtractionOutcome::Kind;
    switch (outcome.kind) {
        case Kind::pipe_failed:
        case Kind::start_failed:
            return "Nie można uruchomić programu rozpakowującego " + extractor;
        case Kind::extractor_failed:
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

#pragma once
// RunExtractor: runs the extractor hidden and turns its output into the progress page. The
// loop is portable; the process, the pipe, the clock and the page come through the
// interfaces below, which the Windows layer implements and tests replace.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "install/cancel_token.h"
#include "install/progress_rules.h"

namespace setup {

// The started extractor and the read end of its output pipe.
class ExtractorProcess {
  public:
    enum class Wait { ended, timeout, failed };
    virtual ~ExtractorProcess() = default;
    // Waits up to `ms` for the process to end.
    virtual Wait wait(unsigned ms) = 0;
    // Takes up to `max` bytes that wait in the pipe, without waiting for more; 0 when none
    // wait or the read fails.
    virtual size_t read(char* buffer, size_t max) = 0;
    // The process's exit code once it has ended; nullopt while it runs.
    virtual std::optional<unsigned long> exit_code() = 0;
    // Ends the process with exit code 0 (ended or not) and closes its handles, then the
    // pipe's read end, then its write end.
    virtual void end() = 0;
};

// What the progress page is told while the extractor runs, as events; how it shows them is
// the page's business.
class ExtractionProgress {
  public:
    virtual ~ExtractionProgress() = default;
    // Before the extractor starts: the times at zero (`zero`), the bar empty.
    virtual void started(const TimeTexts& zero) = 0;
    // The extractor has begun unpacking the file `name` (as it names it, ANSI).
    virtual void file_started(const std::string& name) = 0;
    // The overall percentage has moved to `percent` (0..100; it never goes down).
    virtual void total_moved(int percent) = 0;
    // The times after a line of output: elapsed, and once the percentage is above 0 the
    // estimated total and remaining times.
    virtual void times(const TimeTexts& times) = 0;
    // A line of the extractor's output, in order, every one.
    virtual void output_line(const std::string& line) = 0;
    // The extractor has ended (or never started) and its file is gone or left: nothing more
    // will be told.
    virtual void ended() = 0;
};

// What the runner needs of the system around it: the process, the clock, the code page, the
// window's messages and the extractor's file.
class ExtractorSystem {
  public:
    enum class Start { started, pipe_failed, start_failed };
    // With start_failed `process` still owns the pipe (its end() closes it); with pipe_failed
    // it is null.
    struct Started {
        Start result = Start::pipe_failed;
        std::unique_ptr<ExtractorProcess> process;
    };
    virtual ~ExtractorSystem() = default;
    // Makes the pipe and starts the extractor hidden.
    virtual Started start(const std::string& command_line) = 0;
    // Converts bytes from the console (OEM) code page to the ANSI one, in place.
    virtual void oem_to_ansi(char* text) = 0;
    virtual double now_days() = 0;  // the local date and time, in days
    // Lets the window answer (and the user press "Anuluj").
    virtual void pump_messages() = 0;
    // Removes the extractor's file once its process has ended (or did not start).
    virtual void remove_extractor() = 0;
};

inline constexpr size_t kReadSize = 2000;
inline constexpr unsigned kPollMs = 100;
// The extractor's file may stay locked a moment after its process ends: it is tried again
// every 10 ms, about five seconds in all, then left.
inline constexpr unsigned kDeleteRetryMs = 10;
inline constexpr int kDeleteAttempts = 500;

// Calls `remove_once` until it succeeds, at most kDeleteAttempts times, and `between` (which
// answers the window and waits kDeleteRetryMs) after each failure; true once it succeeded. A
// file that never goes is left, so a stuck deletion cannot hold the installation.
bool remove_with_retries(const std::function<bool()>& remove_once,
                         const std::function<void()>& between);

// The extractor's exit code when the archive's unpacked size does not fit in the free space of
// the target's volume; it has then written nothing and said so in one line:
// "uha: not enough space: <needed> bytes needed, <free> bytes free" (decimal numbers).
inline constexpr unsigned long kNotEnoughSpaceExitCode = 3;

struct SpaceShortage {
    uint64_t needed = 0;  // bytes
    uint64_t free = 0;    // bytes
    bool operator==(const SpaceShortage&) const = default;
};

// The two numbers of the extractor's not-enough-space line; nullopt for any other line.
std::optional<SpaceShortage> space_shortage_of(std::string_view line);

// How an extraction ended. The runner itself shows no message for any of them; the
// installation does not go on after one that did not complete, since nothing (or not
// everything) was unpacked.
struct ExtractionOutcome {
    enum class Kind { completed, cancelled, pipe_failed, start_failed, extractor_failed };
    Kind kind = Kind::completed;
    // The extractor's, for extractor_failed; none when its end was not seen (a failed wait).
    std::optional<unsigned long> exit_code = std::nullopt;
    // For extractor_failed with kNotEnoughSpaceExitCode, what its line said.
    std::optional<SpaceShortage> space = std::nullopt;
};

// Runs the extractor, telling `progress` what it does. `cancel` is cleared as it starts; once
// requested, the extractor is ended and the outcome is cancelled (closing the window is the
// caller's business then).
ExtractionOutcome RunExtractor(const std::string& command_line, ExtractorSystem& system,
                               ExtractionProgress& progress, CancelToken& cancel);

// The message for an extraction that did not complete (not for completed or cancelled). A
// shortage of space names the space needed in MB rounded up and the space free rounded down,
// so the first is always the larger.
std::string extraction_failure_text(const ExtractionOutcome& outcome, const std::string& extractor,
                                    const std::string& archive);

}  // namespace setup

// The extractor runner's loop against a scripted process and a recording page.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "install/extractor_runner.h"

using namespace setup;

namespace {

struct Pass {
    ExtractorProcess::Wait wait;
    std::deque<std::string> chunks;  // what the extractor writes to the pipe during this wait
};

struct Record {
    std::vector<std::string> events;
};

class ScriptedProcess : public ExtractorProcess {
  public:
    ScriptedProcess(std::deque<Pass> passes, unsigned long exit_code, Record& record)
        : passes_(std::move(passes)), exit_code_(exit_code), r_(record) {}
    Wait wait(unsigned) override {
        r_.events.push_back("wait");
        if (passes_.empty()) return Wait::ended;
        Pass pass = std::move(passes_.front());
        passes_.pop_front();
        pipe_.insert(pipe_.end(), pass.chunks.begin(), pass.chunks.end());
        ended_ = pass.wait == Wait::ended;
        return pass.wait;
    }
    std::optional<unsigned long> exit_code() override {
        return ended_ ? std::optional(exit_code_) : std::nullopt;
    }
    size_t read(char* buffer, size_t max) override {
        r_.events.push_back("read");
        if (pipe_.empty()) return 0;
        std::string chunk = std::move(pipe_.front());
        pipe_.pop_front();
        EXPECT_LE(chunk.size(), max);
        std::copy(chunk.begin(), chunk.end(), buffer);
        return chunk.size();
    }
    void end() override { r_.events.push_back("end"); }

  private:
    std::deque<Pass> passes_;
    unsigned long exit_code_;
    bool ended_ = false;
    std::deque<std::string> pipe_;  // each read takes one chunk
    Record& r_;
};

// The system and the page in one fake, as the run hands both to the runner; its pumps may
// press "Anuluj".
class RecordingHost : public ExtractorSystem, public ExtractionProgress {
  public:
    RecordingHost() { cancel.request(); }  // a request left from before: cleared at the start
    ExtractionOutcome run(const std::string& command) {
        return RunExtractor(command, *this, *this, cancel);
    }
    Record record;
    std::deque<Pass> passes;
    Start start_result = Start::started;
    unsigned long exit_code = 0;  // the extractor's, once it has ended
    int cancel_at_pump = -1;      // the pump during which the user presses "Anuluj"
    std::vector<std::string> files, memo;
    TimeTexts shown;  // the times as last told
    int starts = 0, pos = -1, pumps = 0, deletes = 0;
    CancelToken cancel;
    double clock = 0.0;

    Started start(const std::string& command) override {
        record.events.push_back("start " + command);
        if (start_result == Start::pipe_failed) return {start_result, nullptr};
        return {start_result,
                std::make_unique<ScriptedProcess>(std::move(passes), exit_code, record)};
    }
    void oem_to_ansi(char* text) override {
        for (char* p = text; *p; ++p)
            if (*p == '\x88') *p = '\xB3';  // OEM 852 "ł" -> ANSI 1250 "ł"
    }
    // 1.2 seconds a look: whole seconds truncate the same however the days round.
    double now_days() override { return clock += 1.2 / 86400; }
    void pump_messages() override {
        if (++pumps == cancel_at_pump) cancel.request();
    }
    void started(const TimeTexts& zero) override {
        ++starts;
        shown = zero;
        pos = 0;
    }
    void file_started(const std::string& name) override { files.push_back(name); }
    void total_moved(int p) override { pos = p; }
    void times(const TimeTexts& t) override {
        shown.elapsed = t.elapsed;
        if (t.total) shown.total = t.total;
        if (t.remaining) shown.remaining = t.remaining;
    }
    void output_line(const std::string& line) override { memo.push_back(line); }
    void ended() override { record.events.push_back("ended"); }
    void remove_extractor() override { ++deletes; }
};

std::vector<std::string> last(const std::vector<std::string>& events, size_t n) {
    return {events.end() - static_cast<std::ptrdiff_t>(std::min(n, events.size())), events.end()};
}

using W = ExtractorProcess::Wait;
using K = ExtractionOutcome::Kind;

}  // namespace

TEST(ExtractorRunner, OutputBecomesTheProgressPage) {
    RecordingHost host;
    host.passes = {{W::timeout, {"Extracting dir\\a.txt (50%)\r\nTot", "al:  50%\r\n"}},
                   {W::timeout, {}},
                   // The extractor has ended; what is left in the pipe is still read.
                   {W::ended,
                    {"Extracting \x88\xF3"
                     "d\xAB.txt\r\nTotal: 100%\r\n"}}};
    EXPECT_EQ(host.run("cmd").kind, K::completed);
    EXPECT_FALSE(host.cancel.requested());  // cleared at the start
    EXPECT_EQ(host.memo, (std::vector<std::string>{"Extracting dir\\a.txt (50%)", "Total:  50%",
                                                   "Extracting \xB3\xF3"
                                                   "d\xAB.txt",
                                                   "Total: 100%"}));
    EXPECT_EQ(host.files, (std::vector<std::string>{"dir\\a.txt",
                                                    "\xB3\xF3"
                                                    "d\xAB.txt"}));
    EXPECT_EQ(host.pos, 100);
    EXPECT_EQ(host.shown.remaining, "Pozostało: 00:00:00");
    EXPECT_EQ(last(host.record.events, 2), (std::vector<std::string>{"end", "ended"}));
    EXPECT_EQ(host.deletes, 1);
}

TEST(ExtractorRunner, FullChunksAreDrainedAtOnceAndAZeroByteEndsAChunksText) {
    RecordingHost host;
    const std::string full(kReadSize, 'x');
    host.passes = {{W::timeout, {full, full, "ab\0zz\rcd"}}, {W::ended, {"\r"}}};
    host.passes.front().chunks.back() = std::string("ab\0zz\rcd", 8);
    host.run("cmd");
    // One wait, then three reads without waiting (two full, one short), then the last pass.
    std::vector<std::string> expected = {"start cmd", "wait", "read", "read", "read",
                                         "wait",      "read", "end",  "ended"};
    EXPECT_EQ(host.record.events, expected);
    // "zz\rcd" after the zero byte never arrives; the line goes on in the next chunk.
    EXPECT_EQ(host.memo, std::vector<std::string>{full + full + "ab"});
}

TEST(ExtractorRunner, CancelParsesTheChunkAtHandThenEndsAndDeletes) {
    RecordingHost host;
    host.cancel_at_pump = 2;  // the pump after the first line of the chunk
    host.passes = {{W::timeout, {"one\rtwo\rthree\r"}}, {W::timeout, {"four\r"}}};
    EXPECT_EQ(host.run("cmd").kind, K::cancelled);
    EXPECT_EQ(host.memo, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_TRUE(host.cancel.requested());
    // The page hears the end last; closing the window is the run's business after that.
    EXPECT_EQ(last(host.record.events, 2), (std::vector<std::string>{"end", "ended"}));
    EXPECT_EQ(host.deletes, 1);
}

TEST(ExtractorRunner, PipeAndStartFailures) {
    RecordingHost pipe;
    pipe.start_result = ExtractorSystem::Start::pipe_failed;
    EXPECT_EQ(pipe.run("cmd").kind, K::pipe_failed);
    EXPECT_EQ(pipe.starts, 1);  // the display was reset
    EXPECT_EQ(pipe.shown.elapsed, "Czas: 00:00:00");
    EXPECT_EQ(pipe.pos, 0);
    EXPECT_EQ(pipe.files, std::vector<std::string>{});
    EXPECT_EQ(pipe.record.events, (std::vector<std::string>{"start cmd", "ended"}));
    EXPECT_EQ(pipe.deletes, 0);
    EXPECT_FALSE(pipe.cancel.requested());

    RecordingHost start;
    start.start_result = ExtractorSystem::Start::start_failed;
    EXPECT_EQ(start.run("cmd").kind, K::start_failed);
    EXPECT_EQ(start.record.events, (std::vector<std::string>{"start cmd", "end", "ended"}));
    EXPECT_EQ(start.deletes, 1);
}

TEST(ExtractorRunner, AnExtractorFileThatStaysIsLeftAfterBoundedAttempts) {
    // Gone at the third attempt: two waits between; never gone: every attempt, then left.
    for (const int gone_at : {3, 0}) {
        int attempts = 0, waits = 0;
        const bool gone =
            remove_with_retries([&] { return ++attempts == gone_at; }, [&] { ++waits; });
        EXPECT_EQ(gone, gone_at != 0);
        EXPECT_EQ(attempts, gone_at != 0 ? gone_at : kDeleteAttempts);
        EXPECT_EQ(waits, gone_at != 0 ? gone_at - 1 : kDeleteAttempts);
    }
}

TEST(ExtractorRunner, TimesBeforeAndAfterTheFirstPercentage) {
    RecordingHost host;
    host.passes = {{W::timeout, {"Extracting a\r"}}, {W::ended, {"Total:  30%\r"}}};
    host.run("cmd");
    EXPECT_EQ(host.memo.size(), 2u);
    // The clock is read at the start and once per line: 2.4 seconds at the second line.
    EXPECT_EQ(host.shown.elapsed, "Czas: 00:00:02");
    EXPECT_EQ(host.shown.total, "Razem: 00:00:07");  // 2 / 0.3 = 6.67
    EXPECT_EQ(host.shown.remaining, "Pozostało: 00:00:05");
}

TEST(ExtractorRunner, AFailingExtractorIsReportedWithItsExitCode) {
    RecordingHost host;
    host.exit_code = 1;
    host.passes = {{W::timeout, {"Extracting a\r"}}, {W::ended, {"Error: disk full\r"}}};
    const ExtractionOutcome outcome = host.run("cmd");
    EXPECT_EQ(outcome.kind, K::extractor_failed);
    EXPECT_EQ(outcome.exit_code, 1u);
    EXPECT_EQ(host.memo.back(), "Error: disk full");  // the reason stays on the page
    EXPECT_EQ(host.deletes, 1);

    // A wait that fails ends the loop without the extractor's end: no exit code to tell.
    RecordingHost lost;
    lost.passes = {{W::failed, {}}};
    const ExtractionOutcome unseen = lost.run("cmd");
    EXPECT_EQ(unseen.kind, K::extractor_failed);
    EXPECT_EQ(unseen.exit_code, std::nullopt);
    EXPECT_EQ(extraction_failure_text(unseen, "U", "D:\\data.uha"),
              "Program rozpakowujący nie zakończył pracy nad archiwum D:\\data.uha");

    EXPECT_EQ(extraction_failure_text({K::extractor_failed, 1}, "C:\\T\\Uha.exe", "D:\\data.uha"),
              "Rozpakowanie archiwum D:\\data.uha nie powiodło się (kod 1); szczegóły są na liście "
              "w oknie instalatora");
    EXPECT_EQ(extraction_failure_text({K::start_failed}, "C:\\T\\Uha.exe", "D:\\data.uha"),
              "Nie można uruchomić programu rozpakowującego C:\\T\\Uha.exe");
}

// The extractor's refusal of a target volume that cannot hold the archive: its one line and
// exit code 3 become the outcome's numbers and a message with both sizes in MB.
TEST(ExtractorRunner, NotEnoughSpaceIsRememberedAndReportedInMegabytes) {
    constexpr uint64_t MB = 1024 * 1024;
    struct Case {
        std::string output;
        unsigned long exit_code;
        std::optional<SpaceShortage> space;
        std::string text;
    };
    const std::string generic3 =
        "Rozpakowanie archiwum D:\\data.uha nie powiodło się (kod 3); "
        "szczegóły są na liście w oknie instalatora";
    const std::vector<Case> cases = {
        // Needed rounded up, free rounded down: 10 MB + 1 byte needs 11, 3 MB - 1 byte has 2.
        {"uha: not enough space: " + std::to_string(10 * MB + 1) + " bytes needed, " +
             std::to_string(3 * MB - 1) + " bytes free\r\n",
         3, SpaceShortage{10 * MB + 1, 3 * MB - 1},
         "Za mało miejsca na dysku: potrzeba 11 MB, wolne 2 MB"},
        {"Total:   0%\r\nuha: not enough space: 5368709120 bytes needed, 0 bytes free\r\n", 3,
         SpaceShortage{5 * 1024 * MB, 0}, "Za mało miejsca na dysku: potrzeba 5120 MB, wolne 0 MB"},
        // The line counts only with its exit code; a code 3 without it is a plain failure.
        {"uha: not enough space: 1 bytes needed, 0 bytes free\r\n", 1, std::nullopt,
         "Rozpakowanie archiwum D:\\data.uha nie powiodło się (kod 1); szczegóły są na liście "
         "w oknie instalatora"},
        {"Error: cannot write a.txt\r\n", 3, std::nullopt, generic3},
        // Lines of another form are not the extractor's refusal.
        {"uha: not enough space: 12 bytes needed, 3 bytes free.\r\n", 3, std::nullopt, generic3},
        {"uha: not enough space: -12 bytes needed, 3 bytes free\r\n", 3, std::nullopt, generic3},
        {"uha: not enough space: 12 bytes needed,  bytes free\r\n", 3, std::nullopt, generic3},
        {"Extracting uha: not enough space: 1 bytes needed, 0 bytes free\r\n", 3, std::nullopt,
         generic3},
        {"uha: not enough space: 99999999999999999999 bytes needed, 0 bytes free\r\n", 3,
         std::nullopt, generic3},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.exit_code = c.exit_code;
        // Split mid-line: the line is recognised once it is whole.
        host.passes = {{W::timeout, {c.output.substr(0, 20)}}, {W::ended, {c.output.substr(20)}}};
        const ExtractionOutcome outcome = host.run("cmd");
        EXPECT_EQ(outcome.kind, K::extractor_failed) << c.output;
        EXPECT_EQ(outcome.exit_code, c.exit_code) << c.output;
        EXPECT_EQ(outcome.space, c.space) << c.output;
        EXPECT_EQ(extraction_failure_text(outcome, "U", "D:\\data.uha"), c.text) << c.output;
        EXPECT_EQ(host.deletes, 1);
    }
}

// The unpacking as the user sees it on the progress page: Setup.exe with a scripted
// extractor (SetupFake.exe) for the display, cancel and failures. The real extractor's files
// are checked with whole installations.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <thread>

#include "installer_driver.h"
#include "private_folders.h"
#include "process.h"
#include "temp_tree.h"
#include "window_driver.h"
#include "wizard_rules.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

class Extraction : public ::testing::Test {
  protected:
    TempDir dir;
    std::unique_ptr<RunningProgram> program;
    HWND form = nullptr;
    std::string target;
    std::string extractor;  // the installer's Uha.exe in its private folder

    // Starts `exe` with `archive` beside it as data.uha and walks to the summary page.
    void start(const std::string& exe, const std::string& archive) {
        form = start_installer(program, dir.path(), exe, archive);
        ASSERT_NE(form, nullptr);
        target = native(dir / "Docelowy folder");
        walk_to_summary(form, target);
        const auto folders = private_folders(dir / "tmp", "Setup-");
        ASSERT_EQ(folders.size(), 1u);
        extractor = native(folders[0]) + "\\Uha.exe";
        confirm_summary(form);
    }
    void TearDown() override {
        if (form && IsWindow(form)) PostMessageA(form, WM_CLOSE, 0, 0);
        if (program) program->wait_exit(10s);
    }
    HWND find(const char* name) { return find_by_id(form, setup::control_id(name)); }
    std::string text(const char* name) { return window_text(find(name)); }
    int bar() { return static_cast<int>(SendMessageA(find("ProgressBar1"), PBM_GETPOS, 0, 0)); }
    // Waits until the label shows `expected`; returns what it shows then.
    std::string wait_text(const char* name, const std::string& expected,
                          std::chrono::seconds bound = 20s) {
        const auto until = std::chrono::steady_clock::now() + bound;
        std::string now;
        while ((now = text(name)) != expected && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(20ms);
        return now;
    }
    bool extractor_gone(std::chrono::seconds bound = 20s) {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (fs::exists(extractor) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(20ms);
        return !fs::exists(extractor);
    }
};

}  // namespace

TEST_F(Extraction, OutputDrivesThePageWhileItRuns) {
    start(SETUP_FAKE_EXE,
          "args\n"
          "touch ran.txt\n"
          "out Extracting Dokumenty\\\\\\x8Dr\\xA2d\\x88a.txt (10%)\\r\\n\n"  // CP852 for "Źródła"
          "out Total:  10%\\r\\n\n"
          "sleep 1500\n"
          "out Extracting b.bin\\r\\nTotal:  42\\b\\b\\b 60%\\r\\n\n"
          "repeat 300 Extracting many.txt\\r\\n\n"
          "out Total: 100%\\r\\n\n"
          "out tail without a line end\n");
    // While the extractor sleeps: the first file and 10%.
    EXPECT_EQ(wait_text("Label1", "Instaluję: Dokumenty\\Źródła.txt"),
              "Instaluję: Dokumenty\\Źródła.txt");
    EXPECT_EQ(text("Label25"), "10%");
    EXPECT_EQ(bar(), 10);
    // At the end.
    EXPECT_EQ(wait_text("Label25", "100%"), "100%");
    EXPECT_EQ(wait_text("Label1", "Instaluję: many.txt"), "Instaluję: many.txt");
    EXPECT_EQ(bar(), 100);
    EXPECT_TRUE(extractor_gone());
    EXPECT_EQ(text("Label24"), "Pozostało: 00:00:00");
    EXPECT_EQ(text("Label22").rfind("Czas: 00:00:0", 0), 0u) << text("Label22");
    EXPECT_TRUE(fs::exists(dir / "Docelowy folder/ran.txt"));

    // The summary's five lines, then every completed line of the output.
    const std::string memo = text("Memo1");
    EXPECT_NE(memo.find("\r\n\"" + extractor + "\" x -o+ -y+ -t\"" + target + "\" \"" +
                        native(dir / "Pobrane") + "\\data.uha\"\r\n"),
              std::string::npos)
        << memo.substr(0, 600);
    EXPECT_NE(memo.find("Total:  42 60%"), std::string::npos);
    EXPECT_EQ(memo.find("tail without"), std::string::npos);
    EXPECT_TRUE(IsWindow(form));  // no cancel: the window stays
}

TEST_F(Extraction, CancelEndsTheExtractorDeletesItAndClosesTheWindow) {
    start(SETUP_FAKE_EXE, "out Extracting first.txt\\r\\nTotal:   5%\\r\\n\nhang\n");
    ASSERT_EQ(wait_text("Label25", "5%"), "5%");
    const auto pressed = std::chrono::steady_clock::now();
    PostMessageA(find("Button16"), BM_CLICK, 0, 0);
    EXPECT_EQ(program->wait_exit(20s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 5s);
    EXPECT_TRUE(fs::is_empty(dir / "tmp")) << "the private folder is left";
}

// An extractor that cannot be started (here a library, not a program): the runner resets the
// display and says nothing; the installation then reports that nothing could be unpacked and
// stops there.
TEST_F(Extraction, ExtractorThatCannotStartIsReportedAfterThePageIsReset) {
    start(SETUP_NOT_A_PROGRAM_EXE, "out never\\r\n");
    HWND box = nullptr;
    for (auto until = std::chrono::steady_clock::now() + 30s;
         !box && std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(20ms))
        for (HWND w : top_level_windows(program->pid()))
            if (w != form && IsWindowVisible(w)) box = w;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "Nie można uruchomić programu rozpakowującego " + extractor + ".");
    EXPECT_EQ(text("Label22"), "Czas: 00:00:00");
    EXPECT_EQ(text("Label1"), "Instaluję");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(IsWindowVisible(find("Progress")));  // the window stays
}

// Setup.exe started as a user starts it, watched from this process: its temporary files, its
// window, and its messages, read off the screen with WM_GETTEXT.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "process.h"
#include "temp_tree.h"
#include "window_driver.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

// The bytes of a raw-data resource of a program file.
std::string resource_of(const std::string& program, const char* name) {
    HMODULE m = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m) return "";
    HRSRC r = FindResourceA(m, name, MAKEINTRESOURCEA(10));
    std::string bytes;
    if (r) {
        auto* p = static_cast<const char*>(LockResource(LoadResource(m, r)));
        bytes.assign(p, SizeofResource(m, r));
    }
    FreeLibrary(m);
    return bytes;
}

HWND find_child(HWND parent, const std::string& class_name) {
    for (HWND child : child_windows(parent))
        if (_stricmp(class_of(child).c_str(), class_name.c_str()) == 0 &&
            !window_text(child).empty())
            return child;
    return nullptr;
}

void press_ok(HWND box) {
    for (HWND child : child_windows(box))
        if (_stricmp(class_of(child).c_str(), "Button") == 0) {
            SendMessageA(child, BM_CLICK, 0, 0);
            return;
        }
    PostMessageA(box, WM_CLOSE, 0, 0);
}

class SetupExe : public ::testing::Test {
  protected:
    TempDir dir;
    std::string folder;  // the installer's folder, ANSI, ending in "\"
    std::string temp;    // the temporary folder Setup.exe is given
    std::string setup;

    void SetUp() override {
        fs::create_directories(dir / "Pobrane");
        fs::create_directories(dir / "tmp");
        folder = native(dir / "Pobrane") + "\\";
        temp = native(dir / "tmp") + "\\";
        setup = folder + "Setup.exe";
        ASSERT_TRUE(CopyFileA(test_program_path(SETUP_EXE).c_str(), setup.c_str(), FALSE));
    }
    std::unique_ptr<RunningProgram> start(const std::string& temp_folder) {
        return std::make_unique<RunningProgram>(
            "\"" + setup + "\"",
            std::vector<std::string>{"TMP=" + temp_folder, "TEMP=" + temp_folder});
    }
};

}  // namespace

TEST_F(SetupExe, NormalStartLeavesTheExtractorAndNoScript) {
    write_file(dir / "Pobrane/data.uha", "archive");
    auto program = start(temp);
    HWND form = wait_for_window(program->pid(), "TForm1", "", 30s);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(window_text(form), "Przykładowy Program 1.0 - Kreator instalacyjny");
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right - client.left, 496);
    EXPECT_EQ(client.bottom - client.top, 353);
    EXPECT_FALSE(fs::exists(dir / "tmp/Setup.ini"));
    ASSERT_TRUE(fs::exists(dir / "tmp/Uha.exe"));
    const std::string uha = read_file(dir / "tmp/Uha.exe");
    EXPECT_EQ(uha, resource_of(setup, "UHA"));
    EXPECT_GT(uha.size(), 100000u);

    PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->wait_exit(20s), 0);
    EXPECT_FALSE(fs::exists(dir / "tmp/Uha.exe")) << "closing the window deletes the extractor";
}

TEST_F(SetupExe, MissingArchiveStopsWithItsFullPath) {
    auto program = start(temp);
    HWND box = wait_for_window(program->pid(), "", "Błąd", 30s);
    ASSERT_NE(box, nullptr);
    HWND text = find_child(box, "Static");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(window_text(text), "Nie ma pliku: " + folder + "data.uha");
    for (HWND w : top_level_windows(program->pid()))
        EXPECT_FALSE(class_of(w) == "TForm1" && IsWindowVisible(w)) << "the wizard showed";
    EXPECT_FALSE(fs::exists(dir / "tmp/Setup.ini"));
    EXPECT_FALSE(fs::exists(dir / "tmp/Uha.exe"));

    press_ok(box);
    EXPECT_EQ(program->wait_exit(20s), 0);
    EXPECT_FALSE(fs::exists(dir / "tmp/Uha.exe"));
}

// A temporary folder that cannot take the script: the standard error box names the failure,
// and the window then opens with what was set up (its caption not yet the product's).
TEST_F(SetupExe, RuntimeErrorShowsTheStandardErrorBoxThenTheWindow) {
    write_file(dir / "Pobrane/data.uha", "archive");
    auto program = start(native(dir / "missing folder") + "\\");
    HWND box = wait_for_window(program->pid(), "", "Setup", 30s);
    ASSERT_NE(box, nullptr);
    HWND text = find_child(box, "Static");
    ASSERT_NE(text, nullptr);
    const std::string message = window_text(text);
    EXPECT_EQ(message.rfind("Nie można utworzyć pliku ", 0), 0u) << message;
    EXPECT_NE(message.find("Setup.ini"), std::string::npos) << message;
    EXPECT_EQ(message.back(), '.');
    press_ok(box);

    HWND form = wait_for_window(program->pid(), "TForm1", "", 30s);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(window_text(form), "Kreator instalacyjny");
    PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->wait_exit(20s), 0);
}

// Setup.exe started as a user starts it, watched from this process: its temporary files, its
// window, and its messages, read off the screen with WM_GETTEXT.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/support/private_folders.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "tests/support/window_driver.h"

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

// A user's process that planted and holds its own Uha.exe and Setup.ini in the temporary
// folder changes nothing: Setup.exe writes its own into a fresh private folder, where they
// cannot be changed while the wizard waits, and removes it as it ends.
TEST_F(SetupExe, NormalStartKeepsItsFilesInAFreshPrivateFolder) {
    write_file(dir / "Pobrane/data.uha", "archive");
    write_file(dir / "tmp/Uha.exe", "planted");
    write_file(dir / "tmp/Setup.ini", "[I]\r\n1=Podrzucony\r\n");
    HANDLE planted = CreateFileA((temp + "Uha.exe").c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(planted, INVALID_HANDLE_VALUE);
    auto program = start(temp);
    HWND form = wait_for_window(program->pid(), "TForm1", "", 30s);
    ASSERT_NE(form, nullptr);
    for (HWND w : top_level_windows(program->pid()))
        EXPECT_FALSE(w != form && IsWindowVisible(w)) << "a box showed: " << window_text(w);
    EXPECT_EQ(window_text(form), "Przykładowy Program 1.0 - Kreator instalacyjny");
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right - client.left, 496);
    EXPECT_EQ(client.bottom - client.top, 353);

    const auto folders = private_folders(private_parent(), "Setup-");
    ASSERT_EQ(folders.size(), 1u);
    const std::string own = native(folders[0]);
    EXPECT_EQ(others_let_in(own), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(folders[0] / "Setup.ini"));
    const std::string extractor = own + "\\Uha.exe";
    ASSERT_TRUE(fs::exists(folders[0] / "Uha.exe"));
    const std::string uha = read_file(folders[0] / "Uha.exe");
    EXPECT_EQ(uha, resource_of(setup, "UHA"));
    EXPECT_GT(uha.size(), 100000u);
    EXPECT_EQ(open_error(extractor, GENERIC_WRITE), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(open_error(extractor, DELETE), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(read_file(folders[0] / "Uha.exe"), uha);

    PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->wait_exit(20s), 0);
    CloseHandle(planted);
    EXPECT_TRUE(private_folders(private_parent(), "Setup-").empty())
        << "the private folder is left";
    EXPECT_EQ(read_file(dir / "tmp/Uha.exe"), "planted");
    EXPECT_EQ(read_file(dir / "tmp/Setup.ini"), "[I]\r\n1=Podrzucony\r\n");
}

// A watcher of the user's own, as fast as it can, looks for the script in every private
// folder and swaps the folder for one holding a script of its own: there is never a script
// file to find, and the wizard shows the product the installer carries.
TEST_F(SetupExe, TheScriptIsNeverAFileAnotherProcessCouldSwap) {
    write_file(dir / "Pobrane/data.uha", "archive");
    std::atomic<bool> done = false;
    std::atomic<int> found = 0;
    std::thread watcher([&] {
        while (!done) {
            for (const fs::path& folder : private_folders(private_parent(), "Setup-")) {
                std::error_code error;
                if (!fs::exists(folder / "Setup.ini", error)) continue;
                ++found;
                fs::rename(folder, folder.string() + "-stary", error);
                fs::create_directories(folder, error);
                write_file(folder / "Setup.ini", "[I]\r\n1=Podrzucony\r\n3=data.uha\r\n");
            }
        }
    });
    auto program = start(temp);
    HWND form = wait_for_window(program->pid(), "TForm1", "", 30s);
    done = true;
    watcher.join();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(window_text(form), "Przykładowy Program 1.0 - Kreator instalacyjny");
    PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->wait_exit(20s), 0);
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
    for (const auto& own : private_folders(private_parent(), "Setup-"))
        EXPECT_TRUE(fs::is_empty(own)) << "the script is left";

    press_ok(box);
    EXPECT_EQ(program->wait_exit(20s), 0);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

// A shared folder where the private folder cannot be made (a file stands in its place): the
// standard error box names the failure, and the program ends without showing the wizard.
TEST_F(SetupExe, APrivateFolderThatCannotBeMadeEndsTheProgram) {
    write_file(dir / "Pobrane/data.uha", "archive");
    const OwnSharedFolderBlocked blocked;
    if (!blocked.active())
        GTEST_SKIP() << "the shared folder is " << blocked.folder()
                     << ", not the program data's own: it cannot be taken away here";
    auto program = start(temp);
    HWND box = wait_for_window(program->pid(), "", "Setup", 30s);
    ASSERT_NE(box, nullptr);
    HWND text = find_child(box, "Static");
    ASSERT_NE(text, nullptr);
    const std::string message = window_text(text);
    EXPECT_EQ(message, "Nie można utworzyć folderu " + blocked.folder().string() +
                           ": istnieje plik o tej nazwie.");
    for (HWND w : top_level_windows(program->pid()))
        EXPECT_FALSE(class_of(w) == "TForm1" && IsWindowVisible(w)) << "the wizard showed";
    press_ok(box);

    EXPECT_EQ(program->wait_exit(20s), 1);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

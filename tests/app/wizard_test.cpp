// The wizard driven from another program as a user would: buttons pressed with BM_CLICK,
// keys posted to the focused control, texts read with WM_GETTEXT.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <thread>

#include "tests/support/private_folders.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "tests/support/window_driver.h"
#include "ui/wizard_rules.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

constexpr const char* kTitle = "Przykładowy Program 1.0";
constexpr const char* kFolder = "Przykładowy Program";
constexpr COLORREF kAccent = 0xE0A040;  // the sample script's colour

std::string shell_folder(HKEY root, const char* value) {
    char buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    RegGetValueA(root, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 value, RRF_RT_REG_SZ, nullptr, buffer, &size);
    return buffer;
}

class Wizard : public ::testing::Test {
  protected:
    TempDir dir;
    std::unique_ptr<RunningProgram> program;
    HWND form = nullptr;

    // Runs before Setup.exe starts.
    virtual void prepare() {}

    void SetUp() override {
        prepare();
        fs::create_directories(dir / "Pobrane");
        fs::create_directories(dir / "tmp");
        const std::string setup = native(dir / "Pobrane") + "\\Setup.exe";
        ASSERT_TRUE(CopyFileA(test_program_path(SETUP_EXE).c_str(), setup.c_str(), FALSE));
        write_file(dir / "Pobrane/data.uha", "archive");
        const std::string temp = native(dir / "tmp") + "\\";
        // "=Z:" holds drive Z:'s current folder: its root, so choosing Z: gives "Z:\".
        program = std::make_unique<RunningProgram>(
            "\"" + setup + "\"",
            std::vector<std::string>{"TMP=" + temp, "TEMP=" + temp, "=Z:=Z:\\"}, temp);
        form = wait_for_window(program->pid(), "TForm1", "", 30s);
        ASSERT_NE(form, nullptr);
    }
    void TearDown() override {
        if (IsWindow(form)) PostMessageA(form, WM_CLOSE, 0, 0);
        program->wait_exit(10s);
    }

    HWND find(const char* name) {
        HWND found = find_by_id(form, setup::control_id(name));
        if (!found) ADD_FAILURE() << "no control " << name;
        return found;
    }
    std::string text(const char* name) { return window_text(find(name)); }
    void click(const char* name) { SendMessageA(find(name), BM_CLICK, 0, 0); }
    std::string page() {
        for (const char* p : {"Welcome", "Path", "MenuStart", "Podsumowanie", "Progress", "Finish"})
            if (IsWindowVisible(find(p))) return p;
        return "";
    }
    COLORREF color() {
        return static_cast<COLORREF>(reinterpret_cast<uintptr_t>(GetPropA(form, "SetupColor")) - 1);
    }
    int focused_id() {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
        return GetDlgCtrlID(info.hwndFocus);
    }
    // A key as the user presses it: to the control that has the focus.
    void press(WORD key) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
        HWND target = info.hwndFocus ? info.hwndFocus : form;
        PostMessageA(target, WM_KEYDOWN, key, 0);
        PostMessageA(target, WM_KEYUP, key, 0xC0000000);
        // A sent message would overtake the posted keys; give the program time to take them.
        std::this_thread::sleep_for(300ms);
    }
};

}  // namespace

TEST_F(Wizard, WalkForwardAndBackWithProposalsSummaryAndColours) {
    EXPECT_EQ(window_text(form), std::string(kTitle) + " - Kreator instalacyjny");
    EXPECT_EQ(page(), "Welcome");
    EXPECT_EQ(color(), RGB(255, 255, 255));
    EXPECT_EQ(text("Label2"), std::string("Witamy w kreatorze instalacyjnym dla ") + kTitle);
    EXPECT_EQ(text("Label21").size(), 35u);

    click("Button4");
    EXPECT_EQ(page(), "Path");
    EXPECT_EQ(color(), kAccent);
    const std::string program_files = "C:\\Program Files";
    EXPECT_EQ(text("Edit1"), program_files + "\\" + kFolder);
    click("Button6");
    EXPECT_EQ(page(), "Welcome");
    EXPECT_EQ(color(), RGB(255, 255, 255));
    click("Button4");
    EXPECT_EQ(color(), kAccent);
    click("Button7");
    EXPECT_EQ(page(), "MenuStart");
    EXPECT_EQ(text("Edit2"), kFolder);
    click("Button9");
    EXPECT_EQ(page(), "Podsumowanie");
    const std::string first = std::string(kTitle) + " zainstaluje się do katalogu:\r\n" +
                              program_files + "\\" + kFolder + "\r\n\r\n" + kTitle +
                              " utworzy się w Menu Start:\r\n";
    EXPECT_EQ(text("Memo1"), first + kFolder);

    // Back, a group typed by hand, forward again: five lines, the new group.
    click("Button11");
    EXPECT_EQ(page(), "MenuStart");
    SendMessageA(find("Edit2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Gry\\Moja grupa"));
    click("Button9");
    EXPECT_EQ(text("Memo1"), first + "Gry\\Moja grupa");

    // Posted: the click returns only when the installation has ended (here at once: the
    // archive beside the installer is no archive).
    PostMessageA(find("Button12"), BM_CLICK, 0, 0);
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (page() != "Progress" && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(page(), "Progress");
    EXPECT_EQ(color(), kAccent);
    EXPECT_FALSE(IsWindowEnabled(find("Button14")));
    EXPECT_FALSE(IsWindowEnabled(find("Button15")));
}

// The user's choices on the folder page: a drive's root gives no doubled separator, and a
// folder picked in the list replaces what was typed.
TEST_F(Wizard, FolderPicksReplaceTheTargetFolder) {
    click("Button4");
    HWND drives = find("DriveComboBox1");
    LRESULT z = SendMessageA(drives, CB_FINDSTRING, -1, reinterpret_cast<LPARAM>("Z:"));
    ASSERT_NE(z, CB_ERR) << "Wine's Z: drive is listed";
    SendMessageA(drives, CB_SETCURSEL, z, 0);
    SendMessageA(GetParent(drives), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drives), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
    EXPECT_EQ(text("Edit1"), std::string("Z:\\") + kFolder);

    SendMessageA(find("Edit1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("D:\\typed"));
    EXPECT_EQ(text("Edit1"), "D:\\typed");
    // Open the first sub-folder of Z:\ (the row after the root).
    HWND folders = find("DirectoryListBox1");
    const std::string sub = list_item_text(folders, 1);
    ASSERT_FALSE(sub.empty());
    SendMessageA(folders, LB_SETCURSEL, 1, 0);
    SendMessageA(GetParent(folders), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(folders), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(folders));
    EXPECT_EQ(text("Edit1"), "Z:\\" + sub + "\\" + kFolder);
}

TEST_F(Wizard, EscapeDoesNothingAndEnterPressesThePagesDefaultButton) {
    press(VK_ESCAPE);
    EXPECT_EQ(page(), "Welcome");
    press(VK_RETURN);
    for (int wait = 0; wait < 50 && page() != "Path"; ++wait) std::this_thread::sleep_for(100ms);
    EXPECT_EQ(page(), "Path");
    press(VK_ESCAPE);
    EXPECT_EQ(page(), "Path");
    EXPECT_TRUE(IsWindow(form));
}

TEST_F(Wizard, TabVisitsTheButtonsLeftToRightThenTheInputs) {
    click("Button4");
    std::vector<int> seen;
    for (int i = 0; i < 7; ++i) {
        const int before = focused_id();
        seen.push_back(before);
        press(VK_TAB);
        // Under load the program may take longer than the pause to move the focus.
        for (int wait = 0; wait < 50 && focused_id() == before; ++wait)
            std::this_thread::sleep_for(100ms);
    }
    using setup::control_id;
    EXPECT_EQ(seen,
              (std::vector<int>{control_id("Button6"), control_id("Button7"), control_id("Button8"),
                                control_id("Edit1"), control_id("DirectoryListBox1"),
                                control_id("DriveComboBox1"), control_id("Button6")}));
}

TEST_F(Wizard, CancelClosesAndDeletesTheExtractor) {
    const auto folders = private_folders(private_parent(), "Setup-");
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_TRUE(fs::exists(folders[0] / "Uha.exe"));
    click("Button4");
    click("Button8");  // "Anuluj" on the target-folder page
    EXPECT_EQ(program->wait_exit(20s), 0);
    EXPECT_FALSE(fs::exists(folders[0]));
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

// Folders of this test in the Start menu's Programs folder that the installer reads.
class WizardGroups : public Wizard {
  protected:
    std::string programs = shell_folder(HKEY_LOCAL_MACHINE, "Common Programs");
    std::string tag = std::to_string(GetCurrentProcessId());
    std::string a = "zz" + tag + "a", b = "ZZ" + tag + "B", c = "zz" + tag + "c";

    void prepare() override {
        ASSERT_TRUE(CreateDirectoryA((programs + "\\" + a).c_str(), nullptr)) << programs;
        ASSERT_TRUE(CreateDirectoryA((programs + "\\" + b).c_str(), nullptr));
        HANDLE f = CreateFileA((programs + "\\" + c).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        CloseHandle(f);
    }
    void TearDown() override {
        Wizard::TearDown();
        RemoveDirectoryA((programs + "\\" + a).c_str());
        RemoveDirectoryA((programs + "\\" + b).c_str());
        DeleteFileA((programs + "\\" + c).c_str());
    }
};

TEST_F(WizardGroups, ListHoldsFoldersOnlySortedAndAPickProposesAGroup) {
    HWND list = find("ListBox1");
    std::vector<std::string> ours;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    EXPECT_GT(count, 0) << programs;
    for (LRESULT i = 0; i < count; ++i) {
        std::string entry = list_item_text(list, i);
        if (entry.find(tag) != std::string::npos) ours.push_back(entry);
    }
    EXPECT_EQ(ours, (std::vector<std::string>{a, b}));

    click("Button4");
    click("Button7");
    LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(b.c_str()));
    SendMessageA(list, LB_SETCURSEL, index, 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(text("Edit2"), b + "\\" + kFolder);
    // What is typed afterwards stays.
    SendMessageA(find("Edit2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Moja"));
    EXPECT_EQ(text("Edit2"), "Moja");
}

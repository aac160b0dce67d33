#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "install/startup_rules.h"

using namespace setup;

TEST(StartupRules, FoldersEndInExactlyOneBackslash) {
    EXPECT_EQ(with_trailing_backslash("C:\\Temp"), "C:\\Temp\\");
    EXPECT_EQ(with_trailing_backslash("C:\\Temp\\"), "C:\\Temp\\");
    EXPECT_EQ(with_trailing_backslash(""), "\\");
    EXPECT_EQ(folder_of_module("D:\\Pobrane\\Setup.exe"), "D:\\Pobrane\\");
    EXPECT_EQ(folder_of_module("C:\\Setup.exe"), "C:\\");
}

TEST(StartupRules, UnscrambleText) {
    EXPECT_EQ(UnscrambleText("\x9C\x9D\x9E"), "abc");
    EXPECT_EQ(UnscrambleText(""), "");
    const std::string any = "Zażółć \x00\xFF gęślą";
    EXPECT_EQ(UnscrambleText(UnscrambleText(any)), any);
    EXPECT_EQ(stored_credit_text().size(), 35u);
    // The credit line reads as CP1250 text: no control characters.
    for (char c : UnscrambleText(stored_credit_text()))
        EXPECT_GE(static_cast<unsigned char>(c), 0x20);
}

TEST(StartupRules, ErrorBoxAddsAFullStopAfterLettersButNotAfterPunctuation) {
    EXPECT_EQ(error_box_text("Nie można utworzyć pliku"), "Nie można utworzyć pliku.");
    EXPECT_EQ(error_box_text("Gotowe."), "Gotowe.");
    EXPECT_EQ(error_box_text("Czy na pewno?"), "Czy na pewno?.");  // '?' is above '.'
    EXPECT_EQ(error_box_text("koniec!"), "koniec!");               // '!' is below '.'
    EXPECT_EQ(error_box_text("100%"), "100%");
    EXPECT_EQ(error_box_text("plik\xB9"), "plik\xB9.");  // a CP1250 letter, as a byte
    EXPECT_EQ(error_box_text(""), "");
}

namespace {

// A system whose registry, shell folders and existing folders a test sets.
struct FakeSystem : SystemQueries {
    std::map<std::string, std::string> values;  // "HKLM|key|value" -> data
    std::map<int, std::string> shell;
    std::vector<std::string> folders;

    // The 64-bit view's keys are "HKLM64|...".
    std::string registry_text(Root root, const std::string& key, const std::string& value,
                              RegistryView view) override {
        const std::string where = root == Root::local_machine ? "HKLM" : "HKCU";
        auto it =
            values.find(where + (view == RegistryView::x64 ? "64|" : "|") + key + "|" + value);
        return it == values.end() ? "" : it->second;
    }
    std::string special_folder(int csidl) override {
        return shell.count(csidl) ? shell[csidl] : "";
    }
    bool folder_exists(const std::string& path) override {
        return !path.empty() && std::find(folders.begin(), folders.end(), path) != folders.end();
    }
};

const std::string kVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kShell = kVersion + "\\Explorer\\Shell Folders";

}  // namespace

TEST(FolderDiscovery, FallsBackFromAllUsersToUserToShellToDriveC) {
    struct Case {
        const char* what;
        std::map<std::string, std::string> values;
        std::vector<std::string> folders;
        SystemFolders expected;
    };
    const std::map<int, std::string> shell = {{16, "S16"}, {0, "S0"}, {2, "S2"}};
    const Case cases[] = {
        {"administrator: all-users folders from the registry",
         {{"HKLM|" + kVersion + "|ProgramFilesDir", "C:\\Program Files"},
          {"HKLM|" + kShell + "|Common Programs", "CP"},
          {"HKLM|" + kShell + "|Common Desktop", "CD"},
          {"HKCU|" + kShell + "|Programs", "UP"},
          {"HKCU|" + kShell + "|Desktop", "UD"}},
         {"C:\\Program Files", "CP", "CD", "UP", "UD", "S16"},
         {"C:\\Program Files", "CP", "CD"}},
        {"HKLM refused (a user without rights): the user's folders, C:\\",
         {{"HKCU|" + kShell + "|Programs", "UP"}, {"HKCU|" + kShell + "|Desktop", "UD"}},
         {"UP", "UD", "S16"},
         {"C:\\", "UP", "UD"}},
        {"nothing in the registry: the shell's all-users desktop and user's programs",
         {},
         {"S16", "S0", "S2"},
         {"C:\\", "S2", "S16"}},
        {"the all-users desktop missing too: the user's desktop, taken untested",
         {},
         {},
         {"C:\\", "S2", "S0"}},
        {"registry folders that do not exist are passed over",
         {{"HKLM|" + kVersion + "|ProgramFilesDir", "X:\\Gone"},
          {"HKLM|" + kShell + "|Common Programs", "gone"},
          {"HKLM|" + kShell + "|Common Desktop", "gone"},
          {"HKCU|" + kShell + "|Programs", "UP"},
          {"HKCU|" + kShell + "|Desktop", "gone too"}},
         {"UP", "S16"},
         {"C:\\", "UP", "S16"}},
    };
    for (const Case& c : cases) {
        FakeSystem system;
        system.values = c.values;
        system.shell = shell;
        system.folders = c.folders;
        SystemFolders got = discover_folders(system);
        EXPECT_EQ(got.ProgramFilesDir, c.expected.ProgramFilesDir) << c.what;
        EXPECT_EQ(got.ProgramsFolder, c.expected.ProgramsFolder) << c.what;
        EXPECT_EQ(got.DesktopFolder, c.expected.DesktopFolder) << c.what;
    }
}

// A 64-bit product proposes the 64-bit programs' Program Files, which a 32-bit installer
// reads only in the 64-bit view, and is refused on 32-bit Windows.
TEST(FolderDiscovery, ASixtyFourBitProductsProgramFilesIsThatOfTheSixtyFourBitView) {
    FakeSystem system;
    system.values = {{"HKLM|" + kVersion + "|ProgramFilesDir", "C:\\Program Files (x86)"},
                     {"HKLM64|" + kVersion + "|ProgramFilesDir", "C:\\Program Files"}};
    system.folders = {"C:\\Program Files (x86)", "C:\\Program Files"};
    EXPECT_EQ(discover_folders(system).ProgramFilesDir, "C:\\Program Files (x86)");
    EXPECT_EQ(discover_folders(system, RegistryView::x64).ProgramFilesDir, "C:\\Program Files");

    EXPECT_EQ(architecture_refusal(ProductArchitecture::x64, false),
              "Ten program wymaga 64-bitowej wersji systemu Windows.");
    EXPECT_EQ(architecture_refusal(ProductArchitecture::x64, true), "");
    EXPECT_EQ(architecture_refusal(ProductArchitecture::x86, false), "");
}

// The rules of the installation after the extraction: shortcuts, the target-folder
// placeholder, registry entries, the uninstall record and the launch command line.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "launch_rules.h"
#include "registry_rules.h"
#include "shortcut_rules.h"
#include "target_folder.h"
#include "uninstall_record.h"

using namespace setup;

namespace {

std::string read_expected(const std::string& name) {
    std::ifstream in(std::string(EXPECTED_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

TEST(TargetFolder, PolishUpperCaseChangesExactlyTheAsciiAndNineLetters) {
    EXPECT_EQ(PolishUpperCase("zażółć gęślą jaźń"), "ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
    EXPECT_EQ(PolishUpperCase("é1<x>"), "é1<X>");
    const std::string lower = "ąćęłńóśźż";
    const std::string upper = "ĄĆĘŁŃÓŚŹŻ";
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        std::string expected = in;
        if (b >= 'a' && b <= 'z') expected[0] = static_cast<char>(b - 32);
        if (const size_t at = lower.find(in[0]); at != std::string::npos)
            expected = upper.substr(at, 1);
        EXPECT_EQ(PolishUpperCase(in), expected) << "byte " << b;
    }
}

TEST(TargetFolder, ExpandReplacesTheFirstPlaceholderInAnyCase) {
    struct Case {
        std::string text, target, expanded;
    };
    const Case cases[] = {
        {"<folderdocelowy>\\bin", "D:\\Gry\\Program", "D:\\Gry\\Program\\bin"},
        {"<FOLDERDOCELOWY>;<FOLDERDOCELOWY>", "C:\\P", "C:\\P;<FOLDERDOCELOWY>"},
        {"x=<FolderDocelowy>", "C:\\Żółw", "x=C:\\Żółw"},  // the folder keeps its own case
        {"", "C:\\P", ""},
        {"bez znacznika", "C:\\P", "bez znacznika"},
        {"<FOLDERDOCELOWY", "C:\\P", "<FOLDERDOCELOWY"},
        {"<FOLDERDOCELOWY>", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandTargetFolder(c.text, c.target), c.expanded) << c.text;
}

TEST(ShortcutRules, FolderLevelsWorkingFolderAndLinkPath) {
    using Levels = std::vector<std::string>;
    EXPECT_EQ(folder_levels("C:\\A\\B\\C"), (Levels{"C:", "C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}));
    EXPECT_EQ(folder_levels("C:\\A\\"), (Levels{"C:", "C:\\A", "C:\\A\\"}));
    EXPECT_EQ(folder_levels("\\A\\B"), (Levels{"\\A", "\\A\\B"}));
    EXPECT_EQ(folder_levels("\\\\serwer\\udział\\Menu\\Gry"),
              (Levels{"\\\\serwer\\udział\\Menu", "\\\\serwer\\udział\\Menu\\Gry"}));
    EXPECT_EQ(folder_levels("\\\\serwer\\udział"), (Levels{"\\\\serwer\\udział"}));

    EXPECT_EQ(working_folder_of("C:\\Program Files\\Gra\\gra.exe"), "C:\\Program Files\\Gra\\");
    EXPECT_EQ(working_folder_of("C:gra.exe"), "C:");
    EXPECT_EQ(working_folder_of("gra.exe"), "");

    EXPECT_EQ(shortcut_link_path("C:\\Menu\\Gra", "Graj"), "C:\\Menu\\Gra\\Graj.lnk");
    EXPECT_EQ(shortcut_link_path("C:\\Menu\\Gra\\", "Graj"), "C:\\Menu\\Gra\\Graj.lnk");
    EXPECT_EQ(shortcut_link_path("", "Graj"), "\\Graj.lnk");
}

TEST(RegistryRules, RootCodesInSequence) {
    struct Step {
        std::string code;
        RegistryRoot root;
        int number;
    };
    // Each row continues from the row before, as the entries of one phase do.
    const Step steps[] = {
        {"7", RegistryRoot::local_machine, 2},  // first entry: HKLM
        {"1", RegistryRoot::current_user, 1},   {"7", RegistryRoot::current_user, 1},
        {"-1", RegistryRoot::current_user, 1},  {"2", RegistryRoot::classes_root, 0},
        {"x", RegistryRoot::local_machine, 2},  {"3", RegistryRoot::users, 3},
        {"", RegistryRoot::local_machine, 2},   {"$4", RegistryRoot::current_config, 5},
        {"0", RegistryRoot::local_machine, 2},  {" 1", RegistryRoot::current_user, 1},
        {"1 ", RegistryRoot::local_machine, 2},
    };
    RegistryRoot current = RegistryRoot::local_machine;
    for (const Step& s : steps) {
        current = select_root(s.code, current);
        EXPECT_EQ(current, s.root) << "code '" << s.code << "'";
        EXPECT_EQ(static_cast<int>(current), s.number) << "code '" << s.code << "'";
    }
}

TEST(RegistryRules, TypeCodes) {
    using K = ValueToWrite::Kind;
    struct Case {
        std::string type, data;
        K kind;
        int32_t integer;
    };
    const Case cases[] = {
        {"0", "12", K::text, 0},         {"1", "12", K::integer, 12}, {"1", "12a", K::text, 0},
        {"1", "$FF", K::integer, 255},   {"1", "-5", K::integer, -5}, {"1", "", K::text, 0},
        {"1", "4294967296", K::text, 0}, {"2", "12", K::nothing, 0},  {"-1", "x", K::nothing, 0},
        {"", "12", K::text, 0},          {"x", "12", K::text, 0},     {"0x1", "7", K::integer, 7},
    };
    for (const Case& c : cases) {
        const ValueToWrite v = value_to_write(c.type, c.data);
        EXPECT_EQ(v.kind, c.kind) << c.type << " / " << c.data;
        if (c.kind == K::integer) {
            EXPECT_EQ(v.integer, c.integer) << c.type << " / " << c.data;
        }
    }
}

TEST(RegistryRules, KeysAndRecordLines) {
    EXPECT_EQ(key_for_opening("\\Software\\Gra"), "Software\\Gra");
    EXPECT_EQ(key_for_opening("Software\\Gra"), "Software\\Gra");
    EXPECT_EQ(registry_record_line(RegistryRoot::current_user, "\\Software\\Gra, nowa", ""),
              "J0,1,\\Software\\Gra, nowa,");
    EXPECT_EQ(registry_record_line(RegistryRoot::current_config, "Klucz", "Wartość"),
              "J0,5,Klucz,Wartość");
}

TEST(UninstallRecord, InstallationWithoutRegistryEntriesOrShortcuts) {
    const auto lines = uninstall_record_lines("C:\\Program Files\\Przykład",
                                              "Przykładowy Program 1.0", "Przykład", {}, {});
    EXPECT_EQ(lines.size(), 25u);
    EXPECT_EQ(record_text(lines), read_expected("minimal_record.ini"));
}

TEST(UninstallRecord, RegistryLinesThenUninstallerThenShortcutsUnquoted) {
    // A target ending in a backslash, commas in paths and a folder name with a backslash stay
    // as they are.
    const std::string target = "D:\\Gry\\Żółw, wersja 2\\";
    const std::vector<std::string> registry = {
        registry_record_line(RegistryRoot::current_user, "Software\\Żółw", ""),
        registry_record_line(RegistryRoot::current_user, "Software\\Żółw", "Folder"),
        registry_record_line(RegistryRoot::classes_root, "\\.zolw", "")};
    const std::vector<std::string> shortcuts = {
        folder_record_line("C:\\Menu\\Programy\\Gry\\Żółw"),
        file_record_line("C:\\Menu\\Programy\\Gry\\Żółw\\Odinstaluj Gry\\Żółw.lnk"),
        file_record_line("C:\\Pulpit\\Żółw.lnk")};
    EXPECT_EQ(record_text(uninstall_record_lines(target, "Żółw, wersja 2", "Gry\\Żółw", registry,
                                                 shortcuts)),
              read_expected("full_record.ini"));
}

TEST(UninstallRecord, UninstallCommandIsQuoted) {
    EXPECT_EQ(uninstall_command("C:\\Program Files\\Gra"),
              "\"C:\\Program Files\\Gra\\Odinstaluj.exe\"");
    EXPECT_EQ(uninstall_key_path("Gra"),
              "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gra");
    EXPECT_EQ(record_path("C:\\Gra\\"), "C:\\Gra\\\\uninstal.ini");
}

TEST(LaunchRules, ProgramFoundAsWindowsFindsItThenQuoted) {
    const std::set<std::string> files = {
        "C:\\Program Files\\Gra\\Moja Gra.exe", "C:\\Program Files\\Gra\\Moja.exe",
        "C:\\Program Files\\Gra\\bin\\start.exe", "C:\\Program Files\\Gra\\Czytaj mnie.txt",
        "C:\\Program Files\\Gra\\narzędzie.exe"};
    const auto exists = [&files](const std::string& p) { return files.contains(p); };
    const std::string target = "C:\\Program Files\\Gra";
    struct Case {
        std::string entry, line;
    };
    const Case cases[] = {
        // The shortest existing prefix wins, as in Windows' own search.
        {"Moja Gra.exe /x", "\"C:\\Program Files\\Gra\\Moja\" Gra.exe /x"},
        {"bin\\start /a  b", "\"C:\\Program Files\\Gra\\bin\\start\" /a  b"},
        {"Czytaj mnie.txt", "\"C:\\Program Files\\Gra\\Czytaj mnie.txt\""},
        {"narzędzie.exe", "\"C:\\Program Files\\Gra\\narzędzie.exe\""},
        // Nothing exists: the first word, which then fails to start.
        {"brak.exe --opcja", "\"C:\\Program Files\\Gra\\brak.exe\" --opcja"},
        {"\"Moja Gra.exe\" /x", "\"C:\\Program Files\\Gra\\Moja Gra.exe\" /x"},
        {"", "\"C:\\Program Files\\Gra\\\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(launch_command_line(target, c.entry, exists), c.line) << c.entry;
    // A target ending in a backslash keeps its doubled separator.
    EXPECT_EQ(launch_command_line("C:\\Gra\\", "gra.exe -w", exists), "\"C:\\Gra\\\\gra.exe\" -w");
}

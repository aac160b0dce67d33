// The rules of the installation: the target folder's check and making, shortcuts, the
// target-folder placeholder, registry entries, the uninstall record, the launch command line
// and the way a program is started.
#include <gtest/gtest.h>

#include "paths/paths.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "install/launch_rules.h"
#include "install/registry_rules.h"
#include "install/shortcut_rules.h"
#include "install/target_folder.h"
#include "record/uninstall_record.h"

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
    using paths::folder_levels;
    // A drive or a share is no level: it is there, and nothing makes it.
    EXPECT_EQ(folder_levels("C:\\A\\B\\C"), (Levels{"C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}));
    EXPECT_EQ(folder_levels("C:\\A\\"), (Levels{"C:\\A"}));
    EXPECT_EQ(folder_levels("\\A\\B"), (Levels{"\\A", "\\A\\B"}));
    EXPECT_EQ(folder_levels("\\\\serwer\\udział\\Menu\\Gry"),
              (Levels{"\\\\serwer\\udział\\Menu", "\\\\serwer\\udział\\Menu\\Gry"}));
    EXPECT_TRUE(folder_levels("\\\\serwer\\udział").empty());

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

namespace {

// A disk of folders and links: what each path names, and every folder made, in order.
struct FakeDisk {
    std::map<std::string, PathKind> kinds;
    std::vector<std::string> asked, made;
    // A link that appears in place of this folder when it has been made, as another process
    // could swap it between the making and the extractor's start.
    std::string swapped_after_making;

    PathKind kind_of(const std::string& path) {
        asked.push_back(path);
        const auto found = kinds.find(path);
        return found == kinds.end() ? PathKind::missing : found->second;
    }
    void make(const std::string& path) {
        made.push_back(path);
        kinds[path] = path == swapped_after_making ? PathKind::link : PathKind::present;
    }
};

}  // namespace

TEST(TargetFolder, LinksOnTheWayAreRefusedAndMissingLevelsMadeTopDown) {
    const auto P = PathKind::present;
    const auto L = PathKind::link;
    struct Case {
        std::string target;
        std::map<std::string, PathKind> disk;
        std::string swapped;
        std::optional<std::string> refusal;
        std::vector<std::string> made;
    };
    const std::vector<Case> cases = {
        // An existing folder is left as it is.
        {"C:\\Gry\\Gra", {{"C:\\Gry", P}, {"C:\\Gry\\Gra", P}}, "", std::nullopt, {}},
        // Missing levels below the drive, each made once, from the top.
        {"C:\\Gry\\Nowa\\Gra",
         {{"C:\\Gry", P}},
         "",
         std::nullopt,
         {"C:\\Gry\\Nowa", "C:\\Gry\\Nowa\\Gra"}},
        // A trailing or doubled separator names no level of its own.
        {"D:\\Nowy\\\\Gra\\", {}, "", std::nullopt, {"D:\\Nowy", "D:\\Nowy\\\\Gra"}},
        // The target itself a link, with and without a trailing separator.
        {"C:\\Gra", {{"C:\\Gra", L}}, "", "Folder docelowy jest dowiązaniem: C:\\Gra", {}},
        {"C:\\Gra\\", {{"C:\\Gra", L}}, "", "Folder docelowy jest dowiązaniem: C:\\Gra\\", {}},
        // A link anywhere on the way, though the target below it does not exist yet.
        {"C:\\Gry\\Gra\\Nowa",
         {{"C:\\Gry", P}, {"C:\\Gry\\Gra", L}},
         "",
         "Folder docelowy C:\\Gry\\Gra\\Nowa prowadzi przez dowiązanie: C:\\Gry\\Gra",
         {}},
        // A network share's server and share are not asked about; its folders are.
        {"\\\\serwer\\udział\\Gra",
         {{"\\\\serwer\\udział\\Gra", L}},
         "",
         "Folder docelowy jest dowiązaniem: \\\\serwer\\udział\\Gra",
         {}},
        // A level swapped for a link after it was made is found by the second look.
        {"C:\\Gry\\Gra",
         {{"C:\\Gry", P}},
         "C:\\Gry\\Gra",
         "Folder docelowy jest dowiązaniem: C:\\Gry\\Gra",
         {"C:\\Gry\\Gra"}},
    };
    for (const Case& c : cases) {
        FakeDisk disk{c.disk, {}, {}, c.swapped};
        std::optional<std::string> refusal;
        try {
            prepare_target_folder(
                c.target, [&](const std::string& p) { return disk.kind_of(p); },
                [&](const std::string& p) { disk.make(p); });
        } catch (const RuntimeError& e) {
            refusal = e.what();
        }
        EXPECT_EQ(refusal, c.refusal) << c.target;
        EXPECT_EQ(disk.made, c.made) << c.target;
        for (const std::string& asked : disk.asked)
            EXPECT_TRUE(asked.size() > 3 && asked.back() != '\\') << c.target << ": " << asked;
    }
}

TEST(TargetFolder, AFolderThatCannotBeMadeEndsThePreparationWithItsError) {
    FakeDisk disk{{{"C:\\Gry", PathKind::present}}, {}, {}, ""};
    EXPECT_THROW(prepare_target_folder(
                     "C:\\Gry\\A\\B", [&](const std::string& p) { return disk.kind_of(p); },
                     [&](const std::string& p) {
                         disk.make(p);
                         throw std::runtime_error("Nie można utworzyć folderu " + p);
                     }),
                 std::runtime_error);
    EXPECT_EQ(disk.made, std::vector<std::string>{"C:\\Gry\\A"});  // nothing below it tried
}

TEST(LaunchRules, ShellStartTakesTheQuotedProgramApartFromItsArguments) {
    struct Case {
        std::string line;
        std::optional<ShellStart> start;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\Gra\\gra.exe\" -w  x",
         ShellStart{"C:\\Program Files\\Gra\\gra.exe", "-w  x"}},
        {"\"C:\\Gra\\\\Gra\"", ShellStart{"C:\\Gra\\\\Gra.exe", ""}},
        {"\"C:\\G.ra\\start\" \t/a", ShellStart{"C:\\G.ra\\start.exe", "/a"}},
        {"\"C:\\Gra\\STARY.COM\"", ShellStart{"C:\\Gra\\STARY.COM", ""}},
        // Documents and anything not made by launch_command_line stay with the direct start.
        {"\"C:\\Gra\\Czytaj mnie.txt\"", std::nullopt},
        {"\"C:\\Gra\\gra.exe", std::nullopt},
        {"C:\\Gra\\gra.exe", std::nullopt},
        {"\"\" x", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(shell_start_of(c.line), c.start) << c.line;
}

TEST(LaunchRules, AnElevatedInstallerTriesTheShellFirstAndReportsTheRoute) {
    using R = LaunchRoute;
    using Way = std::optional<std::string>;
    struct Case {
        bool elevated;
        Way shell, direct;
        R route;
        std::string reason;
        std::vector<std::string> tried;
    };
    const Case cases[] = {
        {true, std::nullopt, std::nullopt, R::as_user, "przez powłokę pulpitu", {"shell"}},
        {true,
         "brak okna pulpitu",
         std::nullopt,
         R::elevated_fallback,
         "brak okna pulpitu",
         {"shell", "direct"}},
        {true,
         "brak okna pulpitu",
         "CreateProcess: nie ma pliku",
         R::failed,
         "brak okna pulpitu; CreateProcess: nie ma pliku",
         {"shell", "direct"}},
        // Not elevated: the direct start already runs the program as the user.
        {false,
         std::nullopt,
         std::nullopt,
         R::as_user,
         "instalator działa bez podniesionych uprawnień",
         {"direct"}},
        {false,
         std::nullopt,
         "CreateProcess: nie ma pliku",
         R::failed,
         "CreateProcess: nie ma pliku",
         {"direct"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> tried;
        const LaunchReport report = launch_by_route(
            c.elevated,
            [&] {
                tried.push_back("shell");
                return c.shell;
            },
            [&] {
                tried.push_back("direct");
                return c.direct;
            });
        EXPECT_EQ(report.route, c.route) << c.reason;
        EXPECT_EQ(report.reason, c.reason);
        EXPECT_EQ(tried, c.tried) << c.reason;
    }
}

// A target the uninstaller could not remove from, or that would lose the system's own
// folders, is refused before anything is made; every sound full path is taken.
TEST(TargetFolder, RefusedBeforeAnythingIsMadeWhenItCouldNotBeRemovedSafely) {
    const std::vector<std::string> system = {"C:\\Windows", "C:\\Program Files",
                                             "C:\\Program Files (x86)", "C:\\Users\\jan"};
    const std::string long_folder = "C:\\" + std::string(240, 'a');
    struct Case {
        std::string target;
        size_t longest;
        const char* why;  // "" when taken
    };
    const Case cases[] = {
        {"C:\\Gry\\Gra", 14, ""},
        {"C:\\Gry\\Gra\\", 14, ""},
        {"\\\\serwer\\udział\\Gry", 14, ""},
        {"C:\\Program Files\\Firma\\Gra", 14, ""},
        {"C:\\", 14, "to jest cały dysk"},
        {"C:", 14, "to jest cały dysk"},
        {"\\\\serwer\\udział", 14, "to jest cały udział sieciowy"},
        {"\\\\serwer", 14, "ścieżka sieciowa bez nazwy serwera lub udziału"},
        {"GryR\\X", 14, "ścieżka nie jest pełna"},
        {"..\\GryP", 14, "ścieżka nie jest pełna"},
        {"C:Gry", 14, "ścieżka nie jest pełna"},
        {"\\\\?\\C:\\Gry", 14, "ścieżka urządzenia"},
        {"\\\\.\\C:\\Gry", 14, "ścieżka urządzenia"},
        {"C:\\Gry\\X.", 14, "nazwa kończy się kropką lub spacją"},
        {"C:\\Gry \\X", 14, "nazwa kończy się kropką lub spacją"},
        {"C:\\Gry\\..\\X", 14, "ścieżka z . lub .."},
        {"\\\\serwer\\udział\\a:b", 14, "strumień danych w ścieżce"},
        {"C:\\PROGRAM FILES", 14, "to jest folder systemu lub użytkownika"},
        {"c:\\program files (x86)\\", 14, "to jest folder systemu lub użytkownika"},
        {"C:\\Users", 14, "zawiera folder systemu lub użytkownika C:\\Users\\jan"},
        {long_folder, 15, ""},
        {long_folder, 16,
         "ścieżka jest za długa na pliki programu (najdłuższa miałaby 260 "
         "znaków, system przyjmuje 259)"},
    };
    for (const Case& c : cases) {
        const std::string expected =
            *c.why ? "Nie można instalować w folderze " + c.target + ": " + c.why + "." : "";
        EXPECT_EQ(target_refusal(c.target, system, c.longest), expected) << c.target;
    }
}

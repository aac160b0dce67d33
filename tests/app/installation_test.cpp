// Whole installations through real installers, driven from this program as a user drives
// them: the files, the links, the registry, the uninstall record, the programs started after
// it and the finish page; and the runs that end early.
#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "install/startup_rules.h"
#include "integrity/sha256.h"
#include "platform/registry_writer.h"
#include "platform/system_queries.h"
#include "tests/support/directory_link.h"
#include "tests/support/installer_driver.h"
#include "tests/support/link_probe.h"
#include "tests/support/private_folders.h"
#include "tests/support/process.h"
#include "tests/support/registry_probe.h"
#include "tests/support/temp_tree.h"
#include "tests/support/uninstaller_driver.h"
#include "tests/support/window_driver.h"
#include "ui/wizard_rules.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

const std::string kUninstallKeys = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct Value {
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const Value&) const = default;
};
// `view` may add KEY_WOW64_64KEY or KEY_WOW64_32KEY.
std::optional<Value> read_value(HKEY root, const std::string& key, const std::string& name,
                                REGSAM view = 0) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS)
        return std::nullopt;
    Value v;
    DWORD size = 0;
    std::optional<Value> result;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.bytes.resize(size);
        RegQueryValueExA(k, name.c_str(), nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()),
                         &size);
        v.bytes.resize(size);
        result = v;
    }
    RegCloseKey(k);
    return result;
}
Value text_value(const std::string& text) {
    return {REG_SZ, text + '\0'};
}
Value integer_value(DWORD n) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&n), sizeof n)};
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start) + " <no CR LF>");
    return lines;
}

// The nineteen texts every record ends with, from the expected record of the native tests.
std::vector<std::string> fixed_texts() {
    std::ifstream in(EXPECTED_RECORD, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::vector<std::string> lines = lines_of(bytes.str());
    return {lines.end() - 19, lines.end()};
}

// The sample product packed by uha.exe with the sample program, made once.
const std::string& sample_archive() {
    static const std::string bytes = [] {
        TempDir packing;
        ProcessResult packed = run_process(
            test_program_path(UHA_EXE),
            {"a", "-m1", utf8_of(packing / "data.uha"),
             utf8_of(fs::path(test_program_path(WITAJ_EXE))), "-C", SAMPLE_PRODUCT, "."});
        EXPECT_EQ(packed.exit_code, 0) << packed.output;
        return read_file(packing / "data.uha");
    }();
    return bytes;
}

class Installation : public ::testing::Test {
  protected:
    TempDir dir;
    std::unique_ptr<RunningProgram> program;
    HWND form = nullptr;
    std::string target;  // as typed into the wizard
    std::string group;
    std::string log;  // where the sample program writes how it was started
    setup::SystemFolders folders;
    // Removed before and after each test, so that the prefix stays as it was.
    std::vector<std::pair<HKEY, std::string>> keys;
    std::vector<std::string> group_roots;

    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        setup::platform::WindowsSystemQueries system;
        folders = setup::discover_folders(system);
        ASSERT_FALSE(folders.ProgramsFolder.empty());
        ASSERT_FALSE(folders.DesktopFolder.empty());
        log = native(dir / "dziennik.txt");
    }
    void TearDown() override {
        if (form && IsWindow(form)) PostMessageA(form, WM_CLOSE, 0, 0);
        if (program) program->wait_exit(30s);
        clean();
        CoUninitialize();
    }
    void clean() {
        for (const auto& [root, key] : keys) SHDeleteKeyA(root, key.c_str());
        std::error_code ignored;
        for (const std::string& root : group_roots) fs::remove_all(u8_native(root), ignored);
    }
    void forget(const std::string& product, const std::vector<std::string>& links) {
        keys.emplace_back(HKEY_LOCAL_MACHINE, kUninstallKeys + product);
        for (const std::string& link : links) group_roots.push_back(link);
        clean();
    }

    // What the sample product's installation leaves outside its target, its Start-menu group
    // under `group`: removed before and after the test.
    void forget_sample_product(const std::string& group_root) {
        keys = {{HKEY_CURRENT_USER, "Software\\Przykładowy Program"}};
        forget("Przykładowy Program", {programs(group_root), programs("Autostart\\Powitanie.lnk"),
                                       desktop("Przykładowy Program.lnk")});
    }
    // Starts `exe` with the sample archive beside it, walks to the summary with the target
    // and group given, and confirms. The target lies in this test's folder.
    void start(const std::string& exe, const std::string& target_name,
               const std::string& group_text, const std::string& archive = sample_archive()) {
        form = start_installer(program, dir.path(), exe, archive, {"PRZYKLAD_DZIENNIK=" + log});
        ASSERT_NE(form, nullptr);
        target = native(dir.path()) + "\\" + target_name;
        group = group_text;
        walk_to_summary(form, target, group);
        confirm_summary(form);
    }
    HWND find(const char* name) { return find_by_id(form, setup::control_id(name)); }
    bool visible(const char* page) { return IsWindowVisible(find(page)) != 0; }
    // Waits until `page` shows; false when it did not within `bound`.
    bool wait_page(const char* page, std::chrono::seconds bound = 60s) {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (!visible(page) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(20ms);
        return visible(page);
    }
    // Waits for a window of the installer other than the wizard (a message box).
    HWND wait_message(std::chrono::seconds bound = 60s) {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < until) {
            for (HWND w : top_level_windows(program->pid()))
                if (w != form && IsWindowVisible(w)) return w;
            std::this_thread::sleep_for(20ms);
        }
        return nullptr;
    }
    std::string programs(const std::string& rest) const {
        return folders.ProgramsFolder + "\\" + rest;
    }
    std::string desktop(const std::string& rest) const {
        return folders.DesktopFolder + "\\" + rest;
    }
    std::vector<std::string> record() {
        return lines_of(read_file(u8_native(target + "\\uninstal.ini")));
    }
    std::vector<std::string> log_lines() {
        return fs::exists(u8_native(log)) ? lines_of(read_file(u8_native(log)))
                                          : std::vector<std::string>{};
    }
    // An ANSI path as a std::filesystem path.
    static fs::path u8_native(const std::string& ansi) {
        std::wstring wide(ansi.size() + 1, L'\0');
        const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(),
                                          static_cast<int>(wide.size()));
        wide.resize(n > 0 ? n - 1 : 0);
        return fs::path(wide);
    }
    // Runs the registered "UninstallString" as the system runs it, answers "Usuń" and, once
    // the uninstaller reports success with `results` in its list, "Zamknij"; its working copy
    // must be gone then.
    void uninstall(const std::string& product, const std::vector<std::string>& results = {}) {
        const std::optional<Value> command =
            read_value(HKEY_LOCAL_MACHINE, kUninstallKeys + product, "UninstallString");
        ASSERT_TRUE(command);
        fs::create_directories(dir / "utmp");
        const std::string temp = native(dir / "utmp");
        RunningProgram original(command->bytes.c_str(), {"TMP=" + temp, "TEMP=" + temp},
                                native(dir.path()));
        UninstallerCopy copy;
        ASSERT_TRUE(copy.find(30s));
        copy.press(IDOK);
        EXPECT_TRUE(copy.wait_status("Usuwanie zakończone pomyślnie!", 60s)) << copy.status();
        EXPECT_EQ(copy.results(), results);
        copy.press(IDCANCEL);
        EXPECT_TRUE(copy.ended(30s));
        EXPECT_EQ(original.wait_exit(10s), 0);
        EXPECT_TRUE(fs::is_empty(dir / "utmp"));
    }
    // Removes the product from `target` as a deployment tool does (Odinstaluj.exe /S).
    void remove_silently() {
        fs::create_directories(dir / "utmp");
        const std::string temp = native(dir / "utmp");
        RunningProgram remover("\"" + target + "\\Odinstaluj.exe\" /S",
                               {"TMP=" + temp, "TEMP=" + temp}, native(dir.path()));
        EXPECT_EQ(remover.wait_exit(120s), 0);
        std::this_thread::sleep_for(2s);  // the working copy removes the original's file last
    }
    void expect_link(const std::string& link_path, const std::string& points_to,
                     const std::string& working_folder) {
        const std::optional<Link> link = read_link(link_path);
        ASSERT_TRUE(link) << link_path;
        EXPECT_EQ(link->path, points_to) << link_path;
        EXPECT_EQ(link->working_folder, working_folder) << link_path;
        EXPECT_EQ(link->arguments, "") << link_path;
    }
    // The target holds the sample product, the sample program and, when `uninstaller`, the
    // uninstaller, its record and (where one was written) the list.
    void expect_files(bool uninstaller) {
        std::map<std::string, std::string> expected = snapshot(u8(SAMPLE_PRODUCT));
        expected["Witaj.exe"] = read_file(fs::path(test_program_path(WITAJ_EXE)));
        std::map<std::string, std::string> got = snapshot(u8_native(target));
        if (uninstaller) {
            EXPECT_EQ(got["Odinstaluj.exe"],
                      read_file(fs::path(test_program_path(UNINSTALLER_EXE))));
            EXPECT_TRUE(got.contains("uninstal.ini"));
            got.erase("Odinstaluj.exe");
            got.erase("uninstal.ini");
            got.erase("uninstal.lst");
        }
        EXPECT_EQ(got, expected);
    }
};

}  // namespace

// The sample product through the real Setup.exe: its files byte for byte, its links, its
// values, its program started once.
TEST_F(Installation, TheSampleProduct) {
    const std::string product = "Przykładowy Program";
    forget_sample_product("Przykłady");
    start(SETUP_EXE, "Przykładowy Program", "Przykłady\\Przykładowy Program");
    ASSERT_TRUE(wait_page("Finish"));
    expect_files(true);
    // The extractor's output came whole, its last batch included.
    EXPECT_EQ(window_text(find("Label25")), "100%");
    const std::string memo = window_text(find("Memo1"));
    EXPECT_NE(memo.find("\r\nExtracting Witaj.exe\r\n"), std::string::npos) << memo;
    const size_t done = memo.rfind("\r\nTotal: 100%\r\nDone: 8 files, 4 folders, ");
    EXPECT_NE(done, std::string::npos) << memo;
    EXPECT_TRUE(memo.ends_with(" bytes")) << memo.substr(done == std::string::npos ? 0 : done);
    const std::string g = programs(group) + "\\";
    expect_link(g + "Odinstaluj Przykładowy Program.lnk", target + "\\Odinstaluj.exe",
                target + "\\");
    expect_link(g + "Przykładowy Program.lnk", target + "\\Witaj.exe", target + "\\");
    expect_link(programs("Autostart\\Powitanie.lnk"), target + "\\Witaj.exe", target + "\\");
    expect_link(desktop("Przykładowy Program.lnk"), target + "\\Witaj.exe", target + "\\");
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Przykładowy Program", "Folder"),
              text_value(target));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Przykładowy Program", "Wersja"),
              integer_value(100));
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, kUninstallKeys + product, "UninstallString"),
              text_value("\"" + target + "\\Odinstaluj.exe\""));
    EXPECT_EQ(log_lines(), std::vector<std::string>{
                               "\"" + target + "\\Witaj.exe\" --pierwsze-uruchomienie\t" + target});
}

// As a deployment tool runs it: no window, no question, an exit code and a log; the folder
// from the rest of the command line, blanks and Polish letters included, and the group from
// its switch. The script's program is not started without /RUN.
TEST_F(Installation, SilentlyIntoTheFolderAndGroupTheCommandLineNames) {
    const std::string product = "Przykładowy Program";
    forget_sample_product("Gry cichej instalacji");
    target = native(dir.path()) + "\\Cicha instalacja żółwia";
    group = "Gry cichej instalacji";
    const std::string install_log = native(dir.path()) + "\\instalacja.log";
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(),
                              "/s /GROUP=\"" + group + "\" /LOG=" + install_log + " /D=" + target,
                              {"PRZYKLAD_DZIENNIK=" + log}));
    EXPECT_EQ(program->wait_exit(120s), 0);
    expect_files(true);
    expect_link(programs(group + "\\Przykładowy Program.lnk"), target + "\\Witaj.exe",
                target + "\\");
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Przykładowy Program", "Folder"),
              text_value(target));
    // The record the wizard writes for these choices, line for line up to its fixed texts.
    const std::string g = programs(group);
    const std::vector<std::string> lines = record();
    const std::vector<std::string> expected = {
        "U0," + target + ",0",
        "A10,Przykładowy Program 1.0",
        "J0,2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product + ",",
        "J0,2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product + ",DisplayName",
        "J0,2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product +
            ",UninstallString",
        "J0,1,Software\\Przykładowy Program,",
        "J0,1,Software\\Przykładowy Program,Folder",
        "J0,1,Software\\Przykładowy Program,Wersja",
        "P0," + target + "\\Odinstaluj.exe,0",
        "U0," + g + ",0",
        "P0," + g + "\\Odinstaluj " + product + ".lnk,0",
        "P0," + g + "\\Przykładowy Program.lnk,0",
        "P0," + g + "\\Czytaj mnie.lnk,0",
        "P0," + g + "\\Instrukcja obsługi.lnk,0",
        "P0," + programs("Autostart\\Powitanie.lnk") + ",0",
        "P0," + desktop("Przykładowy Program.lnk") + ",0"};
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + expected.size(), lines.end()),
              fixed_texts());
    EXPECT_EQ(log_lines(), std::vector<std::string>{}) << "started without /RUN";

    const std::string text = read_file(u8_native(install_log));
    for (const std::string& step : std::vector<std::string>{
             " argumenty: /s ", " folder roboczy: " + private_parent().string() + "\\Setup-",
             " folder docelowy: " + target + "; grupa: " + group, " uha: Extracting Witaj.exe\r\n",
             " skrót: " + programs(group) + "\\Przykładowy Program.lnk", " rejestr: J0,1,",
             " zapis deinstalatora: P0,", " instalacja zakończona\r\n"})
        EXPECT_NE(text.find(step), std::string::npos) << step << "\n" << text;
}

// /P: a user watches, nobody answers. The window shows the progress page from its first
// moment to its last, never another page, and closes by itself with 0; the folder comes from
// the command line, the group is the one the wizard proposes, and the script's program is
// started as the wizard starts it.
TEST_F(Installation, PassiveShowsOnlyTheProgressPageAndEndsByItself) {
    forget_sample_product("Przykładowy Program");
    target = native(dir.path()) + "\\Instalacja z postępem żółwia";
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(), "/P /D=" + target,
                              {"PRZYKLAD_DZIENNIK=" + log}));
    form = wait_for_window(program->pid(), "TForm1", "", 30s);
    ASSERT_NE(form, nullptr);
    std::set<std::string> seen;
    const auto until = std::chrono::steady_clock::now() + 120s;
    while (IsWindow(form) && std::chrono::steady_clock::now() < until) {
        if (IsWindowVisible(form))
            for (const char* page :
                 {"Welcome", "Path", "MenuStart", "Podsumowanie", "Progress", "Finish"})
                if (visible(page)) seen.insert(page);
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(program->wait_exit(30s), 0);
    EXPECT_EQ(seen, std::set<std::string>{"Progress"});
    expect_files(true);
    expect_link(programs("Przykładowy Program\\Przykładowy Program.lnk"), target + "\\Witaj.exe",
                target + "\\");
    EXPECT_EQ(log_lines(), std::vector<std::string>{
                               "\"" + target + "\\Witaj.exe\" --pierwsze-uruchomienie\t" + target});
}

// /D= and /GROUP= without /S or /P: the wizard as always, with those texts in its inputs,
// kept there through the pages up to the summary.
TEST_F(Installation, FolderAndGroupFromTheCommandLineFillTheWizard) {
    target = native(dir.path()) + "\\Folder z wiersza żółwia";
    group = "Gry z wiersza żółwia";
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(),
                              "/GROUP=\"" + group + "\" /D=" + target));
    form = wait_for_window(program->pid(), "TForm1", "", 30s);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(visible("Welcome"));
    SendMessageA(find("Button4"), BM_CLICK, 0, 0);
    EXPECT_EQ(window_text(find("Edit1")), target);
    SendMessageA(find("Button7"), BM_CLICK, 0, 0);
    EXPECT_EQ(window_text(find("Edit2")), group);
    SendMessageA(find("Button9"), BM_CLICK, 0, 0);
    const std::string summary = window_text(find("Memo1"));
    EXPECT_NE(summary.find("\r\n" + target + "\r\n"), std::string::npos) << summary;
    EXPECT_TRUE(summary.ends_with("\r\n" + group)) << summary;
    PostMessageA(find("Button13"), BM_CLICK, 0, 0);
    EXPECT_NE(program->wait_exit(30s), -1);
    EXPECT_FALSE(fs::exists(u8_native(target)));
}

// /S as a deployment tool runs it: whatever ends the run, the program ends by itself (a box
// would hold it open) with the code that says what, and the target it was to make is not left.
TEST_F(Installation, SilentEndsWithTheCodeOfWhatEndedItAndLeavesNothing) {
    keys = {{HKEY_CURRENT_USER, "Software\\Test Błędu"},
            {HKEY_CURRENT_USER, "Software\\Test Błędu Stary"}};
    forget("Test Błędu", {programs("Test Błędu")});
    forget("Test Instalacji",
           {programs("Test Instalacji"), programs("Autostart\\Powitanie testu.lnk"),
            desktop("Test Instalacji.lnk")});
    struct Case {
        const char* name;
        const char* installer;
        std::optional<std::string> archive;
        const char* switches;
        long code;
    };
    for (const Case& c : {
             Case{"no archive", SETUP_EXE, std::nullopt, "/S", 1620},
             Case{"unknown switch", SETUP_EXE, std::nullopt, "/S /X", 87},
             Case{"extraction fails", SETUP_FAKE_FULL_EXE, "out Error: no space left\\r\nexit 1\n",
                  "/S", 1603},
             Case{"registry write fails", SETUP_REGISTRY_FAILURE_EXE, sample_archive(), "/S", 1627},
         }) {
        SCOPED_TRACE(c.name);
        const fs::path folder = dir.path() / c.name;
        const std::string aimed = native(folder) + "\\Cel żółwia";
        ASSERT_TRUE(run_installer(program, folder, c.installer, c.archive,
                                  std::string(c.switches) + " /D=" + aimed));
        EXPECT_EQ(program->wait_exit(60s), c.code);
        EXPECT_FALSE(fs::exists(u8_native(aimed)));
    }
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, "Software\\Test Błędu Stary"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + "Test Błędu"));
}

// The same product installed twice in a row into the same folder, then removed as a
// deployment tool removes it: both installations end with 0, and the removal leaves nothing.
TEST_F(Installation, TwiceIntoTheSameFolderThenRemovedSilently) {
    const std::string product = "Przykładowy Program";
    // The first installation as this installer makes it, or as one made before there were
    // lists of written files: the second then writes none, and the removal still takes all.
    for (const bool first_has_list : {true, false}) {
        SCOPED_TRACE(first_has_list ? "the first with its list" : "the first without a list");
        forget_sample_product("Przykładowy Program");
        target = native(dir.path()) + (first_has_list ? "\\Dwa razy" : "\\Dwa razy bez listy");
        const std::string install_log = native(dir.path()) + "\\dwa razy.log";
        for (int run = 1; run <= 2; ++run) {
            ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(),
                                      "/S /LOG=\"" + install_log + "\" /D=" + target));
            EXPECT_EQ(program->wait_exit(120s), 0) << "run " << run << ":\n"
                                                   << read_file(u8_native(install_log));
            if (run == 1 && !first_has_list) {
                fs::remove(u8_native(target + "\\uninstal.lst"));
                HKEY key = nullptr;
                ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKeys + product).c_str(), 0,
                                        KEY_SET_VALUE, &key),
                          ERROR_SUCCESS);
                RegDeleteValueA(key, "UninstallListSha256");
                RegCloseKey(key);
            }
        }
        expect_files(true);
        EXPECT_EQ(fs::exists(u8_native(target + "\\uninstal.lst")), first_has_list);
        remove_silently();
        EXPECT_FALSE(fs::exists(u8_native(target)));
        EXPECT_FALSE(fs::exists(u8_native(programs("Przykładowy Program"))));
        EXPECT_FALSE(fs::exists(u8_native(desktop("Przykładowy Program.lnk"))));
        EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + product));
        EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, "Software\\Przykładowy Program"));
    }
}

// Installed into a folder that already holds another program's files and then removed: the
// files that were there stay, and so do their folders and the target; every file the
// installation wrote goes, and its list names exactly them. The target gets the access list of
// a folder the installation makes, so that its users cannot swap the programs it starts.
TEST_F(Installation, FilesThatWereThereBeforeOutliveTheRemoval) {
    forget_sample_product("Przykładowy Program");
    target = native(dir.path()) + "\\Gry9";
    const std::string install_log = native(dir.path()) + "\\gry9.log";
    write_file(u8_native(target + "\\InnaGra\\zapisy\\save1.dat"), "zapis");
    write_file(u8_native(target + "\\notatki.txt"), "notatki");
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(),
                              "/S /LOG=" + install_log + " /D=" + target,
                              {"PRZYKLAD_DZIENNIK=" + log}));
    EXPECT_EQ(program->wait_exit(120s), 0);
    const std::string list = read_file(u8_native(target + "\\uninstal.lst"));
    EXPECT_NE(list.find("P0," + target + "\\Witaj.exe,0\r\n"), std::string::npos) << list;
    EXPECT_EQ(list.find("notatki"), std::string::npos) << list;
    EXPECT_EQ(list.find("InnaGra"), std::string::npos) << list;
    EXPECT_EQ(list.find("U0," + target + ",0"), std::string::npos) << "the target was there";
    // Wine turns an access list into Unix rights only when it makes a folder, so the list
    // itself is not seen here; the installation says it gave it.
    const std::string text = read_file(u8_native(install_log));
    EXPECT_NE(text.find("folder docelowy istniał: jego lista dostępu zostaje zastąpiona listą "
                        "folderu programów (zapis tylko dla administratorów): " +
                        target),
              std::string::npos)
        << text;

    remove_silently();
    EXPECT_EQ(snapshot(u8_native(target)),
              (std::map<std::string, std::string>{{"InnaGra/", ""},
                                                  {"InnaGra/zapisy/", ""},
                                                  {"InnaGra/zapisy/save1.dat", "zapis"},
                                                  {"notatki.txt", "notatki"}}));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + "Przykładowy Program"));
}

// A target the uninstaller could not remove from is refused before anything is written, with
// the code for bad arguments: a drive, relative and device paths, a name the system would cut,
// the Program Files of both views, a path too long for the uninstaller's file.
TEST_F(Installation, UnsafeTargetsAreRefusedBeforeAnythingIsWritten) {
    forget_sample_product("Przykładowy Program");
    const char* version_key = "Software\\Microsoft\\Windows\\CurrentVersion";
    const std::string base = native(dir.path());
    std::vector<std::string> targets = {"C:\\",
                                        "GryR\\X",
                                        "..\\GryP",
                                        "\\\\?\\" + base + "\\Urzadzenie",
                                        base + "\\Kropka.",
                                        base + "\\" + std::string(250 - base.size(), 'd')};
    for (const char* name : {"ProgramFilesDir", "ProgramFilesDir (x86)"}) {
        const std::string folder = setup::platform::read_registry_text(
            HKEY_LOCAL_MACHINE, version_key, name, KEY_WOW64_64KEY);
        if (!folder.empty()) targets.push_back(folder);
    }
    for (const std::string& aimed : targets) {
        SCOPED_TRACE(aimed);
        const std::string install_log = base + "\\odmowa.log";
        ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(),
                                  "/S /LOG=" + install_log + " /D=" + aimed));
        EXPECT_EQ(program->wait_exit(60s), 87);
        const std::string text = read_file(u8_native(install_log));
        EXPECT_NE(text.find("Nie można instalować w folderze " + aimed + ": "), std::string::npos)
            << text;
        if (aimed.size() > 3 && aimed[1] == ':') {
            EXPECT_FALSE(fs::exists(u8_native(aimed + "\\Witaj.exe")));
        }
    }
    for (const char* made : {"tmp/GryR", "GryP", "Kropka", "Urzadzenie"})
        EXPECT_FALSE(fs::exists(dir.path() / made)) << made;
    EXPECT_FALSE(fs::exists(dir.path() / std::string(250 - base.size(), 'd')));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + "Przykładowy Program"));
}

// A watcher of the user's own renames the private folder away once the extractor is in it and
// puts a folder of its own, with its own Uha.exe, in its place: that program never runs (the
// installation fails before anything is unpacked, or the swap came after the start). Windows
// refuses the renaming itself, since the folder is held; Wine does not, which lets the check of
// the started program's file show.
TEST_F(Installation, AnExtractorSwappedWithItsFolderIsNotStarted) {
    forget_sample_product("Przykładowy Program");
    target = native(dir.path()) + "\\Podmieniony";
    std::atomic<bool> done = false;
    std::atomic<int> swapped = 0;
    std::vector<fs::path> moved;  // read once the watcher has ended
    std::thread watcher([&] {
        while (!done && swapped == 0) {
            std::error_code error;
            for (const fs::path& folder : private_folders(private_parent(), "Setup-")) {
                if (!fs::exists(folder / "Uha.exe", error)) continue;
                fs::rename(folder, folder.wstring() + L"-stary", error);
                if (error) continue;
                moved.push_back(folder);
                fs::create_directories(folder, error);
                fs::copy_file(u8_native(test_program_path(WITAJ_EXE)), folder / "Uha.exe", error);
                ++swapped;
            }
        }
    });
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(), "/S /D=" + target,
                              {"PRZYKLAD_DZIENNIK=" + log}));
    const int exit = program->wait_exit(120s);
    done = true;
    watcher.join();
    if (swapped == 0) GTEST_SKIP() << "the private folder could not be renamed while held";
    EXPECT_EQ(log_lines(), std::vector<std::string>{}) << "the swapped-in program ran";
    if (exit != 0) {
        EXPECT_FALSE(fs::exists(u8_native(target + "\\Witaj.exe")));
    }
    std::error_code ignored;
    for (const fs::path& folder : moved) {
        fs::remove_all(folder, ignored);
        fs::remove_all(folder.wstring() + L"-stary", ignored);
    }
}

// A folder the extraction made is swapped for a link to another folder before the extraction
// fails: the undo takes back nothing behind the link.
TEST_F(Installation, TheUndoLeavesWhatLiesBehindAFolderSwappedForALink) {
    TempDir packing;
    write_file(packing.path() / "produkt" / "Dane" / "poziom.dat", "nasz");
    const ProcessResult packed =
        run_process(test_program_path(UHA_EXE), {"a", "-m1", utf8_of(packing.path() / "data.uha"),
                                                 "-C", utf8_of(packing.path() / "produkt"), "."});
    ASSERT_EQ(packed.exit_code, 0) << packed.output;
    target = native(dir.path()) + "\\Podmiana";
    const fs::path script = dir.path() / "skrypt.txt";
    write_file(script, "touch Dane\\poziom.dat\nsleep 3000\nexit 1\n");
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_FAKE_FULL_EXE,
                              read_file(packing.path() / "data.uha"), "/S /D=" + target,
                              {"FAKE_EXTRACTOR_SCRIPT=" + native(script)}));
    const fs::path dane = u8_native(target + "\\Dane");
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (!fs::exists(dane / "poziom.dat") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(5ms);
    write_file(u8_native(target + "\\obcy\\poziom.dat"), "cudzy");
    fs::rename(dane, dane.wstring() + L"-stare");
    const DirectoryLink link(dane, "obcy");
    ASSERT_TRUE(link.made());
    EXPECT_EQ(program->wait_exit(60s), 1603);
    EXPECT_EQ(read_file(u8_native(target + "\\obcy\\poziom.dat")), "cudzy");
}

// A record planted in a folder made before the installation hands none of its keys to the
// new record (whose uninstaller would remove them): only a record the product's uninstall key
// vouches for is carried over, as the test above shows.
TEST_F(Installation, ARecordPlantedInTheTargetIsNotCarriedOver) {
    forget_sample_product("Przykładowy Program");
    const std::string foreign = "Software\\Obcy klucz podrzucony";
    keys.push_back({HKEY_CURRENT_USER, foreign});
    target = native(dir.path()) + "\\Podrzucony zapis";
    const std::string install_log = native(dir.path()) + "\\podrzucony.log";
    fs::create_directories(u8_native(target));
    write_file(u8_native(target + "\\uninstal.ini"),
               "J0,1," + foreign + ",\r\nJ0,1," + foreign + ",Obca\r\n");
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_EXE, sample_archive(),
                              "/S /LOG=" + install_log + " /D=" + target,
                              {"PRZYKLAD_DZIENNIK=" + log}));
    EXPECT_EQ(program->wait_exit(120s), 0);
    for (const std::string& line : record())
        EXPECT_EQ(line.find("Obcy klucz"), std::string::npos) << line;
    const std::string text = read_file(u8_native(install_log));
    EXPECT_NE(text.find("plik deinstalatora sprzed instalacji pominięty"), std::string::npos)
        << text;
}

TEST_F(Installation, EverythingTheScriptAsksForInATargetWithBlanks) {
    const std::string product = "Test Instalacji";
    keys = {{HKEY_CURRENT_USER, "Software\\Test Instalacji"},
            {HKEY_LOCAL_MACHINE, "Software\\Test Instalacji"},
            {HKEY_CLASSES_ROOT, ".testinstalacji"},
            {HKEY_CURRENT_CONFIG, "Software\\Test Instalacji"}};
    forget(product, {programs("Testy instalatora"), programs("Autostart\\Powitanie testu.lnk"),
                     desktop("Test Instalacji.lnk")});
    // A key that exists before: its value is written, the key is not recorded as made.
    HKEY existing = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Istniejący klucz", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &existing, nullptr),
              ERROR_SUCCESS);
    RegDeleteValueA(existing, "Wartość");
    RegSetValueExA(existing, "Inna", 0, REG_SZ, reinterpret_cast<const BYTE*>("zostaje"), 8);
    RegCloseKey(existing);
    keys.emplace_back(HKEY_CURRENT_USER, "Software\\Istniejący klucz");
    // A program that Windows would start for an unquoted "...\Program Files\Test ..." line.
    ASSERT_TRUE(CopyFileA(test_program_path(WITAJ_EXE).c_str(), native(dir / "Program.exe").c_str(),
                          FALSE));

    start(SETUP_FULL_EXE, "Program Files\\Test Instalacji", "Testy instalatora\\Test Instalacji");
    ASSERT_TRUE(wait_page("Finish"));
    EXPECT_FALSE(visible("Progress"));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(form, "SetupColor")), RGB(255, 255, 255) + 1);

    expect_files(true);

    // Links: the uninstaller's first in the group, then the script's, Autostart, desktop.
    const std::string g = programs(group) + "\\";
    expect_link(g + "Odinstaluj Test Instalacji.lnk", target + "\\Odinstaluj.exe", target + "\\");
    expect_link(g + "Witaj.lnk", target + "\\Witaj.exe", target + "\\");
    expect_link(g + "Instrukcja obsługi.lnk", target + "\\Dokumentacja\\Instrukcja obsługi.txt",
                target + "\\Dokumentacja\\");
    expect_link(programs("Autostart\\Powitanie testu.lnk"), target + "\\Witaj.exe", target + "\\");
    expect_link(desktop("Test Instalacji.lnk"), target + "\\Czytaj.txt", target + "\\");

    // Values of each type and root; the placeholder expanded.
    const std::string key = "Software\\Test Instalacji";
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, key, "Folder"), text_value(target + "\\bin"));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, key, "Wersja"), integer_value(12));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, key, "Opis"), text_value("12a"));
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, key, "Maszyna"), text_value("tekst"));
    EXPECT_EQ(read_value(HKEY_CLASSES_ROOT, ".testinstalacji", ""),
              text_value("TestInstalacji.Plik"));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, key + "\\Pominięta"));
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, key + "\\Pominięta", "Nic"), std::nullopt);
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Istniejący klucz", "Wartość"),
              text_value("żółw"));
    EXPECT_EQ(read_value(HKEY_CURRENT_CONFIG, key, "Profil"), integer_value(16));

    // The system's list of removable programs.
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, kUninstallKeys + product, "DisplayName"),
              text_value(product));
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, kUninstallKeys + product, "UninstallString"),
              text_value("\"" + target + "\\Odinstaluj.exe\""));

    std::vector<std::string> expected = {
        "U0," + target + ",0",
        "A10,Test Instalacji 1.0",
        "J0,2," + kUninstallKeys + product + ",",
        "J0,2," + kUninstallKeys + product + ",DisplayName",
        "J0,2," + kUninstallKeys + product + ",UninstallString",
        "J0,1,Software\\Test Instalacji,",
        "J0,1,Software\\Test Instalacji,Folder",
        "J0,1,Software\\Test Instalacji,Wersja",
        "J0,1,\\Software\\Test Instalacji,Opis",
        "J0,2,Software\\Test Instalacji,",
        "J0,2,Software\\Test Instalacji,Maszyna",
        "J0,0,.testinstalacji,",
        "J0,0,.testinstalacji,",
        "J0,2,Software\\Test Instalacji\\Pominięta,",
        "J0,2,Software\\Test Instalacji\\Pominięta,Nic",
        "J0,1,Software\\Istniejący klucz,Wartość",
        "J0,5,Software\\Test Instalacji,",
        "J0,5,Software\\Test Instalacji,Profil",
        "P0," + target + "\\Odinstaluj.exe,0",
        "U0," + programs(group) + ",0",
        "P0," + g + "Odinstaluj Test Instalacji.lnk,0",
        "P0," + g + "Witaj.lnk,0",
        "P0," + g + "Instrukcja obsługi.lnk,0",
        "P0," + programs("Autostart\\Powitanie testu.lnk") + ",0",
        "P0," + desktop("Test Instalacji.lnk") + ",0",
    };
    const std::vector<std::string> texts = fixed_texts();
    expected.insert(expected.end(), texts.begin(), texts.end());
    EXPECT_EQ(record(), expected);
    // The record's digest, which the uninstaller checks, beside the uninstall string.
    setup::Sha256 digest;
    const std::string record_bytes = read_file(u8_native(target + "\\uninstal.ini"));
    digest.update(record_bytes.data(), record_bytes.size());
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, kUninstallKeys + product, "UninstallRecordSha256"),
              text_value(setup::to_hex(digest.finish())));

    // The programs of section R, from the target folder, their path quoted; the missing one
    // passed over, and nothing started in its place.
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               "\"" + target + "\\Witaj.exe\" --pierwszy \"dwa słowa\"\t" + target,
                               "\"" + target + "\\Witaj.exe\" drugi\t" + target}));

    // "Zakończ" ends the program, and its private folder goes with it.
    PostMessageA(find("Button18"), BM_CLICK, 0, 0);
    EXPECT_EQ(program->wait_exit(30s), 0);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));

    // The uninstaller removes exactly what the installation made, and every value it wrote.
    uninstall(product);
    EXPECT_FALSE(fs::exists(u8_native(target)));
    EXPECT_FALSE(fs::exists(dir / "Program Files"));  // a level the installation made
    EXPECT_TRUE(fs::exists(dir / "Program.exe"));
    EXPECT_FALSE(fs::exists(u8_native(programs(group))));
    EXPECT_FALSE(fs::exists(u8_native(programs("Testy instalatora"))));
    EXPECT_FALSE(fs::exists(u8_native(programs("Autostart\\Powitanie testu.lnk"))));
    EXPECT_FALSE(fs::exists(u8_native(desktop("Test Instalacji.lnk"))));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, key));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, key));
    EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, ".testinstalacji"));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_CONFIG, key));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + product));
    // A key that was there before stays, with its other values.
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Istniejący klucz", "Wartość"), std::nullopt);
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Istniejący klucz", "Inna"),
              text_value("zostaje"));
}

// A product that starts with Windows (a Run value) and keeps a setting in a key three levels
// below the maker's: its removal leaves nothing of it, neither the value nor the folders and
// keys made above the target, the group and the setting's key; what was there before stays.
TEST_F(Installation, WhatTheProductMadeAboveItsOwnGoesWithIt) {
    const std::string product = "Żółw Produkt";
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    keys = {{HKEY_CURRENT_USER, "Software\\ZolwFirma"}};
    forget(product, {programs("Żółw Firma")});
    auto set_text = [](const std::string& key, const char* name, const std::string& text) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(handle);
    };
    set_text("Software\\ZolwFirma", "Inny program", "zostaje");
    set_text(run, "Inny program", "C:\\inny.exe");

    start(SETUP_ZOLW_EXE, "Program Files\\Żółw Firma\\Produkt", "Żółw Firma\\Produkt");
    ASSERT_TRUE(wait_page("Finish"));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, run, product), text_value(target + "\\Witaj.exe"));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\ZolwFirma\\Produkt\\Okno", "Szerokość"),
              integer_value(640));
    PostMessageA(find("Button18"), BM_CLICK, 0, 0);
    EXPECT_EQ(program->wait_exit(30s), 0);

    uninstall(product);
    EXPECT_FALSE(fs::exists(dir / "Program Files"));
    EXPECT_FALSE(fs::exists(u8_native(programs("Żółw Firma"))));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, run, product), std::nullopt);
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, "Software\\ZolwFirma\\Produkt"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + product));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\ZolwFirma", "Inny program"),
              text_value("zostaje"));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, run, "Inny program"), text_value("C:\\inny.exe"));
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, run.c_str(), 0, KEY_SET_VALUE, &handle) == ERROR_SUCCESS) {
        RegDeleteValueA(handle, "Inny program");
        RegCloseKey(handle);
    }
}

TEST_F(Installation, WithoutStartMenuEntriesNoGroupButAutostartAndDesktopLinks) {
    forget("Test Bez Menu", {programs("Autostart\\Powitanie bez menu.lnk"), desktop("Bez menu.lnk"),
                             programs("Grupa bez menu")});
    start(SETUP_NO_MENU_EXE, "Bez menu", "Grupa bez menu");
    ASSERT_TRUE(wait_page("Finish"));
    expect_files(true);
    EXPECT_FALSE(fs::exists(u8_native(programs("Grupa bez menu"))));
    expect_link(programs("Autostart\\Powitanie bez menu.lnk"), target + "\\Witaj.exe",
                target + "\\");
    expect_link(desktop("Bez menu.lnk"), target + "\\Czytaj.txt", target + "\\");
    const std::vector<std::string> lines = record();
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[5], "P0," + target + "\\Odinstaluj.exe,0");
    EXPECT_EQ(lines[6], "P0," + programs("Autostart\\Powitanie bez menu.lnk") + ",0");
    EXPECT_EQ(lines[7], "P0," + desktop("Bez menu.lnk") + ",0");
    EXPECT_TRUE(log_lines().empty());  // no programs to start
}

// A target typed with a final backslash gives doubled separators, used as they stand; a
// folder name with a backslash puts the uninstall key a level deeper and makes the
// uninstaller's link name a folder that does not exist, so its save fails without a word and
// its line is recorded all the same. The uninstaller copes with both.
TEST_F(Installation, TargetEndingInABackslashAndAFolderNameWithOne) {
    const std::string product = "Testy\\Z Ukośnikiem";
    keys = {{HKEY_LOCAL_MACHINE, kUninstallKeys + "Testy"}};
    forget(product, {programs("Grupa ukośnika")});
    start(SETUP_BACKSLASH_EXE, "Ukośnik\\", "Grupa ukośnika");
    ASSERT_TRUE(wait_page("Finish"));
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, kUninstallKeys + product, "DisplayName"),
              text_value(product));
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, kUninstallKeys + product, "UninstallString"),
              text_value("\"" + target + "\\Odinstaluj.exe\""));
    const std::string g = programs("Grupa ukośnika");
    const std::vector<std::string> lines = record();
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[0], "U0," + target + ",0");
    EXPECT_EQ(lines[5], "P0," + target + "\\Odinstaluj.exe,0");
    EXPECT_EQ(lines[7], "P0," + g + "\\Odinstaluj " + product + ".lnk,0");
    EXPECT_FALSE(fs::exists(u8_native(g + "\\Odinstaluj Testy")));
    // The shell stores the path of an existing file in its full form, one separator each.
    expect_link(g + "\\Czytaj.lnk", target + "Czytaj.txt", target + "\\");

    uninstall(product);
    EXPECT_FALSE(fs::exists(u8_native(target)));
    EXPECT_FALSE(fs::exists(u8_native(g)));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + product));
}

TEST_F(Installation, WithoutUninstallerNothingOfItIsMade) {
    forget("Test Bez Deinstalatora", {programs("Grupa bez deinstalatora")});
    start(SETUP_NO_UNINSTALLER_EXE, "Bez deinstalatora", "Grupa bez deinstalatora");
    ASSERT_TRUE(wait_page("Finish"));
    expect_files(false);
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + "Test Bez Deinstalatora"));
    // The group has the script's link only.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(u8_native(programs("Grupa bez deinstalatora"))))
        names.push_back(utf8_of(e.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"Witaj.lnk"});
}

// A registry write that fails after the extraction ends the run with the standard error box,
// once everything the run made is taken back: the files it unpacked, the folders, the links,
// the keys it made and the values it wrote, an overwritten value with its old data. What was
// there before stays: a file of the user's with its content, a file the archive wrote over (which
// the log names), a key with a value of someone else's.
TEST_F(Installation, RegistryWriteThatFailsLeavesTheMachineAsItWas) {
    keys = {{HKEY_CURRENT_USER, "Software\\Test Błędu"},
            {HKEY_CURRENT_USER, "Software\\Test Błędu Stary"}};
    forget("Test Błędu", {programs("Grupa błędu")});
    HKEY old = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Test Błędu Stary", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &old, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(old, "Wartość", 0, REG_SZ, reinterpret_cast<const BYTE*>("stara"), 6);
    RegSetValueExA(old, "Cudza", 0, REG_SZ, reinterpret_cast<const BYTE*>("zostaje"), 8);
    RegCloseKey(old);
    const fs::path before = dir.path() / u8"Błąd";
    fs::create_directories(before);
    write_file(before / "moje.txt", "moje");
    write_file(before / "Czytaj.txt", "stary");
    const std::string setup_log = native(dir / "setup.log");

    form = start_installer(program, dir.path(), SETUP_REGISTRY_FAILURE_EXE, sample_archive(),
                           {"PRZYKLAD_DZIENNIK=" + log}, "\"/LOG=" + setup_log + "\"");
    ASSERT_NE(form, nullptr);
    target = native(before);
    walk_to_summary(form, target, "Grupa błędu");
    confirm_summary(form);
    HWND box = wait_message();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(window_text(box), "Setup");
    // The script's key is longer than the registry takes: the box names it with its root and
    // the system's reason.
    const std::string message = message_text(box);
    const std::string named =
        "Nie można utworzyć klucza rejestru HKEY_CURRENT_USER\\Software\\Test Błędu\\KKKK";
    EXPECT_EQ(message.substr(0, named.size()), named);
    const size_t reason = message.rfind("K: ");
    ASSERT_NE(reason, std::string::npos) << message;
    EXPECT_GT(message.size(), reason + 3) << message;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(visible("Progress"));
    EXPECT_FALSE(visible("Finish"));

    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(before))
        left.push_back(utf8_of(fs::relative(e.path(), before)));
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Czytaj.txt", "moje.txt"}));
    EXPECT_EQ(read_file(before / "moje.txt"), "moje");
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, "Software\\Test Błędu"));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Test Błędu Stary", "Wartość"),
              text_value("stara"));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\Test Błędu Stary", "Cudza"),
              text_value("zostaje"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + "Test Błędu"));
    const std::string written = read_file(u8_native(setup_log));
    EXPECT_FALSE(fs::exists(u8_native(programs("Grupa błędu")))) << written;
    EXPECT_TRUE(log_lines().empty());  // no program started

    for (const std::string& expected : std::vector<std::string>{
             "cofanie zmian: " + message,
             "plik sprzed instalacji zostaje (mógł zostać zastąpiony): " + target + "\\Czytaj.txt",
             std::string("zmiany cofnięte"), "błąd: " + message})
        EXPECT_NE(written.find(expected), std::string::npos) << expected << "\n" << written;
    EXPECT_EQ(written.find("nie cofnięto"), std::string::npos) << written;
}

// A cancel while the extractor runs (a scripted one that unpacks two of the archive's files,
// then waits): what it unpacked goes, and the folders it made; a file of the user's and a file
// the archive would write over stay as they were; nothing after the extraction is made.
TEST_F(Installation, CancelDuringExtractionLeavesTheTargetAsItWas) {
    const std::string product = "Test Instalacji";
    keys = {{HKEY_CURRENT_USER, "Software\\Test Instalacji"}};
    forget(product, {programs("Grupa anulowana"), programs("Autostart\\Powitanie testu.lnk"),
                     desktop("Test Instalacji.lnk")});
    const fs::path before = dir.path() / "Anulowana";
    fs::create_directories(before);
    write_file(before / "moje.txt", "moje");
    write_file(before / "Czytaj.txt", "stary");
    const fs::path script = dir.path() / "skrypt.txt";
    write_file(
        script,
        "touch Witaj.exe\ntouch Dane\\Słownik\\wyrazy.txt\nout Extracting Witaj.exe\\r\nhang\n");
    form = start_installer(program, dir.path(), SETUP_FAKE_FULL_EXE, sample_archive(),
                           {"PRZYKLAD_DZIENNIK=" + log, "FAKE_EXTRACTOR_SCRIPT=" + native(script)});
    ASSERT_NE(form, nullptr);
    target = native(before);
    walk_to_summary(form, target, "Grupa anulowana");
    confirm_summary(form);
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (window_text(find("Label1")).find("Witaj.exe") == std::string::npos &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(fs::exists(u8_native(target + "\\Dane\\Słownik\\wyrazy.txt")));
    PostMessageA(find("Button16"), BM_CLICK, 0, 0);
    EXPECT_EQ(program->wait_exit(30s), 0);
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(before))
        left.push_back(utf8_of(fs::relative(e.path(), before)));
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Czytaj.txt", "moje.txt"}));
    EXPECT_EQ(read_file(before / "Czytaj.txt"), "stary");
    EXPECT_FALSE(fs::exists(u8_native(programs("Grupa anulowana"))));
    EXPECT_FALSE(fs::exists(u8_native(desktop("Test Instalacji.lnk"))));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, "Software\\Test Instalacji"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + product));
    EXPECT_TRUE(log_lines().empty());
}

// An extractor that fails (here one that says why and exits 1): the installation stops with
// the standard error box and makes nothing after the extraction.
TEST_F(Installation, FailedExtractionIsReportedAndMakesNothingElse) {
    keys = {{HKEY_CURRENT_USER, "Software\\Test Instalacji"}};
    forget("Test Instalacji",
           {programs("Grupa nieudana"), programs("Autostart\\Powitanie testu.lnk"),
            desktop("Test Instalacji.lnk")});
    start(SETUP_FAKE_FULL_EXE, "Nieudana", "Grupa nieudana",
          "out Extracting plik.txt\\r\nout Error: no space left\\r\nexit 1\n");
    HWND box = wait_message();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box),
              "Rozpakowanie archiwum " + native(dir / "Pobrane") +
                  "\\data.uha nie powiodło się (kod 1); szczegóły są na liście w oknie "
                  "instalatora.");
    const std::string memo = window_text(find("Memo1"));
    EXPECT_NE(memo.find("Error: no space left"), std::string::npos) << memo;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(visible("Progress"));
    EXPECT_FALSE(fs::exists(u8_native(programs("Grupa nieudana"))));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, "Software\\Test Instalacji"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKeys + "Test Instalacji"));
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(Installation, CancelDuringTheLaunchPhaseStillLaunchesButShowsNoFinish) {
    std::vector<std::string> links;
    for (int i = 1; i <= 40; ++i)
        links.push_back(desktop("Test Anulowania " + std::to_string(i) + ".lnk"));
    forget("Test Anulowania", links);
    start(SETUP_CANCEL_EXE, "Anulowanie", "Grupa");
    // Once the extractor is gone the window answers next in the launch phase: the click waits
    // for it there, while the forty links are made.
    const auto until = std::chrono::steady_clock::now() + 60s;
    const auto extractor_left = [this] {
        for (const auto& own : private_folders(private_parent(), "Setup-"))
            if (fs::exists(own / "Uha.exe")) return true;
        return false;
    };
    while (extractor_left() || !fs::exists(u8_native(target + "\\Czytaj.txt"))) {
        ASSERT_LT(std::chrono::steady_clock::now(), until);
        std::this_thread::sleep_for(5ms);
    }
    PostMessageA(find("Button16"), BM_CLICK, 0, 0);
    const auto launched = std::chrono::steady_clock::now() + 30s;
    while (log_lines().empty() && std::chrono::steady_clock::now() < launched)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(log_lines(), std::vector<std::string>{"\"" + target +
                                                    "\\Witaj.exe\" --mimo-anulowania\t" + target});
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(visible("Progress"));
    EXPECT_FALSE(visible("Finish"));
    EXPECT_EQ(window_text(find("Label1")), "Instaluję...");
}

namespace {

bool key_in_view(HKEY root, const std::string& key, REGSAM view) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

// Removes `key` of `root` and all below it in both views, as far as it is there.
void forget_in_both_views(HKEY root, const std::string& parent, const std::string& name) {
    for (REGSAM view : {REGSAM{KEY_WOW64_64KEY}, REGSAM{KEY_WOW64_32KEY}}) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(root, parent.c_str(), 0, KEY_ALL_ACCESS | view, &k) != ERROR_SUCCESS)
            continue;
        SHDeleteKeyA(k, name.c_str());
        RegCloseKey(k);
    }
}

}  // namespace

// A 64-bit product on 64-bit Windows, installed without questions into the folder proposed:
// the 64-bit Program Files, its values and its complete entry in the 64-bit view only, its
// link to its 64-bit folder; its uninstaller takes all of it away in that view. Only the
// 32-bit build in a 64-bit prefix meets the redirection a 32-bit installer must get around;
// the 64-bit test build, itself a 64-bit program, shows the rest.
TEST_F(Installation, ASixtyFourBitProductGoesWhereSixtyFourBitProgramsLook) {
    if (!setup::platform::windows_is_64_bit())
        GTEST_SKIP() << "this Windows is 32-bit: a 64-bit product is refused here (the next test)";
    if (sizeof(void*) == 8)
        std::cout << "[ NOTE     ] a 64-bit test build is not redirected: the 32-bit build in a "
                     "64-bit prefix shows what redirection does\n";
    const std::string product = "Test 64";
    const std::string uninstall_key = kUninstallKeys + product;
    const char* version_key = "Software\\Microsoft\\Windows\\CurrentVersion";
    const std::string program_files = setup::platform::read_registry_text(
        HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir", KEY_WOW64_64KEY);
    const std::string program_files_x86 = setup::platform::read_registry_text(
        HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir", KEY_WOW64_32KEY);
    ASSERT_FALSE(program_files.empty());
    const auto forget_all = [&] {
        forget_in_both_views(HKEY_LOCAL_MACHINE, "Software", product);
        forget_in_both_views(HKEY_CURRENT_USER, "Software", product);
        forget_in_both_views(HKEY_LOCAL_MACHINE, kUninstallKeys, product);
        std::error_code ignored;
        fs::remove_all(u8_native(program_files + "\\" + product), ignored);
        fs::remove_all(u8_native(programs(product)), ignored);
    };
    forget_all();
    target = program_files + "\\" + product;
    const std::string install_log = native(dir.path()) + "\\x64.log";
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_X64_EXE, sample_archive(),
                              "/S /LOG=" + install_log));
    EXPECT_EQ(program->wait_exit(120s), 0) << read_file(u8_native(install_log));
    EXPECT_TRUE(fs::exists(u8_native(target + "\\Witaj.exe")));
    if (program_files_x86 != program_files) {
        EXPECT_FALSE(fs::exists(u8_native(program_files_x86 + "\\" + product)));
    }
    expect_link(programs(product + "\\Witaj 64.lnk"), target + "\\Witaj.exe", target + "\\");

    // Every value in the 64-bit view, none in the 32-bit one.
    const REGSAM wide = KEY_WOW64_64KEY;
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, "Software\\" + product, "Folder", wide),
              text_value(target));
    EXPECT_EQ(read_value(HKEY_CURRENT_USER, "Software\\" + product, "Okno", wide),
              integer_value(42));
    const std::map<std::string, Value> entry = {
        {"DisplayName", text_value(product)},
        {"UninstallString", text_value("\"" + target + "\\Odinstaluj.exe\"")},
        {"DisplayVersion", text_value("2.1.0")},
        {"Publisher", text_value("Firma Testowa")},
        {"URLInfoAbout", text_value("https://example.org/test64")},
        {"InstallLocation", text_value(target)},
        {"DisplayIcon", text_value(target + "\\Witaj.exe")},
        {"QuietUninstallString", text_value("\"" + target + "\\Odinstaluj.exe\" /S")},
        {"NoModify", integer_value(1)},
        {"NoRepair", integer_value(1)}};
    for (const auto& [name, value] : entry)
        EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, uninstall_key, name, wide), value) << name;
    const std::optional<Value> date =
        read_value(HKEY_LOCAL_MACHINE, uninstall_key, "InstallDate", wide);
    ASSERT_TRUE(date);
    EXPECT_EQ(date->bytes.size(), 9u);  // yyyymmdd and its NUL
    const std::optional<Value> size =
        read_value(HKEY_LOCAL_MACHINE, uninstall_key, "EstimatedSize", wide);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_GE(*reinterpret_cast<const DWORD*>(size->bytes.data()),
              fs::file_size(fs::path(test_program_path(WITAJ_EXE))) / 1024);
    if (sizeof(void*) == 4) {
        EXPECT_FALSE(key_in_view(HKEY_LOCAL_MACHINE, uninstall_key, KEY_WOW64_32KEY));
        EXPECT_FALSE(key_in_view(HKEY_LOCAL_MACHINE, "Software\\" + product, KEY_WOW64_32KEY));
    }
    // The record names each of them in the 64-bit view.
    const std::vector<std::string> lines = record();
    ASSERT_GE(lines.size(), 16u);
    const std::string u = "J64,2," + uninstall_key + ",";
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 2, lines.begin() + 15),
        (std::vector<std::string>{u, u + "DisplayName", u + "UninstallString", u + "DisplayVersion",
                                  u + "Publisher", u + "URLInfoAbout", u + "InstallLocation",
                                  u + "InstallDate", u + "EstimatedSize", u + "DisplayIcon",
                                  u + "QuietUninstallString", u + "NoModify", u + "NoRepair"}));

    remove_silently();
    EXPECT_FALSE(fs::exists(u8_native(target)));
    EXPECT_FALSE(fs::exists(u8_native(programs(product))));
    for (REGSAM view : {REGSAM{KEY_WOW64_64KEY}, REGSAM{KEY_WOW64_32KEY}}) {
        EXPECT_FALSE(key_in_view(HKEY_LOCAL_MACHINE, uninstall_key, view));
        EXPECT_FALSE(key_in_view(HKEY_LOCAL_MACHINE, "Software\\" + product, view));
        EXPECT_FALSE(key_in_view(HKEY_CURRENT_USER, "Software\\" + product, view));
    }
    forget_all();
}

// On 32-bit Windows a 64-bit product is refused before the wizard: in the standard error box,
// or, without questions, with 1633 and nothing written.
TEST_F(Installation, OnThirtyTwoBitWindowsASixtyFourBitProductIsRefused) {
    if (setup::platform::windows_is_64_bit())
        GTEST_SKIP() << "this Windows is 64-bit: the refusal shows in a 32-bit prefix, with the "
                        "32-bit build under 32-bit Wine";
    const std::string install_log = native(dir.path()) + "\\x64.log";
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_X64_EXE, sample_archive(),
                              "/S /LOG=" + install_log + " /D=" + native(dir.path()) + "\\T64"));
    EXPECT_EQ(program->wait_exit(60s), 1633);
    const std::string text = read_file(u8_native(install_log));
    EXPECT_NE(text.find("Ten program wymaga 64-bitowej wersji systemu Windows."), std::string::npos)
        << text;
    EXPECT_FALSE(fs::exists(dir.path() / "T64"));
    EXPECT_FALSE(key_in_view(HKEY_LOCAL_MACHINE, kUninstallKeys + "Test 64", 0));

    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_X64_EXE, sample_archive(), ""));
    const auto until = std::chrono::steady_clock::now() + 60s;
    HWND box = nullptr;
    while (!box && std::chrono::steady_clock::now() < until) {
        for (HWND w : top_level_windows(program->pid()))
            if (IsWindowVisible(w) && class_of(w) == "#32770") box = w;
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_NE(box, nullptr) << "no box";
    EXPECT_EQ(message_text(box), "Ten program wymaga 64-bitowej wersji systemu Windows.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program->wait_exit(30s), 1);
}

// An installed version is found through its entry: a later one goes into its folder and group,
// through the wizard (which proposes them and says so in its summary) or without questions; a
// version older than the installed one is refused unless forced.
TEST_F(Installation, ALaterVersionGoesIntoTheFolderAndGroupOfTheInstalledOne) {
    const std::string product = "Test Wersji";
    group = "Moje wersje";
    forget(product, {programs(group), programs(product)});
    target = native(dir.path()) + "\\Moje\\Wersje";
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_VERSION1_EXE, sample_archive(),
                              "/S /GROUP=\"" + group + "\" /D=" + target));
    EXPECT_EQ(program->wait_exit(120s), 0);

    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_VERSION2_EXE, sample_archive(), ""));
    form = wait_for_window(program->pid(), "TForm1", "", 30s);
    ASSERT_NE(form, nullptr);
    SendMessageA(find("Button4"), BM_CLICK, 0, 0);
    EXPECT_EQ(window_text(find("Edit1")), target);
    SendMessageA(find("Button7"), BM_CLICK, 0, 0);
    EXPECT_EQ(window_text(find("Edit2")), group);
    SendMessageA(find("Button9"), BM_CLICK, 0, 0);
    const std::string summary = window_text(find("Memo1"));
    EXPECT_TRUE(summary.ends_with(
        "\r\n\r\nZainstalowana wersja 1.0 zostanie zaktualizowana do wersji 2.0."))
        << summary;
    PostMessageA(find("Button13"), BM_CLICK, 0, 0);
    EXPECT_NE(program->wait_exit(30s), -1);
    form = nullptr;

    const std::string install_log = native(dir.path()) + "\\wersje.log";
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_VERSION3_EXE, sample_archive(),
                              "/S /LOG=" + install_log));
    EXPECT_EQ(program->wait_exit(120s), 0) << read_file(u8_native(install_log));
    const std::string uninstall_key = kUninstallKeys + product;
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, uninstall_key, "DisplayVersion"), text_value("3.0"));
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, uninstall_key, "InstallLocation"), text_value(target));
    EXPECT_TRUE(fs::exists(u8_native(programs(group + "\\Witaj.lnk"))));
    EXPECT_FALSE(fs::exists(u8_native(programs(product)))) << "no second group";

    // Version 2 over version 3: refused, with a box in the wizard, unless /FORCE.
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_VERSION2_EXE, sample_archive(),
                              "/S /LOG=" + install_log));
    EXPECT_EQ(program->wait_exit(60s), 1638);
    EXPECT_NE(read_file(u8_native(install_log))
                  .find("Zainstalowana jest nowsza wersja 3.0; instalacja wersji 2.0 nie jest "
                        "możliwa."),
              std::string::npos);
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, uninstall_key, "DisplayVersion"), text_value("3.0"));
    ASSERT_TRUE(run_installer(program, dir.path(), SETUP_VERSION2_EXE, sample_archive(), ""));
    const HWND box = wait_message();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box),
              "Zainstalowana jest nowsza wersja 3.0; instalacja wersji 2.0 nie jest możliwa.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program->wait_exit(30s), 1);
    ASSERT_TRUE(
        run_installer(program, dir.path(), SETUP_VERSION2_EXE, sample_archive(), "/S /FORCE"));
    EXPECT_EQ(program->wait_exit(120s), 0);
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, uninstall_key, "DisplayVersion"), text_value("2.0"));

    remove_silently();
    EXPECT_FALSE(fs::exists(u8_native(target)));
    EXPECT_FALSE(key_in_view(HKEY_LOCAL_MACHINE, uninstall_key, 0));
}

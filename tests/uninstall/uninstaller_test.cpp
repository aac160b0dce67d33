// Odinstaluj.exe run as a user runs it, from the folder of an installation whose traces the
// test lays out as the installer leaves them (files, a file written later, shortcuts in the
// Start menu and on the desktop, registry keys and values, the uninstall key with the
// record's digest, and the record), answered from this process.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <filesystem>
#include <regex>
#include <thread>

#include "integrity/sha256.h"
#include "record/uninstall_record.h"
#include "tests/support/private_folders.h"
#include "tests/support/process.h"
#include "tests/support/registry_probe.h"
#include "tests/support/temp_tree.h"
#include "tests/support/uninstaller_driver.h"
#include "tests/support/window_driver.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

const std::string kTitle = "Gra testowa 2.0";
const std::string kFinished = "Usuwanie zakończone pomyślnie!";
const std::string kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The tests' texts are CP1250, as the uninstaller's; std::filesystem takes wide names.
std::wstring wide(const std::string& ansi) {
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, out.data(), n);
    out.pop_back();
    return out;
}

void set_write_time(const fs::path& path, const FILETIME& time) {
    HANDLE h = CreateFileW(path.wstring().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << utf8_of(path);
    SetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
}

FILETIME days_ago(int days) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(days) * 24 * 3600 * 10000000ULL;
    return {t.LowPart, t.HighPart};
}

void set_value(HKEY root, const std::string& key, const std::string& name,
               const std::string& data) {
    HKEY k = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
        ERROR_SUCCESS)
        << key;
    RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(k);
}

std::string special_folder(int csidl) {
    char buffer[MAX_PATH + 1] = {};
    EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE)) << csidl;
    return buffer;
}

// The removals scheduled for the next start, taken out of the test prefix as they are read:
// the next start of Wine would otherwise carry them out.
std::string take_scheduled_removals() {
    HKEY session = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_ALL_ACCESS, &session) != ERROR_SUCCESS)
        return "";
    std::vector<char> pending(65536);
    DWORD size = static_cast<DWORD>(pending.size());
    if (RegQueryValueExA(session, "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(pending.data()), &size) != ERROR_SUCCESS)
        size = 0;
    RegDeleteValueA(session, "PendingFileRenameOperations");
    RegCloseKey(session);
    return std::string(pending.data(), size);
}

class Uninstaller : public ::testing::Test {
  protected:
    TempDir dir;
    std::string target;         // as the user typed it: with a trailing backslash
    std::string group;          // the Start-menu group folder, in the Programs folder
    std::string desktop_link;   // the product's desktop link
    std::string desktop_other;  // another program's desktop link
    std::string temp;           // the uninstaller's temporary folder
    std::string base;           // HKCU key of this test's script values
    std::string uninstall;      // HKLM uninstall key of this test

    void SetUp() override {
        static int counter = 0;
        const std::string unique = "SetupUninstallTest-" + std::to_string(GetCurrentProcessId()) +
                                   "-" + std::to_string(++counter);
        base = "Software\\" + unique;
        uninstall = kUninstallRoot + unique;
        for (const char* folder : {"Program Files/Gra, wersja 2/dane/głęboko", "tmp"})
            fs::create_directories(at(folder));
        target = native(at("Program Files/Gra, wersja 2")) + "\\";
        group = special_folder(CSIDL_PROGRAMS) + "\\Gra " + unique;
        desktop_link = special_folder(CSIDL_DESKTOPDIRECTORY) + "\\Gra " + unique + ".lnk";
        desktop_other = special_folder(CSIDL_DESKTOPDIRECTORY) + "\\Inny " + unique + ".lnk";
        fs::create_directories(fs::path(wide(group)));
        temp = native(at("tmp")) + "\\";

        ASSERT_TRUE(CopyFileA(test_program_path(ODINSTALUJ_EXE).c_str(),
                              (target + "Odinstaluj.exe").c_str(), FALSE));
        for (const char* file :
             {"Program Files/Gra, wersja 2/gra.exe", "Program Files/Gra, wersja 2/Czytaj mnie.txt",
              "Program Files/Gra, wersja 2/dane/poziom 1.dat",
              "Program Files/Gra, wersja 2/dane/głęboko/ściana.bmp"})
            write_file(at(file), std::string("zawartość ") + file);
        for (const std::string& link :
             {group + "\\Gra.lnk", group + "\\Odinstaluj.lnk", desktop_link, desktop_other})
            write_file(fs::path(wide(link)), "skrót");
        SetFileAttributesW((at("Program Files/Gra, wersja 2/Czytaj mnie.txt")).wstring().c_str(),
                           FILE_ATTRIBUTE_READONLY);

        set_value(HKEY_LOCAL_MACHINE, uninstall, "DisplayName", unique);
        set_value(HKEY_LOCAL_MACHINE, uninstall, "UninstallString", target + "\\Odinstaluj.exe");
        set_value(HKEY_CURRENT_USER, base + "\\Gra\\Opcje", "Tryb", "1");
        set_value(HKEY_CURRENT_USER, base + "\\Pusty", "Ścieżka", target);
        set_value(HKEY_CURRENT_USER, base + "\\Istniejący", "Zapisany", "był przed instalacją");
    }

    void TearDown() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, uninstall.c_str());
        std::error_code ignored;
        fs::remove_all(fs::path(wide(group)), ignored);
        fs::remove(fs::path(wide(desktop_link)), ignored);
        fs::remove(fs::path(wide(desktop_other)), ignored);
    }
    bool exists(const std::string& ansi) const { return fs::exists(fs::path(wide(ansi))); }

    std::vector<std::string> record_lines() const {
        std::vector<std::string> lines = {
            "U0," + target + ",0",
            "A10," + kTitle,
            "J0,2," + uninstall + ",",
            "J0,2," + uninstall + ",DisplayName",
            "J0,2," + uninstall + ",UninstallString",
            "J0,1," + base + "\\Gra\\Opcje,",
            "J0,1," + base + "\\Gra\\Opcje,Tryb",
            "J0,1," + base + "\\Pusty,",
            "J0,1," + base + "\\Pusty,Ścieżka",
            "P0," + target + "\\Odinstaluj.exe,0",
            "U0," + group + ",0",
            "P0," + group + "\\Gra.lnk,0",
            "P0," + group + "\\Odinstaluj.lnk,0",
            "P0," + desktop_link + ",0",
        };
        const std::vector<std::string> texts = setup::uninstaller_text_lines();
        lines.insert(lines.end(), texts.begin(), texts.end());
        return lines;
    }

    // Writes the record and dates everything as an installation does: the unpacked files
    // older than the record, which is written last, and the record's digest in the
    // uninstall key.
    void finish_installation(const std::vector<std::string>& lines, const std::string& tail = "") {
        std::string bytes;
        for (const std::string& line : lines) bytes += line + "\r\n";
        bytes += tail;
        write_file(at("Program Files/Gra, wersja 2/uninstal.ini"), bytes);
        setup::Sha256 digest;
        digest.update(bytes.data(), bytes.size());
        set_value(HKEY_LOCAL_MACHINE, uninstall, "UninstallRecordSha256",
                  setup::to_hex(digest.finish()));
        for (const auto& entry : fs::recursive_directory_iterator(at("Program Files")))
            if (entry.is_regular_file()) set_write_time(entry.path(), days_ago(3));
        set_write_time(at("Program Files/Gra, wersja 2/uninstal.ini"), days_ago(2));
    }

    // Starts the uninstaller as the system's list of programs does and finds its working copy.
    void start(UninstallerCopy& copy) {
        RunningProgram original("\"" + target + "\\Odinstaluj.exe\"",
                                {"TMP=" + temp, "TEMP=" + temp}, native(dir.path()));
        EXPECT_EQ(original.wait_exit(60s), 0) << "the program the user starts hands over and ends";
        ASSERT_TRUE(copy.find(60s)) << "no uninstaller window;" << UninstallerCopy::visible_boxes();
        EXPECT_EQ(window_text(copy.window()), kTitle + " - odinstalowanie");
        EXPECT_EQ(copy.status(), "Na pewno usunąć " + kTitle + "?");
    }

    // Closes the finished window and checks that the working copy ended and deleted itself.
    void close(UninstallerCopy& copy) {
        copy.press(IDCANCEL);
        ASSERT_TRUE(copy.ended(30s));
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (!fs::is_empty(at("tmp")) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(50ms);
        std::string left;
        for (const auto& entry : fs::directory_iterator(at("tmp")))
            left += " " + entry.path().filename().string();
        EXPECT_EQ(left, "") << "the working copy is left in the temporary folder";
    }

    fs::path at(const std::string& relative) const {
        return (dir.path() / fs::path(wide(relative))).make_preferred();
    }
};

}  // namespace

TEST_F(Uninstaller, RemovesWhatTheInstallationMadeAndKeepsWhatCameLater) {
    finish_installation(record_lines());
    write_file(at("Program Files/Gra, wersja 2/dane/zapis gry.sav"), "postęp gracza");
    set_value(HKEY_CURRENT_USER, base + "\\Gra\\Opcje", "Użytkownika", "po instalacji");

    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    copy.press(IDOK);
    ASSERT_TRUE(copy.wait_status(kFinished, 120s)) << copy.status();
    const std::string kept = target + "\\dane\\zapis gry.sav";
    EXPECT_EQ(copy.results(),
              (std::vector<std::string>{
                  "Te pliki zostały utworzone po instalacji i nie zostały usunięte.",
                  native(at("Program Files/Gra, wersja 2/dane/zapis gry.sav"))}));
    ASSERT_NO_FATAL_FAILURE(close(copy));

    EXPECT_EQ(snapshot(dir.path()),
              (std::map<std::string, std::string>{
                  {"Program Files/", ""},
                  {"Program Files/Gra, wersja 2/", ""},
                  {"Program Files/Gra, wersja 2/dane/", ""},
                  {"Program Files/Gra, wersja 2/dane/zapis gry.sav", "postęp gracza"},
                  {"tmp/", ""},
              }));
    EXPECT_FALSE(exists(group));
    EXPECT_FALSE(exists(desktop_link));
    EXPECT_TRUE(exists(desktop_other));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall));
    EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, base + "\\Gra\\Opcje", "Tryb"));
    EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, base + "\\Gra\\Opcje", "Użytkownika"))
        << "a key keeps what the installation did not put in it";
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, base + "\\Pusty"));
}

// A watcher of the user's own, once the removal has begun, sets the product's files aside one
// by one and puts its own, dated as old, under each name: a file goes only while it is the one
// the removal planned (the same file ID), so every file of the watcher's stays and is listed
// as not removed.
TEST_F(Uninstaller, AFileSwappedInAfterThePlanStays) {
    const fs::path many = at("Program Files/Gra, wersja 2/dane/wiele");
    constexpr int kFiles = 1500;
    const auto name = [&](int i) { return many / ("plik" + std::to_string(i) + ".dat"); };
    for (int i = 0; i < kFiles; ++i) write_file(name(i), "produkt");
    finish_installation(record_lines());
    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    std::atomic<bool> done = false;
    std::vector<fs::path> planted;  // read once the watcher has ended
    std::thread watcher([&] {
        // The plan is made before the first file goes.
        while (!done && fs::exists(name(0)) && fs::exists(name(kFiles - 1)))
            std::this_thread::sleep_for(1ms);
        for (int i = kFiles - 1; i >= 0 && !done; --i) {
            const fs::path file = name(i);
            // Set aside, not deleted: a new file cannot get the old one's number.
            if (!MoveFileW(file.c_str(), (file.wstring() + L".stary").c_str())) continue;
            write_file(file, "podrzucony");
            set_write_time(file, days_ago(3));
            planted.push_back(file);
        }
    });
    copy.press(IDOK);
    const bool ended =
        copy.wait_status("Nie wszystko udało się usunąć.", 120s) || copy.wait_status(kFinished, 1s);
    done = true;
    watcher.join();
    ASSERT_TRUE(ended) << copy.status();
    ASSERT_FALSE(planted.empty()) << "the removal ended before the watcher could swap a file";
    for (const fs::path& file : planted) EXPECT_EQ(read_file(file), "podrzucony") << file;
    // A file set aside just before its step finds nothing under the name and is absent; one
    // set aside earlier is named.
    int named = 0;
    for (const std::string& line : copy.results())
        named += line.starts_with("Nie można usunąć " + native(many) + "\\plik") &&
                 line.ends_with(": plik został podmieniony po sporządzeniu planu");
    EXPECT_GT(named, 0);
    ASSERT_NO_FATAL_FAILURE(close(copy));
}

// Even a record the uninstall key vouches for reaches no file or folder outside the
// installation: its lines that would are listed, and what they name stays. Its values go,
// whatever key holds them; a key that was there before stays with its other values.
TEST_F(Uninstaller, AVouchedRecordStillActsOnlyInsideTheInstallation) {
    std::vector<std::string> lines = record_lines();
    const std::string foreign_link = native(at("obcy.lnk"));
    const std::string foreign_folder = native(at("pusty"));
    lines.push_back("J0,1," + base + "\\Istniejący,Zapisany");  // in a key that was there
    set_value(HKEY_CURRENT_USER, base + "\\Istniejący", "Inny", "nie z instalacji");
    lines.push_back("P0," + foreign_link + ",0");
    lines.push_back("P0," + target + "\\..\\..\\obcy.txt,0");
    lines.push_back("U0," + foreign_folder + ",0");
    write_file(at("obcy.lnk"), "skrót");
    write_file(at("obcy.txt"), "cudzy plik");
    fs::create_directories(at("pusty"));
    finish_installation(lines);

    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    copy.press(IDOK);
    ASSERT_TRUE(copy.wait_status(kFinished, 120s)) << copy.status();
    EXPECT_EQ(copy.results(),
              (std::vector<std::string>{
                  "Pominięto wiersz 36 pliku uninstal.ini: ścieżka z . lub ...",
                  "Plik " + foreign_link +
                      " nie leży w folderze programu i nie jest jego skrótem: pozostaje.",
                  "Folder " + foreign_folder +
                      " nie leży w folderze programu ani w menu Start: pozostaje.",
              }));
    ASSERT_NO_FATAL_FAILURE(close(copy));
    EXPECT_TRUE(fs::exists(at("obcy.lnk")));
    EXPECT_TRUE(fs::exists(at("obcy.txt")));
    EXPECT_TRUE(fs::exists(at("pusty")));
    EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, base + "\\Istniejący", "Zapisany"));
    EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, base + "\\Istniejący", "Inny"));
    EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2")));
    EXPECT_FALSE(exists(group));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall));
}

// A record changed after the installation, or one the uninstall key holds no digest for, is
// refused before anything is copied or removed.
TEST_F(Uninstaller, RefusesARecordTheUninstallKeyDoesNotVouchFor) {
    struct Case {
        const char* name;
        bool changed;  // else the digest is missing
        const char* message;
    };
    for (const Case& c : {Case{"changed", true, "został zmieniony po instalacji"},
                          Case{"no digest", false, "Brak sumy kontrolnej pliku"}}) {
        SCOPED_TRACE(c.name);
        finish_installation(record_lines());
        if (c.changed) {
            const fs::path record = at("Program Files/Gra, wersja 2/uninstal.ini");
            write_file(record, read_file(record) + "P0," + desktop_other + ",0\r\n");
        } else {
            HKEY key = nullptr;
            ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstall.c_str(), 0, KEY_SET_VALUE, &key),
                      ERROR_SUCCESS);
            RegDeleteValueA(key, "UninstallRecordSha256");
            RegCloseKey(key);
        }
        const auto before = snapshot(dir.path());
        RunningProgram original("\"" + target + "\\Odinstaluj.exe\"",
                                {"TMP=" + temp, "TEMP=" + temp});
        HWND box = wait_for_window(original.pid(), "#32770", "Odinstaluj", 60s);
        ASSERT_NE(box, nullptr);
        const std::string message = message_text(box);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_NE(message.find("Nic nie zostało usunięte."), std::string::npos) << message;
        answer(box, IDOK);
        EXPECT_EQ(original.wait_exit(30s), 1);
        EXPECT_EQ(snapshot(dir.path()), before);
        EXPECT_TRUE(exists(group + "\\Gra.lnk"));
        EXPECT_TRUE(exists(desktop_link));
        EXPECT_TRUE(exists(desktop_other));
        EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"));
        EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, base + "\\Pusty", "Ścieżka"));
    }
}

TEST_F(Uninstaller, ClosingAtTheQuestionRemovesNothing) {
    finish_installation(record_lines());
    const auto before = snapshot(dir.path());
    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    ASSERT_NO_FATAL_FAILURE(close(copy));
    auto after = snapshot(dir.path());
    EXPECT_EQ(after, before);
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, uninstall, "UninstallString"));
    EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, base + "\\Pusty", "Ścieżka"));
}

// The working copy is made in a private folder and runs, beside it in the shared folder, as a
// file of random name that nobody can change; the folder is gone by then and the file goes
// with the copy. (Wine
// neither keeps nor enforces access lists, and its copy takes the Unix rights of the original
// rather than the folder's: that only administrators and SYSTEM can open the file is not shown
// here.)
TEST_F(Uninstaller, TheCopyRunsUnderARandomNameNobodyCanChange) {
    finish_installation(record_lines());
    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copy.pid());
    ASSERT_NE(process, nullptr);
    char image[MAX_PATH * 2] = {};
    DWORD size = sizeof image;
    ASSERT_TRUE(QueryFullProcessImageNameA(process, 0, image, &size));
    CloseHandle(process);
    const std::string name = fs::path(image).filename().string();
    EXPECT_TRUE(std::regex_match(name, std::regex("Odinstaluj-[0-9a-f]{16}\\.exe"))) << image;
    EXPECT_EQ(_stricmp(image, (private_parent().string() + "\\" + name).c_str()), 0) << image;
    EXPECT_TRUE(private_folders(private_parent(), "Odinstaluj-").empty());
    EXPECT_EQ(open_error(image, GENERIC_WRITE), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ASSERT_NO_FATAL_FAILURE(close(copy));
}

// A watcher of the user's own renames the working copy away as soon as it appears and puts its
// own program under that name: it never can, and the copy that runs is the uninstaller.
TEST_F(Uninstaller, TheWorkingCopyCannotBeSwappedBeforeItRuns) {
    finish_installation(record_lines());
    std::atomic<bool> done = false;
    std::atomic<int> swapped = 0;
    std::thread watcher([&] {
        const std::wregex copy_name(L"Odinstaluj-[0-9a-f]{16}\\.exe");
        while (!done) {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(private_parent(), error)) {
                const fs::path path = entry.path();
                if (!std::regex_match(path.filename().wstring(), copy_name)) continue;
                if (!MoveFileW(path.c_str(), (path.wstring() + L".stary").c_str())) continue;
                ++swapped;
                CopyFileA(test_program_path(IDLE_PROGRAM_EXE).c_str(), path.string().c_str(),
                          FALSE);
            }
        }
    });
    UninstallerCopy copy;
    start(copy);
    done = true;
    watcher.join();
    EXPECT_EQ(swapped, 0);
    if (!copy.window()) return;
    ASSERT_NO_FATAL_FAILURE(close(copy));
}

// "Zamknij" while removing asks whether to stop; the answer either keeps everything (the
// question comes before the first removal) or lets the removal end.
TEST_F(Uninstaller, StoppingAsksAndKeepsTheRest) {
    for (int answer_id : {IDYES, IDNO}) {
        SCOPED_TRACE(answer_id == IDYES ? "stop" : "go on");
        finish_installation(record_lines());
        const auto before = snapshot(dir.path());
        UninstallerCopy copy;
        ASSERT_NO_FATAL_FAILURE(start(copy));
        // Both commands are queued before the copy takes the first: "Usuń" posts the first
        // step behind "Zamknij", so the question comes before any removal however slowly this
        // process runs (a click sent and a command posted after it let a busy machine run a
        // step in between).
        PostMessageA(copy.window(), WM_COMMAND, IDOK, 0);
        PostMessageA(copy.window(), WM_COMMAND, IDCANCEL, 0);
        std::string question;
        HWND box = copy.message_box(question, 30s);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(question, "Na pewno przerwać kasowanie?");
        answer(box, answer_id);
        if (answer_id == IDYES) {
            ASSERT_TRUE(copy.wait_status("Usuwanie przerwane.", 60s)) << copy.status();
            EXPECT_EQ(copy.results(), std::vector<std::string>{"Nic nie zostało usunięte."});
            ASSERT_NO_FATAL_FAILURE(close(copy));
            EXPECT_EQ(snapshot(dir.path()), before);
            EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"));
        } else {
            ASSERT_TRUE(copy.wait_status(kFinished, 120s)) << copy.status();
            ASSERT_NO_FATAL_FAILURE(close(copy));
            EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2")));
            EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall));
        }
    }
}

TEST_F(Uninstaller, ARunningProgramOfTheProductIsNamedUntilItEnds) {
    const fs::path idle = at("Program Files/Gra, wersja 2/dane/serwer gry.exe");
    ASSERT_TRUE(
        CopyFileA(test_program_path(IDLE_PROGRAM_EXE).c_str(), native(idle).c_str(), FALSE));
    finish_installation(record_lines());
    std::string command = native(idle);
    command.insert(command.begin(), '"');
    command += '"';
    auto running = std::make_unique<RunningProgram>(command, std::vector<std::string>{});
    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    copy.press(IDOK);
    for (int round = 0; round < 2; ++round) {
        std::string message;
        HWND box = copy.message_box(message, 30s);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(message.find(native(idle)), std::string::npos) << message;
        EXPECT_TRUE(fs::exists(idle));
        if (round == 1) {
            running.reset();  // the user closes the program
        }
        answer(box, IDRETRY);
        while (IsWindow(box)) std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(copy.wait_status(kFinished, 120s)) << copy.status();
    ASSERT_NO_FATAL_FAILURE(close(copy));
    EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2")));
}

TEST_F(Uninstaller, AFileInUseGoesAtRestart) {
    finish_installation(record_lines());
    const std::string busy = target + "\\gra.exe";
    HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    copy.press(IDOK);
    ASSERT_TRUE(copy.wait_status(kFinished, 120s)) << copy.status();
    const std::vector<std::string> results = copy.results();
    CloseHandle(held);
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(results[0], native(at("Program Files/Gra, wersja 2/gra.exe")) +
                              " zostanie usunięty po zrestartowaniu komputera.");
    ASSERT_NO_FATAL_FAILURE(close(copy));
    EXPECT_TRUE(fs::exists(at("Program Files/Gra, wersja 2/gra.exe")));
    EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2/dane")));
    EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2/uninstal.ini")));
    EXPECT_NE(take_scheduled_removals().find(native(at("Program Files/Gra, wersja 2/gra.exe"))),
              std::string::npos);
}

TEST_F(Uninstaller, ADamagedRecordIsReadAsFarAsItIsSound) {
    std::vector<std::string> lines = record_lines();
    lines.push_back("X0,bzdura");
    lines.push_back("P0," + desktop_other);  // no closing field
    lines.push_back(std::string(5000, 'A'));
    // The record ends in the middle of a line that would name another shortcut.
    finish_installation(lines, "P0," + desktop_other + ",0");
    UninstallerCopy copy;
    ASSERT_NO_FATAL_FAILURE(start(copy));
    EXPECT_EQ(copy.results().size(), 4u) << "skipped lines are shown before the question";
    copy.press(IDOK);
    ASSERT_TRUE(copy.wait_status(kFinished, 120s)) << copy.status();
    const std::vector<std::string> results = copy.results();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0], "Pominięto wiersz 34 pliku uninstal.ini: nieznany kod wiersza.");
    EXPECT_EQ(results[3], "Pominięto wiersz 37 pliku uninstal.ini: niepełny ostatni wiersz.");
    ASSERT_NO_FATAL_FAILURE(close(copy));
    EXPECT_TRUE(exists(desktop_other));
    EXPECT_FALSE(exists(desktop_link));
    EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2")));
}

// A record that does not describe the folder it lies in is refused before anything is
// copied or removed.
TEST_F(Uninstaller, RefusesARecordOfAnotherFolder) {
    std::vector<std::string> lines = record_lines();
    lines[0] = "U0," + native(at("Program Files")) + ",0";
    finish_installation(lines);
    const auto before = snapshot(dir.path());
    RunningProgram original("\"" + target + "\\Odinstaluj.exe\"", {"TMP=" + temp, "TEMP=" + temp});
    HWND box = wait_for_window(original.pid(), "#32770", "Odinstaluj", 60s);
    ASSERT_NE(box, nullptr);
    const std::string message = message_text(box);
    EXPECT_NE(message.find("nie opisuje folderu"), std::string::npos) << message;
    EXPECT_NE(message.find("Nic nie zostało usunięte."), std::string::npos) << message;
    answer(box, IDOK);
    EXPECT_EQ(original.wait_exit(30s), 1);
    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"));
}

// A record lying in a folder of the system, naming that folder: refused, nothing removed.
TEST_F(Uninstaller, RefusesASystemFolderAsItsTarget) {
    std::vector<std::string> folders;
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_WINDOWS}) {
        char buffer[MAX_PATH + 1] = {};
        ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE));
        folders.push_back(buffer);
    }
    // A 32-bit program on a 64-bit system sees "Program Files (x86)" above; the 64-bit
    // "Program Files" is the system's all the same.
    char wide_view[MAX_PATH + 1] = {};
    HKEY version = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &version) == ERROR_SUCCESS) {
        DWORD size = sizeof wide_view - 1;
        RegQueryValueExA(version, "ProgramW6432Dir", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(wide_view), &size);
        RegCloseKey(version);
    }
    if (*wide_view && _stricmp(wide_view, folders[0].c_str()) != 0)
        folders.push_back(wide_view);
    else
        std::printf("[   NOTE   ] the 64-bit Program Files is not tried: %s\n",
                    *wide_view ? "this program sees it as its own" : "a 32-bit system");
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        const std::string program = folder + "\\Odinstaluj.exe";
        const std::string record = folder + "\\uninstal.ini";
        ASSERT_FALSE(fs::exists(fs::path(wide(record))));
        ASSERT_TRUE(CopyFileA(test_program_path(ODINSTALUJ_EXE).c_str(), program.c_str(), TRUE));
        std::vector<std::string> lines = record_lines();
        lines[0] = "U0," + folder + "\\,0";
        std::string bytes;
        for (const std::string& line : lines) bytes += line + "\r\n";
        write_file(fs::path(wide(record)), bytes);

        RunningProgram original("\"" + program + "\"", {"TMP=" + temp, "TEMP=" + temp});
        HWND box = wait_for_window(original.pid(), "#32770", "Odinstaluj", 60s);
        const std::string message = message_text(box);
        EXPECT_NE(message.find("jest folderem systemu lub użytkownika"), std::string::npos)
            << message;
        if (box) answer(box, IDOK);
        EXPECT_EQ(original.wait_exit(30s), 1);
        EXPECT_TRUE(fs::exists(fs::path(wide(record))));
        EXPECT_TRUE(fs::is_empty(at("tmp")));
        DeleteFileA(program.c_str());
        DeleteFileA(record.c_str());
    }
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"));
}

// A shared folder that cannot take the working copy (a file stands in its place): the record's
// text says so, and nothing is removed.
TEST_F(Uninstaller, ACopyThatCannotBeMadeIsReported) {
    finish_installation(record_lines());
    const auto before = snapshot(dir.path());
    const OwnSharedFolderBlocked blocked;
    if (!blocked.active())
        GTEST_SKIP() << "the shared folder is " << blocked.folder()
                     << ", not the program data's own: it cannot be taken away here";
    RunningProgram original("\"" + target + "\\Odinstaluj.exe\"", {"TMP=" + temp, "TEMP=" + temp});
    HWND box = wait_for_window(original.pid(), "#32770", "Odinstaluj", 60s);
    ASSERT_NE(box, nullptr);
    const std::string message = message_text(box);
    EXPECT_EQ(message, "Nie można kopiować " + target + "Odinstaluj.exe do " +
                           blocked.folder().string() + ": istnieje plik o tej nazwie");
    answer(box, IDOK);
    EXPECT_EQ(original.wait_exit(30s), 1);
    EXPECT_EQ(snapshot(dir.path()), before);
}

// Odinstaluj.exe /S as a deployment tool runs it: no window and no box (either would keep it
// from ending in time), and its exit code is the working copy's result.
class SilentUninstaller : public Uninstaller {
  protected:
    std::string log_path() const { return native(at("odinstalowanie.log")); }
    std::string log() const { return read_file(at("odinstalowanie.log")); }
    long run(const std::string& switches) {
        RunningProgram original("\"" + target + "\\Odinstaluj.exe\" " + switches,
                                {"TMP=" + temp, "TEMP=" + temp}, native(dir.path()));
        const long exit = original.wait_exit(60s);
        EXPECT_EQ(FindWindowA("OdinstalujWindow", nullptr), nullptr);
        EXPECT_EQ(UninstallerCopy::visible_boxes(), " no message box");
        // The copy ends after the original, once it has removed the original's file.
        const auto until = std::chrono::steady_clock::now() + 30s;
        while (!fs::is_empty(at("tmp")) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(50ms);
        EXPECT_TRUE(fs::is_empty(at("tmp"))) << "the working copy is left";
        return exit;
    }
};

TEST_F(SilentUninstaller, RemovesEverythingAndEndsWithTheCopysResult) {
    finish_installation(record_lines());
    EXPECT_EQ(run("/s \"/LOG=" + log_path() + "\""), 0);
    EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2")));
    EXPECT_FALSE(exists(group));
    EXPECT_FALSE(exists(desktop_link));
    EXPECT_TRUE(exists(desktop_other));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, base + "\\Pusty"));
    const std::string written = log();
    for (const std::string& line :
         {"argumenty: /s \"/LOG=" + log_path() + "\"",
          "usunięto: " + native(at("Program Files/Gra, wersja 2/dane/poziom 1.dat")),
          "usunięto: HKEY_LOCAL_MACHINE\\" + uninstall + "\\UninstallRecordSha256",
          "usunięto: " + desktop_link, std::string("wynik: kod 0"),
          std::string("odinstalowanie zakończone")})
        EXPECT_NE(written.find(line), std::string::npos) << line << " not in:\n" << written;
    // The original's own file goes after the result was sent, once the original has ended.
    const std::string after =
        written.substr(std::min(written.find("wynik: kod 0"), written.size()));
    EXPECT_TRUE(std::regex_search(after, std::regex("usunięto: [^\r]*Odinstaluj\\.exe\r\n")))
        << written;
}

// A refusal shows no box and ends with its code; a log, when asked for, says why.
TEST_F(SilentUninstaller, RefusalsEndWithTheirCodes) {
    const fs::path idle = at("Program Files/Gra, wersja 2/dane/serwer gry.exe");
    struct Case {
        const char* name;
        const char* switches;
        long code;
        const char* logged;  // "" for no log
    };
    for (const Case& c : {
             Case{"unknown switch", "/S /X", 87, ""},
             Case{"empty log", "/S /LOG=", 87, ""},
             Case{"twice", "/S /s", 87, ""},
             Case{"tampered record", "/S /LOG=", 1625, "został zmieniony po instalacji"},
             Case{"running program", "/S /LOG=", 1625, "działa: "},
         }) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<RunningProgram> running;
        const bool program_runs = std::string(c.name) == "running program";
        if (program_runs) {
            ASSERT_TRUE(CopyFileA(test_program_path(IDLE_PROGRAM_EXE).c_str(), native(idle).c_str(),
                                  FALSE));
        }
        finish_installation(record_lines());
        if (std::string(c.name) == "tampered record") {
            const fs::path record = at("Program Files/Gra, wersja 2/uninstal.ini");
            write_file(record, read_file(record) + "P0," + desktop_other + ",0\r\n");
        }
        if (program_runs)
            running = std::make_unique<RunningProgram>("\"" + native(idle) + "\"",
                                                       std::vector<std::string>{});
        std::string switches = c.switches;
        if (*c.logged) switches += "\"" + log_path() + "\"";
        EXPECT_EQ(run(switches), c.code);
        EXPECT_TRUE(fs::exists(at("Program Files/Gra, wersja 2/gra.exe")));
        EXPECT_TRUE(fs::exists(at("Program Files/Gra, wersja 2/uninstal.ini")));
        EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, uninstall, "UninstallRecordSha256"));
        if (*c.logged) {
            EXPECT_NE(log().find(c.logged), std::string::npos) << log();
        }
    }
}

TEST_F(SilentUninstaller, AFileInUseEndsWithRestartNeeded) {
    finish_installation(record_lines());
    const std::string busy = target + "\\gra.exe";
    HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(run("/S /LOG=\"" + log_path() + "\""), 3010);
    CloseHandle(held);
    EXPECT_NE(
        log().find("usunięcie po restarcie: " + native(at("Program Files/Gra, wersja 2/gra.exe"))),
        std::string::npos)
        << log();
    EXPECT_FALSE(fs::exists(at("Program Files/Gra, wersja 2/dane")));
    EXPECT_NE(take_scheduled_removals().find(native(at("Program Files/Gra, wersja 2/gra.exe"))),
              std::string::npos);
}

// The installer's Windows layer, in this process under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>
#include <sddl.h>

#include <filesystem>
#include <thread>

#include "platform/answering_wait.h"
#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/folder_security.h"
#include "platform/launch.h"
#include "platform/private_folder.h"
#include "platform/private_profile.h"
#include "platform/process_safety.h"
#include "platform/registry_writer.h"
#include "platform/system_queries.h"
#include "platform/win_handle.h"
#include "script/ini_reader.h"
#include "tests/support/directory_link.h"
#include "tests/support/private_folders.h"
#include "tests/support/temp_tree.h"

using namespace setup;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// A handle that counts its closes in the int it points at.
struct CountedTraits {
    static int* empty() { return nullptr; }
    static bool valid(int* h) { return h != nullptr; }
    static void close(int* h) { ++*h; }
};
using Counted = platform::Unique<int*, CountedTraits>;

}  // namespace

// However an owner is moved, reset or released, each handle it held is closed at most once.
TEST(Owner, ClosesEachHandleOnce) {
    struct Case {
        const char* name;
        void (*steps)(int* a, int* b);
        int a_closes, b_closes;
    };
    const Case cases[] = {
        {"moved into a new owner", [](int* a, int*) { Counted from(a), to(std::move(from)); }, 1,
         0},
        {"moved over one that holds another",
         [](int* a, int* b) {
             Counted from(a), to(b);
             to = std::move(from);
             EXPECT_EQ(*b, 1);
         },
         1, 1},
        {"moved onto itself",
         [](int* a, int*) {
             Counted owner(a);
             Counted& same = owner;
             owner = std::move(same);
             EXPECT_EQ(*a, 0);
         },
         1, 0},
        {"reset, then gone", [](int* a, int*) { Counted(a).reset(); }, 1, 0},
        {"released", [](int* a, int*) { EXPECT_EQ(Counted(a).release(), a); }, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int a = 0, b = 0;
        c.steps(&a, &b);
        EXPECT_EQ(a, c.a_closes);
        EXPECT_EQ(b, c.b_closes);
    }
}

TEST(Registry, TextValuesMissingOnesAndOtherTypes) {
    const std::string key = "Software\\SetupTests\\" + std::to_string(GetCurrentProcessId());
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    const char text[] = "C:\\Program Files";
    const char expand[] = "%SystemRoot%\\x";
    DWORD number = 7;
    RegSetValueExA(k, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegSetValueExA(k, "Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand),
                   sizeof expand);
    RegSetValueExA(k, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(k);

    EXPECT_EQ(platform::read_registry_text(HKEY_CURRENT_USER, key, "Text"), text);
    EXPECT_EQ(platform::read_registry_text(HKEY_CURRENT_USER, key, "Expand"), expand);
    EXPECT_EQ(platform::read_registry_text(HKEY_CURRENT_USER, key, "Missing"), "");
    EXPECT_EQ(platform::read_registry_text(HKEY_CURRENT_USER, key + "\\Nowhere", "Text"), "");
    EXPECT_THROW(platform::read_registry_text(HKEY_CURRENT_USER, key, "Number"), RuntimeError);
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

// A key or value the writer cannot make is named with its root and carries the system's
// reason; nothing of it is noted for taking back.
TEST(Registry, WriterErrorsNameTheKeyAndTheSystemsReason) {
    const std::string key =
        "Software\\SetupTests\\volatile" + std::to_string(GetCurrentProcessId());
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
    UndoLedger ledger;
    platform::RegistryWriter writer(&ledger);
    writer.set_root(RegistryRoot::current_user);
    // A lasting key cannot go under a volatile one.
    try {
        writer.open_key(key + "\\Trwały");
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Nie można utworzyć klucza rejestru HKEY_CURRENT_USER\\" + key +
                      "\\Trwały: " + platform::system_message(ERROR_CHILD_MUST_BE_VOLATILE));
    }
    try {
        writer.write_text("Nazwa", "x");
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Nie można zapisać wartości rejestru HKEY_CURRENT_USER\\" +
                                             key + "\\Trwały\\Nazwa: klucz nie jest otwarty");
    }
    EXPECT_TRUE(ledger.keys_made.empty());
    EXPECT_TRUE(ledger.values_written.empty());
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

TEST(Files, ExistenceTestsTellFilesFromFolders) {
    TempDir dir;
    write_file(dir / "f.txt", "x");
    const std::string file = native(dir / "f.txt"), folder = native(dir.path());
    EXPECT_TRUE(platform::file_exists(file));
    EXPECT_FALSE(platform::folder_exists(file));
    EXPECT_TRUE(platform::folder_exists(folder));
    EXPECT_FALSE(platform::file_exists(folder));
    EXPECT_FALSE(platform::file_exists(""));
    EXPECT_FALSE(platform::folder_exists(""));
}

TEST(Resources, WrittenWholeOverAnExistingFileOrNamedWhenMissing) {
    TempDir dir;
    const std::string path = native(dir / "out.bin");
    write_file(dir / "out.bin", std::string(5000, 'o'));  // longer than the resource
    platform::SaveResourceToFile(GetModuleHandleA(nullptr), "PROBE", path);
    EXPECT_EQ(read_file(dir / "out.bin"), std::string("probe bytes \x00\x01\x02 end", 19));
    try {
        platform::SaveResourceToFile(GetModuleHandleA(nullptr), "NOSUCH", path);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("NOSUCH"), std::string::npos);
    }
}

// The portable stand-in that the native tests read scripts with must answer as Windows'
// private-profile reader does.
TEST(PrivateProfile, AnswersAsThePortableStandIn) {
    const std::string text =
        "[I]\r\n1=  Gra \xB3\xF3\x64\xBC  \r\n2=\r\n; 3=comment\r\n[m]\r\n0 = 3 \r\n1A=a=b\r\n"
        "noequals\r\n[S]\r\n1e=\"quoted\"\r\n2e='single'\r\n3e=\"open\r\n" +
        std::string("[Long]\r\nv=") + std::string(3000, 'x') + "\r\n";
    TempDir dir;
    write_file(dir / "s.ini", text);
    platform::ProfileFile windows(native(dir / "s.ini"));
    IniText portable(text);
    const std::vector<std::array<const char*, 3>> lookups = {
        {"I", "1", "d"},    {"i", "1", "d"}, {"I", "2", "d"},  {"I", "3", "d"},
        {"I", "9", "def"},  {"M", "0", "d"}, {"M", "1a", "d"}, {"M", "noequals", "d"},
        {"X", "1", "none"}, {"S", "1e", ""}, {"S", "2e", ""},  {"S", "3e", ""},
        {"Long", "v", ""}};
    for (const auto& [section, key, def] : lookups)
        EXPECT_EQ(portable.read(section, key, def), windows.read(section, key, def))
            << section << "/" << key;
}

TEST(ProcessSafety, DllsBesideTheProgramAreNotLoadedByName) {
    HMODULE before = LoadLibraryA("dll_probe.dll");
    ASSERT_NE(before, nullptr) << "the probe DLL should load from beside the program at first";
    FreeLibrary(before);
    ASSERT_TRUE(platform::restrict_dll_search());
    HMODULE after = LoadLibraryA("dll_probe.dll");
    EXPECT_EQ(after, nullptr);
    if (after) FreeLibrary(after);
    EXPECT_NE(LoadLibraryA("shell32.dll"), nullptr) << "system DLLs still load";
}

// The list handed to the system when a target folder is made, entry by entry: it is read in
// this process, since Wine keeps of a folder's list only what Unix permissions can hold.
TEST(FolderSecurity, TheProgramFolderListIsProtectedAndInheritedByEverythingInside) {
    const platform::SecurityDescriptor descriptor = platform::program_folder_descriptor();
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    struct Entry {
        WELL_KNOWN_SID_TYPE who;
        ACCESS_MASK mask;
        BYTE flags;
    };
    const BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const Entry expected[] = {
        {WinLocalSystemSid, FILE_ALL_ACCESS, inherited},
        {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS, inherited},
        {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, inherited},
        {WinCreatorOwnerSid, GENERIC_ALL, inherited | INHERIT_ONLY_ACE},
    };
    ASSERT_EQ(dacl->AceCount, std::size(expected));
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &ace));
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << i;
        EXPECT_EQ(allowed->Header.AceFlags, expected[i].flags) << i;
        EXPECT_EQ(allowed->Mask, expected[i].mask) << i;
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        ASSERT_TRUE(CreateWellKnownSid(expected[i].who, nullptr, sid, &size));
        EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid)) << i;
    }
}

TEST(FolderSecurity, PathKindsAndAFolderMadeWithTheList) {
    TempDir dir;
    fs::create_directories(dir / "Prawdziwy");
    write_file(dir / "plik.txt", "x");
    const DirectoryLink link(dir / "Dowiazanie", "Prawdziwy");
    ASSERT_TRUE(link.made());
    EXPECT_EQ(platform::path_kind(native(dir / "Prawdziwy")), PathKind::present);
    EXPECT_EQ(platform::path_kind(native(dir / "plik.txt")), PathKind::present);
    EXPECT_EQ(platform::path_kind(native(dir / "Dowiazanie")), PathKind::link);
    EXPECT_EQ(platform::path_kind(native(dir / "brak")), PathKind::missing);
    EXPECT_EQ(platform::path_kind(native(dir / "brak") + "\\nizej"), PathKind::missing);

    const platform::SecurityDescriptor descriptor = platform::program_folder_descriptor();
    platform::create_protected_folder(native(dir / "Nowy"), descriptor);
    EXPECT_TRUE(fs::is_directory(dir / "Nowy"));
    try {
        platform::create_protected_folder(native(dir / "brak") + "\\nizej", descriptor);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find(native(dir / "brak") + "\\nizej"), std::string::npos)
            << e.what();
    }
}

namespace {

// What `cmd /c cd > kat.txt` wrote in `folder` (its current folder and a line end), once its
// line is whole; at most 20 s.
std::string current_folder_noted(const fs::path& folder) {
    std::string noted;
    for (int i = 0; i < 1000 && !noted.ends_with("\r\n"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (fs::exists(folder / "kat.txt")) noted = read_file(folder / "kat.txt");
    }
    return noted;
}

std::string system_cmd() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\cmd.exe";
}

}  // namespace

// The desktop shell's start on its own: the program gets its arguments and the folder.
TEST(Launch, TheDesktopShellStartsAProgramWithItsArgumentsInItsFolder) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TempDir dir;
    const std::optional<std::string> failure = platform::start_through_desktop_shell(
        {system_cmd(), "/c cd > kat.txt"}, native(dir.path()));
    EXPECT_EQ(failure, std::nullopt);
    EXPECT_EQ(current_folder_noted(dir.path()), native(dir.path()) + "\r\n");
    CoUninitialize();
}

// Under Wine every process is elevated and no desktop shell runs as a plain user, so the
// program is started directly; a program that does not exist is reported, not started.
TEST(Launch, WithoutAUserShellTheProgramStartsDirectlyAndTheRouteIsReported) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TempDir dir;
    const LaunchReport started =
        platform::LaunchProgram("\"" + system_cmd() + "\" /c cd > kat.txt", native(dir.path()), {});
    EXPECT_NE(started.route, LaunchRoute::failed) << started.reason;
    EXPECT_FALSE(started.reason.empty());
    EXPECT_EQ(current_folder_noted(dir.path()), native(dir.path()) + "\r\n");

    const LaunchReport missing =
        platform::LaunchProgram("\"" + native(dir / "brak.exe") + "\" /x", native(dir.path()), {});
    EXPECT_EQ(missing.route, LaunchRoute::failed);
    EXPECT_NE(missing.reason.find("CreateProcess"), std::string::npos) << missing.reason;

    // While it waits for a program started directly to end, the window's messages are
    // answered: one posted before the start is taken during the wait.
    int pumped = 0;
    PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
    const LaunchReport waited = platform::LaunchProgram(
        "\"" + system_cmd() + "\" /c ping -n 3 127.0.0.1 > ping.txt", native(dir.path()), [&] {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ++pumped;
        });
    EXPECT_NE(waited.route, LaunchRoute::failed) << waited.reason;
    EXPECT_GE(pumped, 1);
    CoUninitialize();
}

// Wine neither keeps nor enforces an access list: it turns it into Unix rights, which are read
// back here (a folder made without the list lets Everyone read). That only administrators and
// SYSTEM may open the folder cannot be shown under Wine.
// Long work run so keeps this thread's window answering: while the work runs, another thread
// sends the window messages and gets the answers (were the work run on the window's thread,
// the sends would time out). What the work throws reaches the caller.
TEST(AnsweringWait, TheWindowAnswersWhileTheWorkRunsAndItsFailureComesBack) {
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const auto pump = [] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    };
    int answered = 0;
    setup::platform::run_answering(
        [&] {
            // Another thread asks, and the work waits for it: only a window whose thread
            // answers while the work runs lets both end with answers.
            std::thread asking([&] {
                for (int i = 0; i < 3; ++i) {
                    DWORD_PTR result = 0;
                    if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result))
                        ++answered;
                }
            });
            asking.join();
        },
        pump);
    EXPECT_EQ(answered, 3);
    EXPECT_THROW(setup::platform::run_answering([] { throw setup::RuntimeError("tabela"); }, pump),
                 setup::RuntimeError);
    DestroyWindow(window);
}

TEST(PrivateFolder, FreshRandomlyNamedForAdministratorsOnlyAndRemovedWithItsFiles) {
    TempDir dir;
    const std::string parent = native(dir.path());
    std::string first_path;
    {
        auto first = platform::PrivateFolder::create(parent, "Proba-");
        auto second = platform::PrivateFolder::create(parent + "\\", "Proba-");
        first_path = first.path();
        EXPECT_NE(first.path(), second.path());
        EXPECT_EQ(private_folders(dir.path(), "Proba-").size(), 2u);
        EXPECT_EQ(others_let_in(first.path()), std::vector<std::string>{});
        platform::write_held_file(first.file("a.exe"), "MZ");
        write_file(std::filesystem::path(first.file("b.txt")), "b");
    }
    EXPECT_TRUE(private_folders(dir.path(), "Proba-").empty());
    EXPECT_FALSE(platform::folder_exists(first_path));

    try {
        platform::PrivateFolder::create(parent + "\\brak", "Proba-");
        ADD_FAILURE() << "no error for a missing parent";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.what(), "Nie można utworzyć folderu tymczasowego w " + parent +
                                "\\brak: " + platform::system_message(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(e.reason(), platform::system_message(ERROR_PATH_NOT_FOUND));
    }
}

// A held file can be read and run, and nobody can change, rename or delete it; a file that
// exists is never written over.
TEST(HeldFile, NewOnlyAndUnchangeableWhileHeld) {
    TempDir dir;
    const std::string path = native(dir / "Uha.exe"), other = native(dir / "Inny.exe");
    const std::string bytes = noise(300000, 7);
    {
        platform::UniqueHandle held = platform::write_held_file(path, bytes);
        ASSERT_TRUE(held);
        EXPECT_EQ(read_file(dir / "Uha.exe"), bytes);
        const struct {
            const char* attempt;
            DWORD error;
        } denied[] = {
            {"write", open_error(path, GENERIC_WRITE)},
            {"append", open_error(path, FILE_APPEND_DATA)},
            {"delete", DeleteFileA(path.c_str()) ? DWORD{ERROR_SUCCESS} : GetLastError()},
            {"rename",
             MoveFileA(path.c_str(), other.c_str()) ? DWORD{ERROR_SUCCESS} : GetLastError()},
        };
        for (const auto& d : denied)
            EXPECT_EQ(d.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << d.attempt;
        EXPECT_EQ(open_error(path, GENERIC_READ), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(read_file(dir / "Uha.exe"), bytes);

        // Written again: refused, the held file unchanged.
        EXPECT_THROW(platform::write_held_file(path, "inne"), RuntimeError);
        EXPECT_EQ(read_file(dir / "Uha.exe"), bytes);
    }
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the hold ends with its owner";

    // A file someone else has open for writing cannot be held.
    write_file(dir / "zapisywany.bin", "x");
    const std::string busy = native(dir / "zapisywany.bin");
    HANDLE writer = CreateFileA(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    try {
        platform::hold_for_reading(busy);
        ADD_FAILURE() << "a file being written was held";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.what(), "Nie można otworzyć pliku " + busy + ": " +
                                platform::system_message(ERROR_SHARING_VIOLATION));
    }
    CloseHandle(writer);
    EXPECT_TRUE(platform::hold_for_reading(busy));
}

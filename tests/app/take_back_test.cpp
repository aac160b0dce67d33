// The one applier of take-back steps, in this process under Wine: what it removes, what it
// keeps, and what it leaves to the next restart.
#include "platform/take_back.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/win_handle.h"
#include "tests/support/directory_link.h"
#include "tests/support/temp_tree.h"

using namespace setup;
using namespace testing_support;
using takeback::Action;
using takeback::Outcome;
using takeback::Step;

namespace {

Step file_step(Action action, const std::string& path) {
    return {action, path, {}, {}};
}

Step registry_step(Action action, const std::string& key, const std::string& value = "",
                   takeback::PreviousValue previous = {}) {
    return {action, "", {RegistryRoot::current_user, key, value}, std::move(previous)};
}

std::string read_text(const std::string& key, const std::string& value) {
    char data[64] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return "(none)";
    return data;
}

void set_text(const std::string& key, const std::string& value, const std::string& data) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), value.c_str(), REG_SZ, data.c_str(),
                    static_cast<DWORD>(data.size() + 1));
}

// Removals the restart would make, taken out of the prefix as they are read.
std::string take_scheduled_removals() {
    const char* session = "System\\CurrentControlSet\\Control\\Session Manager";
    std::vector<char> pending(65536);
    DWORD size = static_cast<DWORD>(pending.size());
    if (RegGetValueA(HKEY_LOCAL_MACHINE, session, "PendingFileRenameOperations", RRF_RT_ANY,
                     nullptr, pending.data(), &size) != ERROR_SUCCESS)
        size = 0;
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, session, "PendingFileRenameOperations");
    return std::string(pending.data(), size);
}

}  // namespace

// Files go, read-only ones too; a folder or key goes only when nothing is left in it; a value
// written over is put back as it was; whatever is already gone is no failure.
TEST(TakeBack, RemovesOnlyWhatIsEmptyAndPutsValuesBack) {
    TempDir dir;
    const std::string root = native(dir.path());
    write_file(dir.path() / "tylko do odczytu.txt", "r");
    SetFileAttributesA((root + "\\tylko do odczytu.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    std::filesystem::create_directories(dir.path() / "pusty");
    std::filesystem::create_directories(dir.path() / "cudzy");
    write_file(dir.path() / "cudzy" / "plik.txt", "c");
    const std::string key = "Software\\SetupTakeBack-" + std::to_string(GetCurrentProcessId());
    set_text(key + "\\Pusty\\Głębiej", "", "");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, (key + "\\Pusty\\Głębiej").c_str(), "");
    set_text(key + "\\Obcy", "Cudza", "zostaje");
    set_text(key, "Nowa", "napisana");
    set_text(key, "Stara", "nadpisana");
    const std::string before = "przedtem";
    const takeback::PreviousValue previous{REG_SZ,
                                           std::vector<uint8_t>(before.begin(), before.end() + 1)};

    struct Case {
        Step step;
        Outcome outcome;
    };
    const Case cases[] = {
        {file_step(Action::delete_file, root + "\\tylko do odczytu.txt"), Outcome::removed},
        {file_step(Action::delete_file, root + "\\brak.txt"), Outcome::absent},
        {file_step(Action::delete_file, root + "\\brak\\brak.txt"), Outcome::absent},
        {file_step(Action::delete_file, root + "\\pusty"), Outcome::failed},
        {file_step(Action::remove_folder, root + "\\pusty"), Outcome::removed},
        {file_step(Action::remove_folder, root + "\\cudzy"), Outcome::not_empty},
        {registry_step(Action::delete_value, key, "Nowa"), Outcome::removed},
        {registry_step(Action::restore_value, key, "Stara", previous), Outcome::removed},
        {registry_step(Action::delete_value, key + "\\Brak", "Nowa"), Outcome::absent},
        {registry_step(Action::delete_key, key + "\\Pusty"), Outcome::not_empty},
        {registry_step(Action::delete_key, key + "\\Pusty\\Głębiej"), Outcome::removed},
        {registry_step(Action::delete_key, key + "\\Pusty"), Outcome::removed},
        {registry_step(Action::delete_key, key + "\\Obcy"), Outcome::not_empty},
        {registry_step(Action::delete_key, key + "\\Brak"), Outcome::absent},
    };
    platform::TakeBack take_back(platform::TakeBack::InUse::fail, {native(dir.path())});
    for (const Case& c : cases) {
        const takeback::Result result = take_back.apply(c.step);
        EXPECT_EQ(result.outcome, c.outcome) << c.step.path << c.step.registry.key << " "
                                             << c.step.registry.value << ": " << result.reason;
        if (result.outcome == Outcome::failed) {
            EXPECT_NE(result.reason, "");
        }
    }
    EXPECT_FALSE(platform::file_exists(root + "\\tylko do odczytu.txt"));
    EXPECT_TRUE(platform::file_exists(root + "\\cudzy\\plik.txt"));
    EXPECT_EQ(read_text(key, "Nowa"), "(none)");
    EXPECT_EQ(read_text(key, "Stara"), "przedtem");
    EXPECT_EQ(read_text(key + "\\Obcy", "Cudza"), "zostaje");
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

// A file held open without delete sharing fails the undo's way and goes at the restart the
// uninstaller's way, and so does the folder that then holds only it.
TEST(TakeBack, AFileInUseFailsOrGoesAtRestartAsAsked) {
    TempDir dir;
    const std::string folder = native(dir.path() / "w_uzyciu");
    std::filesystem::create_directories(dir.path() / "w_uzyciu" / "puste");
    write_file(dir.path() / "w_uzyciu" / "otwarty.dat", "o");
    const std::string file = folder + "\\otwarty.dat";
    const platform::UniqueHandle held(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    take_scheduled_removals();

    EXPECT_FALSE(platform::take_away_tree(folder, platform::TakeBack::InUse::fail));
    EXPECT_TRUE(platform::file_exists(file));
    EXPECT_FALSE(platform::folder_exists(folder + "\\puste")) << "what is free goes all the same";
    EXPECT_EQ(take_scheduled_removals(), "");

    EXPECT_TRUE(platform::take_away_tree(folder, platform::TakeBack::InUse::remove_at_restart));
    const std::string pending = take_scheduled_removals();
    EXPECT_NE(pending.find("otwarty.dat"), std::string::npos) << pending;
    EXPECT_NE(pending.find("w_uzyciu"), std::string::npos) << pending;
}

// A folder of the plan swapped for a link to another folder after the plan was made: nothing
// behind the link is touched: the file step fails naming the link, and the folder step takes at
// most the link itself (Wine cannot remove a Unix link to a folder that holds anything).
TEST(TakeBack, NeverActsBehindAFolderSwappedForALink) {
    TempDir dir;
    const std::filesystem::path target = dir.path() / "cel";
    write_file(target / "dane" / "poziom.dat", "nasz");
    write_file(target / "obcy" / "poziom.dat", "cudzy");
    std::filesystem::rename(target / "dane", target / "dane-stare");
    const DirectoryLink link(target / "dane", "obcy");
    ASSERT_TRUE(link.made());

    platform::TakeBack take_back(platform::TakeBack::InUse::fail, {native(dir.path())});
    const std::string dane = native(target / "dane");
    const takeback::Result file =
        take_back.apply(file_step(Action::delete_file, dane + "\\poziom.dat"));
    EXPECT_EQ(file.outcome, Outcome::failed);
    EXPECT_NE(file.reason.find("dowiązanie " + dane), std::string::npos) << file.reason;
    EXPECT_NE(take_back.apply(file_step(Action::remove_folder, dane)).outcome, Outcome::failed);
    EXPECT_EQ(read_file(target / "obcy" / "poziom.dat"), "cudzy");
}

#include "common/folder_access.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace setup {
namespace {

constexpr const char* kSystem = "S-1-5-18";
constexpr const char* kAdministrators = "S-1-5-32-544";
constexpr const char* kUsers = "S-1-5-32-545";
constexpr const char* kCreatorOwner = "S-1-3-0";
constexpr const char* kUser = "S-1-5-21-1-2-3-1001";

AccessEntry allow(const char* sid, uint32_t mask, bool inherit_only = false) {
    return {sid, mask, true, inherit_only};
}

// The lists as Windows ships its own folders, and the ways a folder fails the test.
TEST(FolderAccess, OnlyTheSystemMayRenameWhatOthersMadeInAFolderThatPasses) {
    const AccessEntry system_full = allow(kSystem, 0x1f01ff);
    const AccessEntry admins_full = allow(kAdministrators, 0x1f01ff);
    struct Case {
        const char* what;
        FolderAccess access;
        std::optional<std::string> others;
    } cases[] = {
        // The Windows folder's Temp: the users may add files and folders and traverse, the
        // creator of an entry has full control of it (inherit only).
        {"Windows\\Temp",
         {kSystem,
          true,
          {system_full, admins_full, allow(kUsers, 0x100026), allow("S-1-5-32-568", 0x100001),
           allow(kCreatorOwner, 0x10000000, true)}},
         std::nullopt},
        {"ProgramData",
         {kSystem,
          true,
          {system_full, admins_full, allow(kUsers, 0x1200a9), allow(kUsers, 0x116),
           allow(kCreatorOwner, 0x10000000, true)}},
         std::nullopt},
        {"owned by the system's installer",
         {"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", true, {admins_full}},
         std::nullopt},
        {"a denial of everything to the users",
         {kAdministrators, true, {admins_full, {kUsers, 0x1f01ff, false, false}}},
         std::nullopt},
        // The user's temporary folder: whatever its list, its owner may rewrite it.
        {"owned by the user",
         {kUser, true, {system_full, admins_full}},
         "właściciel " + std::string(kUser)},
        {"the users may delete children",
         {kSystem, true, {system_full, allow(kUsers, 0x1200a9 | 0x40)}},
         std::string(kUsers) + " (prawa 0x1200e9)"},
        {"everyone may write the list",
         {kSystem, true, {allow("S-1-1-0", 0x40000)}},
         "S-1-1-0 (prawa 0x40000)"},
        {"everyone may take ownership",
         {kSystem, true, {allow("S-1-1-0", 0x80000)}},
         "S-1-1-0 (prawa 0x80000)"},
        {"the users may delete the folder",
         {kSystem, true, {allow(kUsers, 0x10000)}},
         std::string(kUsers) + " (prawa 0x10000)"},
        {"generic all to the users",
         {kSystem, true, {allow(kUsers, 0x10000000)}},
         std::string(kUsers) + " (prawa 0x10000000)"},
        {"no list at all", {kAdministrators, false, {}}, "brak listy dostępu"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(others_may_rename_in(c.access), c.others);
    }
}

}  // namespace
}  // namespace setup

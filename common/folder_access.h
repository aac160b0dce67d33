#pragma once
// Whether a folder's access list lets anyone but the system and its administrators rename or
// delete what others made in it: the test a shared folder passes before the elevated programs
// make their private folders in it. Portable: the system's list is read into these values.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setup {

// One entry of an access list, its trustee as a string SID ("S-1-5-32-544").
struct AccessEntry {
    std::string sid;
    uint32_t mask = 0;
    bool allows = true;         // an allowing entry; denials let nobody in
    bool inherit_only = false;  // applies to what is made inside, not to the folder
};

struct FolderAccess {
    std::string owner;     // string SID
    bool has_list = true;  // no list at all lets everyone do everything
    std::vector<AccessEntry> entries;
};

// The rights that let their holder rename or delete another's entry of a folder, or give
// itself that right: delete child, delete, write the list, take ownership, and all.
inline constexpr uint32_t kRenamingRights =
    0x00000040u | 0x00010000u | 0x00040000u | 0x00080000u | 0x10000000u;

// The trustees who may hold those rights: SYSTEM, the administrators and the system's own
// installer service. The user running the program is not one of them: an elevated program
// shares its user with the programs the user runs unelevated.
bool is_system_trustee(const std::string& sid);

// Empty when only system trustees own the folder or hold a renaming right on it; otherwise who
// else does, as the log says it ("właściciel S-1-5-21-...", "S-1-5-32-545 (prawa 0x1301bf)",
// "brak listy dostępu").
std::optional<std::string> others_may_rename_in(const FolderAccess& access);

}  // namespace setup

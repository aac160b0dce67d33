#include "common/folder_access.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace setup {

bool is_system_trustee(const std::string& sid) {
    static constexpr std::array<std::string_view, 3> kTrustees = {
        "S-1-5-18",                                                        // SYSTEM
        "S-1-5-32-544",                                                    // Administrators
        "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
    };
    for (std::string_view trustee : kTrustees)
        if (sid == trustee) return true;
    return false;
}

std::optional<std::string> others_may_rename_in(const FolderAccess& access) {
    // The owner may always rewrite the list, so it must be trusted whatever the list says.
    if (!is_system_trustee(access.owner)) return "właściciel " + access.owner;
    if (!access.has_list) return std::string("brak listy dostępu");
    for (const AccessEntry& entry : access.entries) {
        if (!entry.allows || entry.inherit_only || is_system_trustee(entry.sid)) continue;
        if ((entry.mask & kRenamingRights) == 0) continue;
        char rights[16];
        std::snprintf(rights, sizeof rights, "0x%x", static_cast<unsigned>(entry.mask));
        return entry.sid + " (prawa " + rights + ")";
    }
    return std::nullopt;
}

}  // namespace setup

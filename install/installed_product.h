#pragma once
// An installed copy of the product, found through its entry in the system's list of programs,
// and what installing over it means: the folder and group the wizard proposes, the summary's
// line, or a refusal when the installed version is newer.
#include <optional>
#include <string>
#include <string_view>

namespace setup {

// What the product's uninstall key holds ("" where a value is missing).
struct UninstallEntryFound {
    std::string install_location;
    std::string uninstall_string;
    std::string display_version;
};

struct InstalledProduct {
    std::string folder;
    std::string group;    // below the Start menu's Programs folder; "" when it made none
    std::string version;  // "" when its entry has none
};

// The installed product's folder: InstallLocation, otherwise the folder of the
// UninstallString's program (quoted or not); nullopt when the entry names neither.
std::optional<std::string> installed_folder(const UninstallEntryFound& entry);

// The group the record's links lie in: its first folder line inside `programs_folder`, as a
// name relative to it; "" when it names none. A name with "." or ".." levels is none.
std::string installed_group(std::string_view record_text, std::string_view programs_folder);

// -1, 0 or 1 as version `a` is older than, the same as or newer than `b`; numbers compare as
// numbers and a missing one counts as 0 ("2.1" is "2.1.0").
int compare_versions(std::string_view a, std::string_view b);

// What installing version `version` over `installed` does.
struct UpdateDecision {
    bool refused = false;
    std::string text;  // the summary's line, or the refusal
};
// Nothing installed: no line. A newer installed version (both known) refuses unless `force`;
// an older one is updated from version to version; the same one, or without both versions,
// is installed again.
UpdateDecision decide_update(const std::optional<InstalledProduct>& installed,
                             std::string_view version, bool force);

}  // namespace setup

#pragma once
// Where a shortcut goes: its working folder, its file name. The folders to make on the way
// are paths::folder_levels.
#include <string>
#include <string_view>

namespace setup {

// Everything up to and including the last backslash or drive colon of `target`; "" when it
// has neither.
std::string working_folder_of(std::string_view target);

// folder + "\" + caption + ".lnk", without a second backslash when `folder` ends in one.
std::string shortcut_link_path(std::string_view folder, std::string_view caption);

}  // namespace setup

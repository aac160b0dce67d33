#pragma once
// Where a shortcut goes: the folders to make on the way, its working folder, its file name.
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// The folders to make, in order, for `folder` when it does not exist: the text before each
// backslash (those that exist are passed over by the caller), then `folder` itself.
// "C:\A\B" gives "C:", "C:\A", "C:\A\B".
std::vector<std::string> folder_levels(std::string_view folder);

// Everything up to and including the last backslash or drive colon of `target`; "" when it
// has neither.
std::string working_folder_of(std::string_view target);

// folder + "\" + caption + ".lnk", without a second backslash when `folder` ends in one.
std::string shortcut_link_path(std::string_view folder, std::string_view caption);

}  // namespace setup

#pragma once
// The target-folder placeholder of registry data, and the CP1250 upper-casing that finds it
// whatever the case it was written in; the target folder's check for links and the making of
// its missing levels before anything is unpacked.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error/runtime_error.h"

namespace setup {

inline constexpr std::string_view kTargetFolderPlaceholder = "<FOLDERDOCELOWY>";

// a-z and the nine Polish lower-case letters of CP1250 (ą ć ę ł ń ó ś ź ż) to their capitals;
// every other byte unchanged, so positions in the result are positions in `text`.
std::string PolishUpperCase(std::string_view text);

// `text` with its first placeholder, in any letter case, replaced by `target` as it stands;
// a second placeholder stays.
std::string ExpandTargetFolder(std::string_view text, std::string_view target);

// What a path names, as far as the target folder's check needs to know. A link is a reparse
// point: a junction or a symbolic link, which could send the installer's elevated writes
// anywhere.
enum class PathKind { missing, link, present };

// The target's levels below its drive root (or a network path's share), from the top: the
// first that is a link, and the ones that do not exist. Nothing below a missing level can
// exist, so the walk asks nothing more after the first.
struct TargetFolderLevels {
    std::optional<std::string> link;
    std::vector<std::string> missing;  // top-down, the order they are made in
};
TargetFolderLevels target_folder_levels(std::string_view target,
                                        const std::function<PathKind(const std::string&)>& kind_of);

// The longest path the system takes for a file (MAX_PATH without its terminating NUL).
inline constexpr size_t kLongestPath = 259;

// Why the product cannot be installed into `target`, or "" when it can: checked before
// anything is made, so that an installation the uninstaller would refuse to remove is never
// made. A target must be a full path, local ("C:\...") or on a network share
// ("\\server\share\..."), without a "\\?\" or "\\.\" prefix and without components that are
// "." or "..", end in a dot or a blank, or hold a ":"; not a drive or share root; none of
// `protected_folders` (the system's and the users' own) nor a folder holding one; and short
// enough that `longest_name` (the longest path below the target that the installation
// writes) fits within kLongestPath.
std::string target_refusal(std::string_view target,
                           const std::vector<std::string>& protected_folders, size_t longest_name);

// Why a 64-bit product cannot be installed into `target`, or "" when it can: the system
// redirects what 32-bit programs (this installer, its extractor and uninstaller) write into
// `windows_folder`\System32, so its files would land where the product's 64-bit programs do not
// look; Sysnative, the way around for 32-bit programs, is refused too, as those programs
// would not find it.
std::string redirected_target_refusal(std::string_view target, std::string_view windows_folder);

// Makes the target folder ready for the extractor: refuses it when it or a level on its way
// is a link, otherwise makes its missing levels top-down with `make_folder` (which throws
// naming the folder when it cannot) and looks once more, so that a link put in place of a
// level meanwhile is refused too. Throws RuntimeError with the refusal's message; returns
// when the target is ready. An existing folder is not touched.
void prepare_target_folder(const std::string& target,
                           const std::function<PathKind(const std::string&)>& kind_of,
                           const std::function<void(const std::string&)>& make_folder);

}  // namespace setup

#pragma once
// Windows path texts (CP1250) compared and taken apart without asking the system: the
// installer's paths and the record's are composed by plain concatenation and may hold doubled
// separators or end in one. "/" counts as a separator wherever "\" does.
#include <string>
#include <string_view>
#include <vector>

namespace setup::paths {

// "/" read as "\", runs of separators made one (the "\\" that starts a network path kept), a
// trailing separator dropped except after a drive ("C:\").
std::string normalize_path(std::string_view path);

// The text with its letters folded to one case as Windows compares names (fold_cp1250 of
// paths/name_fold.h), nothing else changed. Only for comparing: the fold is UTF-8.
std::string fold_case(std::string_view text);

// The normalized path with its letters folded to one case: equal keys, same path.
std::string path_key(std::string_view path);

// The same path, letters compared without case as Windows compares them.
bool same_path(std::string_view a, std::string_view b);

// `path` is `folder` itself or lies somewhere below it.
bool is_within(std::string_view path, std::string_view folder);

// A drive letter with ":\", or a network path "\\server\share...".
bool is_absolute(std::string_view path);

// Why `path` is no full local path the uninstaller may act on, or "" when it is one: a drive
// letter, ":\", then components none of which is "." or "..", ends in a dot or a blank (the
// system drops those, so the name would alias another) or holds a ":" (an alternate data
// stream). Doubled separators are tolerated. Unsound: a network path, a "\\?\" or "\\.\"
// device path, anything relative. Only on sound paths does comparing texts (is_within) tell
// where a path lies.
std::string path_flaw(std::string_view path);
bool is_canonical(std::string_view path);

// "C:", "C:\" or a network share "\\server\share" with nothing below it.
bool is_drive_root(std::string_view path);

// The normalized folder that holds `path` ("" when it has none).
std::string parent_of(std::string_view path);

// The last component of the normalized path.
std::string name_of(std::string_view path);

// How many components the normalized path has below its root.
int depth_of(std::string_view path);

// `folder`, one "\" unless it ends in a separator already, then `name`.
std::string join(std::string_view folder, std::string_view name);

// `path` without the separators at its end, but never shorter than one character.
std::string_view without_trailing_separators(std::string_view path);

// The folders a path of folders passes through, top-down, each spelt as in `folder` up to
// the separator after it: "C:\a\b" gives "C:\a", "C:\a\b". A drive ("C:", "C:\"), the
// "\" of a rooted path and a network share ("\\server\share") are no levels: nothing makes
// them. Doubled and trailing separators add no level.
std::vector<std::string> folder_levels(std::string_view folder);

}  // namespace setup::paths

#pragma once
// What the folder list shows, without Windows: the rows for a current folder and the path
// arithmetic behind them. Paths are full Windows paths ("C:\Program Files", "\\server\share\x")
// as ANSI byte strings in code page 1250; bytes above 127 are copied untouched.
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// The root of a path with its closing "\": "C:\" for "C:\a\b" or "c:", "\\server\share\" for a
// share; "" for a path without a root.
std::string root_of(std::string_view path);

// The form the folder list keeps and reports: drive letter in upper case, "\" after a root,
// none after any other folder ("c:" -> "C:\", "C:\a\b\" -> "C:\a\b").
std::string normal_folder(std::string_view path);

// folder and name with exactly one "\" between them, whether or not folder ends in one.
std::string join_folder(std::string_view folder, std::string_view name);

// The folder that holds `path`, in normal form; "" for a root or a path without a root.
std::string parent_folder(std::string_view path);

// Folder names in the order the list shows them: without regard to case, each Polish letter
// right after its base letter ("a" < "ą" < "B" < "c"), other characters before the letters.
bool folder_name_less(std::string_view a, std::string_view b);

// One row of the folder list. The rows from the root down to the current folder are open
// (they are the path); the last open row is the current folder. The current folder's
// sub-folders follow it, one step deeper.
struct FolderRow {
    std::string text;  // the root with its "\", otherwise the folder's name
    int depth = 0;     // indentation steps: 0 for the root
    std::string path;  // the row's folder in normal form
    bool open = false;

    bool operator==(const FolderRow&) const = default;
};

// The rows for `current` (any form normal_folder accepts) and the names found in it.
// `subfolders` may hold "." and ".." and any order; those two are left out and the rest
// sorted with folder_name_less.
std::vector<FolderRow> folder_rows(std::string_view current, std::vector<std::string> subfolders);

}  // namespace setup

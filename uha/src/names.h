#pragma once
// Rules for the names stored in an archive. A name is UTF-8, its components separated by
// "/", and it must stay inside whatever folder it is extracted to on Linux or on Windows:
// no absolute path, no drive, no "." or ".." component, no character that Windows
// refuses or reads as a separator or stream name, no device name such as CON or LPT1.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "paths/name_fold.h"

namespace uha {

// Why the name cannot be stored or extracted, or nothing when it is sound.
std::optional<std::string> name_problem(std::string_view name);

bool is_valid_utf8(std::string_view text);

// Decodes the UTF-8 sequence at text[i] (see paths/name_fold.h).
using setup::paths::utf8_sequence;

// The name's components; the name must be sound.
std::vector<std::string_view> split_name(std::string_view name);

// The name folded the way Windows compares file names, so that two names that would be one
// file on Windows fold to the same text: the one fold of paths/ (setup::paths::fold_utf8).
std::string fold_name(std::string_view name);

// The simple uppercase mapping of a code point of the basic plane; others map to themselves.
using setup::paths::upper_case;

// A file or folder named for packing (uha a's inputs): `path` as given, taken relative to
// `folder` when that is not empty (uha a's -C <folder>). Both are native paths.
struct PackInput {
    PackInput(std::string folder_, std::string path_)
        : folder(std::move(folder_)), path(std::move(path_)) {}
    std::string folder;  // "": named from the current folder
    std::string path;
    bool operator==(const PackInput&) const = default;
};

// Where a named input is read and what it is stored as. Without a folder an input keeps its
// own name, the last component of its path, as archivers do ("bin", "bin/", "../x/bin" are all
// stored as "bin" with what lies inside); a last component "." means the folder's contents,
// with no name of their own ("product/." puts product's files at the archive's root).
// Relative to a folder, an input is stored under its path from there ("-C base sub/x" stores
// "sub/x"; "-C product ." stores product's contents at the root); it must stay inside that
// folder: no absolute path, drive or "..". "." components and repeated or trailing
// separators never count.
struct InputPlace {
    std::string path;               // what to read, as the system takes it
    std::vector<std::string> name;  // the stored name's components; none: a folder's contents
    std::string problem;            // why the input cannot be added, or ""
};

// `windows`: "\" separates components too and a path may start with a drive ("C:").
InputPlace place_input(std::string_view folder, std::string_view path, bool windows);

// The part after the last "." of the last component, lower-cased ASCII; "" when none.
std::string extension_of(std::string_view name);

}  // namespace uha

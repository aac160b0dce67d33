#pragma once
// Whether texts of the script can be names on Windows: the product's folder name, which the
// installer appends to the chosen base folder, and shortcut captions, which become link file
// names. uha's name rules (names.h) decide, so the archive and the script agree on what
// Windows can hold.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace setup {

struct NameProblem {
    size_t offset = 0;  // in the text, of the part at fault
    std::string what;   // e.g. "names a Windows device", "contains the character ':'"
};

// A relative folder path, "\" between its parts: no leading "\", no empty part, no "." or
// "..", no reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an
// extension), none of < > : " / | ? * or a control character, no part ending in a dot or blank.
std::optional<NameProblem> folder_name_problem(std::string_view cp1250);

// One file name, so no "\" either.
std::optional<NameProblem> file_name_problem(std::string_view cp1250);

}  // namespace setup

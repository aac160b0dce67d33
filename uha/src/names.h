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

namespace uha {

// Why the name cannot be stored or extracted, or nothing when it is sound.
std::optional<std::string> name_problem(std::string_view name);

bool is_valid_utf8(std::string_view text);

// Decodes the UTF-8 sequence at text[i] into `cp`; returns its length, or 0 when it is
// malformed (cut short, overlong, a surrogate or above U+10FFFF).
size_t utf8_sequence(std::string_view text, size_t i, uint32_t& cp);

// The name's components; the name must be sound.
std::vector<std::string_view> split_name(std::string_view name);

// The name folded the way Windows compares file names (ASCII and Latin letters of any
// case match), so two names that would be one file on Windows are seen as the same.
std::string fold_name(std::string_view name);

// The part after the last "." of the last component, lower-cased ASCII; "" when none.
std::string extension_of(std::string_view name);

}  // namespace uha

#pragma once
// The one comparison of names without regard to letter case, as Windows makes it: every code
// point of the basic plane upper-cased by Unicode's simple uppercase mapping (UnicodeData.txt,
// which the table of Windows follows), code points above U+FFFF left as they are. Two names
// whose folds are equal are one file on Windows. Folds are only for comparing: "ı" and "I"
// fold alike, "ß" stays "ß".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace setup::paths {

// The simple uppercase mapping of a code point of the basic plane; others map to themselves.
uint32_t upper_case(uint32_t cp);

// Decodes the UTF-8 sequence at text[i] into `cp`; returns its length, or 0 when it is
// malformed (cut short, overlong, a surrogate or above U+10FFFF).
size_t utf8_sequence(std::string_view text, size_t i, uint32_t& cp);

// A UTF-8 name folded; bytes that are not UTF-8 are kept as they are.
std::string fold_utf8(std::string_view name);

// A CP1250 name folded: each byte read as its code point and folded, the result written as
// UTF-8 (a capital may lie outside CP1250: "µ" folds to U+039C). A byte CP1250 leaves
// undefined is kept as it is; it cannot be mistaken for a character, since it never starts a
// UTF-8 sequence. Equal folds: one name on Windows.
std::string fold_cp1250(std::string_view name);

}  // namespace setup::paths

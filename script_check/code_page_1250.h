#pragma once
// Conversions between UTF-8 and code page 1250, the Windows code page of Polish in which the
// installer reads its script. The system converts (iconv on Linux, the code-page functions of
// Windows there), so a character counts as convertible exactly when the system says so.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

struct Cp1250Conversion {
    std::string text;  // one byte for each character of the input
    // Byte offsets in the input of the characters that code page 1250 has no form for, in
    // order; each stands in `text` as "?".
    std::vector<size_t> unmappable;
};

// `utf8` must be valid UTF-8. No best-fit replacements: "ñ" does not quietly become "n".
// Throws std::runtime_error when the system has no such conversion at all.
Cp1250Conversion utf8_to_cp1250(std::string_view utf8);

// For showing script text in messages. Never fails: a byte the code page leaves undefined
// comes out as the system maps it, or as U+FFFD.
std::string cp1250_to_utf8(std::string_view cp1250);

}  // namespace setup

#include <windows.h>

#include <algorithm>

#include "script_check/code_page_1250.h"
#include "uha/src/names.h"
#include "uha/src/text_win32.h"

namespace setup {

namespace {

constexpr unsigned kCodePage1250 = 1250;

// The bytes of the UTF-8 sequence at text[at] (the input is valid UTF-8).
size_t sequence_length(std::string_view text, size_t at) {
    uint32_t cp = 0;
    return std::max<size_t>(uha::utf8_sequence(text, at, cp), 1);
}

}  // namespace

Cp1250Conversion utf8_to_cp1250(std::string_view utf8) {
    const std::string whole(utf8);
    if (auto exact = uha::win32::narrow_exact(uha::win32::widen(whole, CP_UTF8), kCodePage1250)) {
        return {std::move(*exact), {}};
    }
    // Some character has no form: the system says which when asked one character at a time.
    Cp1250Conversion result;
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = sequence_length(utf8, at);
        const std::string character(utf8.substr(at, length));
        const auto converted =
            length == 1
                ? std::optional<std::string>(character)
                : uha::win32::narrow_exact(uha::win32::widen(character, CP_UTF8), kCodePage1250);
        if (converted && converted->size() == 1) {
            result.text += *converted;
        } else {
            result.unmappable.push_back(at);
            result.text += '?';
        }
        at += length;
    }
    return result;
}

std::string cp1250_to_utf8(std::string_view cp1250) {
    return uha::win32::narrow(uha::win32::widen(std::string(cp1250), kCodePage1250), CP_UTF8);
}

}  // namespace setup

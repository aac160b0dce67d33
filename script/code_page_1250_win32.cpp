#include <windows.h>

#include "code_page_1250.h"
#include "text_win32.h"

namespace setup {

namespace {

constexpr unsigned kCodePage1250 = 1250;

size_t sequence_length(unsigned char lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
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
        const size_t length = sequence_length(static_cast<unsigned char>(utf8[at]));
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

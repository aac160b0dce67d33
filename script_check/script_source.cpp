#include "script_check/script_source.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "script_check/code_page_1250.h"
#include "uha/src/names.h"

namespace setup {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool has_byte_above_ascii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// Line ends made CR LF, and one added after a last line that has none.
std::string with_crlf_line_ends(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    if (!out.empty() && !out.ends_with("\r\n")) out += out.ends_with('\r') ? "\n" : "\r\n";
    return out;
}

// The code point of the UTF-8 sequence at text[at], for naming it in a message.
uint32_t code_point_at(std::string_view text, size_t at) {
    uint32_t cp = 0;
    return uha::utf8_sequence(text, at, cp) ? cp : static_cast<unsigned char>(text[at]);
}

// The bytes of the sequence at text[at]; a malformed one counts as one byte.
size_t utf8_length_at(std::string_view text, size_t at) {
    uint32_t cp = 0;
    return std::max<size_t>(uha::utf8_sequence(text, at, cp), 1);
}

struct Place {
    int line = 1;
    int column = 1;
};

// The line and character column of each offset in `offsets` (ascending) of UTF-8 `text`.
std::vector<Place> places_of(std::string_view text, const std::vector<size_t>& offsets) {
    std::vector<Place> places;
    Place place;
    size_t at = 0;
    for (size_t offset : offsets) {
        for (; at < offset; ++at) {
            if (text[at] == '\n') {
                ++place.line;
                place.column = 1;
            } else if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
                ++place.column;  // a character starts here; continuation bytes do not count
            }
        }
        places.push_back(place);
    }
    return places;
}

std::string unmappable_message(std::string_view utf8, size_t at) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(code_point_at(utf8, at)));
    return "character '" + std::string(utf8.substr(at, utf8_length_at(utf8, at))) + "': " + code +
           " has no form in code page 1250, the code page the installer reads its script in; "
           "replace the character or leave it out";
}

ScriptSource from_utf8(std::string_view utf8) {
    Cp1250Conversion converted = utf8_to_cp1250(utf8);
    ScriptSource source;
    source.encoding = ScriptEncoding::utf8;
    const std::vector<Place> places = places_of(utf8, converted.unmappable);
    for (size_t i = 0; i < places.size(); ++i) {
        source.diagnostics.push_back({Severity::error, places[i].line, places[i].column,
                                      unmappable_message(utf8, converted.unmappable[i]), ""});
    }
    source.cp1250_text = with_crlf_line_ends(converted.text);
    return source;
}

// The offset of the first byte that does not begin a valid UTF-8 sequence.
size_t first_invalid_utf8(std::string_view text) {
    size_t valid = 0;
    // Grows the valid prefix one sequence at a time; the rare caller can afford it.
    while (valid < text.size()) {
        const size_t length = std::min(utf8_length_at(text, valid), text.size() - valid);
        if (!uha::is_valid_utf8(text.substr(valid, length))) break;
        valid += length;
    }
    return valid;
}

ScriptSource from_cp1250(std::string_view cp1250) {
    ScriptSource source;
    source.encoding = ScriptEncoding::cp1250;
    source.cp1250_text = with_crlf_line_ends(cp1250);
    return source;
}

}  // namespace

ScriptSource decode_script(std::string_view file_bytes) {
    if (file_bytes.starts_with("\xFF\xFE") || file_bytes.starts_with("\xFE\xFF")) {
        ScriptSource source;
        source.diagnostics.push_back(
            {Severity::error, 0, 0,
             "the file is in UTF-16; save it as UTF-8 or in code page 1250 (Windows Central "
             "European)",
             ""});
        return source;
    }
    if (file_bytes.starts_with(kUtf8Mark)) {
        const std::string_view text = file_bytes.substr(kUtf8Mark.size());
        if (uha::is_valid_utf8(text)) return from_utf8(text);
        // Saved with a mark and edited since in another code page: read it as CP1250.
        const size_t bad = first_invalid_utf8(text);
        const Place place = places_of(text, {bad}).front();
        ScriptSource source = from_cp1250(text);
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[bad]));
        source.diagnostics.push_back(
            {Severity::error, place.line, place.column,
             std::string("byte ") + byte +
                 " is not UTF-8, though the file starts with a UTF-8 byte-order mark; save the "
                 "whole file as UTF-8, or in code page 1250 without the mark",
             ""});
        return source;
    }
    if (has_byte_above_ascii(file_bytes) && uha::is_valid_utf8(file_bytes))
        return from_utf8(file_bytes);
    return from_cp1250(file_bytes);
}

}  // namespace setup

#include "paths/name_fold.h"

#include <algorithm>
#include <iterator>

#include "paths/cp1250_table.h"
#include "paths/upcase_ranges.h"

namespace setup::paths {

namespace {

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char ascii_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

}  // namespace

uint32_t upper_case(uint32_t cp) {
    if (cp > 0xFFFF) return cp;  // a surrogate pair: Windows upper-cases single units only
    const auto* begin = std::begin(upcase::kRanges);
    const auto* end = std::end(upcase::kRanges);
    // The last range starting at or before cp.
    const auto* r = std::upper_bound(
        begin, end, cp, [](uint32_t c, const upcase::Range& range) { return c < range.first; });
    if (r == begin) return cp;
    --r;
    if (cp > r->last || (cp - r->first) % r->step != 0) return cp;
    return static_cast<uint32_t>(static_cast<int32_t>(cp) + r->delta);
}

size_t utf8_sequence(std::string_view text, size_t i, uint32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = b(i);
    size_t len;
    uint32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

std::string fold_utf8(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (static_cast<unsigned char>(c) < 0x80) {  // most names are ASCII: no table look-up
            out.push_back(ascii_upper(c));
            ++i;
            continue;
        }
        uint32_t cp;
        size_t n = utf8_sequence(name, i, cp);
        if (n == 0) {  // not UTF-8: compare bytes as they are
            out.push_back(name[i++]);
            continue;
        }
        append_utf8(out, upper_case(cp));
        i += n;
    }
    return out;
}

std::string fold_cp1250(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(ascii_upper(c));
            continue;
        }
        const uint16_t cp = cp1250::kCodePoints[byte];
        if (cp == cp1250::kUnmapped)
            out.push_back(c);
        else
            append_utf8(out, upper_case(cp));
    }
    return out;
}

}  // namespace setup::paths

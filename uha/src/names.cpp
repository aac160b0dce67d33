#include "names.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace uha {

namespace {

constexpr size_t kMaxComponent = 255;
constexpr size_t kMaxName = 4096;

char ascii_upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool is_device_name(std::string_view component) {
    // Windows maps these names to devices in every folder and with any extension.
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper(base);
    std::transform(upper.begin(), upper.end(), upper.begin(), ascii_upper);
    static constexpr std::array<std::string_view, 6> plain = {"CON", "PRN",    "AUX",
                                                              "NUL", "CONIN$", "CONOUT$"};
    if (std::find(plain.begin(), plain.end(), upper) != plain.end()) return true;
    if (upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")))
        return upper[3] >= '0' && upper[3] <= '9';
    // COM and LPT with a superscript digit one, two or three.
    if (upper.size() == 5 && (upper.starts_with("COM") || upper.starts_with("LPT")))
        return upper.substr(3) == "\xC2\xB9" || upper.substr(3) == "\xC2\xB2" ||
               upper.substr(3) == "\xC2\xB3";
    return false;
}

std::optional<std::string> component_problem(std::string_view c) {
    if (c.empty()) return "has an empty component";
    if (c == "." || c == "..") return "has a \".\" or \"..\" component";
    if (c.size() > kMaxComponent) return "has a component longer than 255 bytes";
    for (char ch : c) {
        unsigned char u = static_cast<unsigned char>(ch);
        if (u < 0x20 || u == 0x7F) return "contains a control character";
        if (std::string_view("<>:\"\\|?*").find(ch) != std::string_view::npos)
            return std::string("contains the character '") + ch + "'";
    }
    // Windows drops trailing dots and blanks, so "a." would become "a".
    if (c.back() == '.' || c.back() == ' ') return "has a component ending in a dot or blank";
    if (is_device_name(c)) return "names a Windows device";
    return std::nullopt;
}

}  // namespace

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

bool is_valid_utf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        uint32_t cp;
        size_t n = utf8_sequence(text, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::optional<std::string> name_problem(std::string_view name) {
    if (name.empty()) return "is empty";
    if (name.size() > kMaxName) return "is longer than 4096 bytes";
    if (name.front() == '/') return "is an absolute path";
    if (!is_valid_utf8(name)) return "is not valid UTF-8";
    for (std::string_view c : split_name(name))
        if (auto p = component_problem(c)) return p;
    return std::nullopt;
}

std::vector<std::string_view> split_name(std::string_view name) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t slash = name.find('/', start);
        parts.push_back(name.substr(start, slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

std::string fold_name(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        uint32_t cp;
        size_t n = utf8_sequence(name, i, cp);
        if (n == 0) {  // not UTF-8: compare bytes as they are
            out.push_back(name[i++]);
            continue;
        }
        // Lower case of ASCII, Latin-1 and Latin Extended-A (the Polish letters among them).
        if (cp >= 'A' && cp <= 'Z')
            cp += 32;
        else if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
            cp += 32;
        else if (cp >= 0x100 && cp <= 0x17F && cp != 0x130 && cp != 0x131 && cp != 0x138 &&
                 cp != 0x149 && cp != 0x178 && cp != 0x17F) {
            // Pairs are (even upper, odd lower) except in 0x139..0x148 and 0x179..0x17E.
            bool odd_upper = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
            if (odd_upper ? (cp & 1) : !(cp & 1)) cp += 1;
        }
        if (cp < 0x80)
            out.push_back(static_cast<char>(cp));
        else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.append(name.substr(i, n));  // beyond the folded range: unchanged
        }
        i += n;
    }
    return out;
}

std::string extension_of(std::string_view name) {
    std::string_view last = name.substr(name.rfind('/') + 1);
    size_t dot = last.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return "";
    std::string ext(last.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
    return ext;
}

}  // namespace uha

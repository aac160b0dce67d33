#include "uha/src/names.h"

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
    return setup::paths::fold_utf8(name);
}

InputPlace place_input(std::string_view folder, std::string_view path, bool windows) {
    const auto separator = [&](char c) { return c == '/' || (windows && c == '\\'); };
    const char joiner = windows ? '\\' : '/';
    InputPlace place;
    if (path.empty()) {
        place.problem = "an empty path names nothing";
        return place;
    }
    // The root: a drive, then the leading separators.
    size_t root = windows && path.size() >= 2 && path[1] == ':' ? 2 : 0;
    while (root < path.size() && separator(path[root])) ++root;  // kept whole: "\\\\server"
    std::vector<std::string_view> parts;
    for (size_t start = root; start < path.size();) {
        size_t end = start;
        while (end < path.size() && !separator(path[end])) ++end;
        std::string_view part = path.substr(start, end - start);
        if (!part.empty() && part != ".") parts.push_back(part);
        start = end + 1;
    }
    std::string joined;
    for (std::string_view part : parts) {
        if (!joined.empty()) joined += joiner;
        joined += part;
    }
    if (!folder.empty()) {
        if (root > 0) {
            place.problem = "a path after -C must lie inside its folder, not start at a root";
            return place;
        }
        for (std::string_view part : parts)
            if (part == "..") {
                place.problem = "a path after -C must lie inside its folder, without \"..\"";
                return place;
            }
        place.path = folder;
        const char last = folder.back();
        if (!joined.empty() && !separator(last) && !(windows && last == ':')) place.path += joiner;
        place.path += joined;
        place.name.assign(parts.begin(), parts.end());
        return place;
    }
    place.path = path.substr(0, root);
    place.path += joined;
    if (place.path.empty()) place.path = '.';
    // A trailing "." (or the path "." itself) asks for the contents.
    std::string_view tail = path;
    while (tail.size() > root && separator(tail.back())) tail.remove_suffix(1);
    const bool contents =
        tail.ends_with(".") && (tail.size() == root + 1 || separator(tail[tail.size() - 2]));
    if (contents) return place;
    if (parts.empty() || parts.back() == "..") {
        place.problem = "it has no name of its own to store; -C <folder> . stores its contents";
        return place;
    }
    place.name.emplace_back(parts.back());
    return place;
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

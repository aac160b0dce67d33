#include "uninstall/paths.h"

namespace setup::uninstall {

namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// CP1250 has letters whose capitals lie 0x10 or 0x20 away, and a few whose pairs lie apart.
unsigned char fold(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
        case 0x8A:
        case 0x8C:
        case 0x8D:
        case 0x8E:
        case 0x8F:
            return static_cast<unsigned char>(c + 0x10);
        case 0xA3:
            return 0xB3;  // Ł
        case 0xA5:
            return 0xB9;  // Ą
        case 0xAA:
            return 0xBA;  // Ş
        case 0xAF:
            return 0xBF;  // Ż
        case 0xBC:
            return 0xBE;  // Ľ
        default:
            return c;
    }
}

bool has_drive(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' &&
           ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

}  // namespace

std::string normalize_path(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    size_t i = 0;
    if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
        out = "\\\\";
        i = 2;
        while (i < path.size() && is_separator(path[i])) ++i;
    }
    for (; i < path.size(); ++i) {
        if (!is_separator(path[i]))
            out += path[i];
        else if (out.empty() || out.back() != '\\')
            out += '\\';
    }
    const bool drive_root = out.size() == 3 && has_drive(out);
    if (out.size() > 1 && out.back() == '\\' && !drive_root && out != "\\\\") out.pop_back();
    return out;
}

std::string fold_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(fold(static_cast<unsigned char>(c)));
    return out;
}

std::string path_key(std::string_view path) {
    return fold_case(normalize_path(path));
}

bool same_path(std::string_view a, std::string_view b) {
    return path_key(a) == path_key(b);
}

bool is_within(std::string_view path, std::string_view folder) {
    const std::string p = path_key(path);
    std::string f = path_key(folder);
    if (f.empty()) return false;
    if (p == f) return true;
    if (f.back() != '\\') f += '\\';
    return p.size() > f.size() && p.compare(0, f.size(), f) == 0;
}

bool is_absolute(std::string_view path) {
    if (path.size() >= 3 && has_drive(path) && is_separator(path[2])) return true;
    const std::string n = normalize_path(path);
    // A network path needs a server and a share.
    return n.size() > 2 && n.starts_with("\\\\") && n.find('\\', 2) != std::string::npos &&
           n.find('\\', 2) + 1 < n.size();
}

std::string path_flaw(std::string_view path) {
    const bool two_separators = path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]);
    if (two_separators && path.size() >= 4 && (path[2] == '?' || path[2] == '.') &&
        is_separator(path[3]))
        return "ścieżka urządzenia";
    if (two_separators) return "ścieżka sieciowa";
    if (path.size() < 3 || !has_drive(path) || !is_separator(path[2]))
        return "ścieżka nie jest pełna";
    const std::string n = normalize_path(path);
    for (size_t start = 3; start < n.size();) {
        size_t end = n.find('\\', start);
        if (end == std::string::npos) end = n.size();
        const std::string_view name = std::string_view(n).substr(start, end - start);
        if (name == "." || name == "..") return "ścieżka z . lub ..";
        if (name.find(':') != std::string_view::npos) return "strumień danych w ścieżce";
        if (name.back() == '.' || name.back() == ' ') return "nazwa kończy się kropką lub spacją";
        start = end + 1;
    }
    return "";
}

bool is_canonical(std::string_view path) {
    return path_flaw(path).empty();
}

bool is_drive_root(std::string_view path) {
    const std::string n = normalize_path(path);
    if (has_drive(n)) return n.size() == 2 || (n.size() == 3 && n[2] == '\\');
    if (!n.starts_with("\\\\")) return false;
    const size_t share = n.find('\\', 2);
    return share == std::string::npos || n.find('\\', share + 1) == std::string::npos;
}

std::string parent_of(std::string_view path) {
    const std::string n = normalize_path(path);
    const size_t last = n.rfind('\\');
    if (last == std::string::npos) return "";
    if (last == 2 && has_drive(n)) return n.substr(0, 3);
    return n.substr(0, last);
}

std::string name_of(std::string_view path) {
    const std::string n = normalize_path(path);
    const size_t last = n.rfind('\\');
    return last == std::string::npos ? n : n.substr(last + 1);
}

int depth_of(std::string_view path) {
    const std::string n = normalize_path(path);
    int depth = 0;
    for (size_t i = n.starts_with("\\\\") ? 2 : 0; i < n.size(); ++i)
        if (n[i] == '\\' && i + 1 < n.size()) ++depth;
    return depth;
}

}  // namespace setup::uninstall

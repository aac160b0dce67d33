#include "paths/paths.h"

#include "paths/name_fold.h"

namespace setup::paths {

namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
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
    return fold_cp1250(text);
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

std::string join(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || !is_separator(out.back())) out += '\\';
    out += name;
    return out;
}

std::string_view without_trailing_separators(std::string_view path) {
    while (path.size() > 1 && is_separator(path.back())) path.remove_suffix(1);
    return path;
}

std::vector<std::string> folder_levels(std::string_view folder) {
    // Levels end at a separator, or at the end, after a name; none before `start`, the end of
    // the drive or of the share.
    size_t start = has_drive(folder) ? 2 : 0;
    if (folder.size() >= 2 && is_separator(folder[0]) && is_separator(folder[1])) {
        const size_t server = folder.find_first_of("\\/", 2);
        const size_t share =
            server == std::string_view::npos ? server : folder.find_first_of("\\/", server + 1);
        start = share == std::string_view::npos ? folder.size() : share;
    }
    std::vector<std::string> levels;
    for (size_t i = start + 1; i <= folder.size(); ++i) {
        if (i < folder.size() && !is_separator(folder[i])) continue;
        if (!is_separator(folder[i - 1])) levels.emplace_back(folder.substr(0, i));
    }
    return levels;
}

}  // namespace setup::paths

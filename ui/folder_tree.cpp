#include "ui/folder_tree.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace setup {

namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

bool is_ascii_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper_ascii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A path cut into its root (normal form, "" when it has none) and its folder names; empty
// names, as in "C:\a\\b\", are dropped.
struct SplitPath {
    std::string root;
    std::vector<std::string_view> names;
};

SplitPath split(std::string_view path) {
    SplitPath out;
    size_t rest = 0;
    if (path.size() >= 2 && is_ascii_letter(path[0]) && path[1] == ':') {
        out.root = {upper_ascii(path[0]), ':', '\\'};
        rest = 2;
    } else if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
        // \\server\share: both names belong to the root.
        size_t server_end = path.find_first_of("\\/", 2);
        if (server_end == std::string_view::npos) server_end = path.size();
        size_t share_end = server_end < path.size() ? path.find_first_of("\\/", server_end + 1)
                                                    : std::string_view::npos;
        if (share_end == std::string_view::npos) share_end = path.size();
        out.root.assign(path.substr(0, share_end));
        std::replace(out.root.begin(), out.root.end(), '/', '\\');
        if (out.root.back() != '\\') out.root += '\\';
        rest = share_end;
    } else if (!path.empty() && is_separator(path[0])) {
        out.root.assign(1, '\\');
        rest = 1;
    }
    while (rest < path.size()) {
        size_t end = path.find_first_of("\\/", rest);
        if (end == std::string_view::npos) end = path.size();
        if (end > rest) out.names.push_back(path.substr(rest, end - rest));
        rest = end + 1;
    }
    return out;
}

std::string joined(const SplitPath& p, size_t name_count) {
    std::string out = p.root;
    for (size_t i = 0; i < name_count; ++i) {
        if (i > 0) out += '\\';
        out += p.names[i];
    }
    return out;
}

// Sort weights for CP1250 bytes: case folded, a Polish letter one or two steps after its
// base letter, punctuation and digits (their byte values) before all letters, other
// non-ASCII characters after them.
constexpr std::array<uint16_t, 256> make_weights() {
    std::array<uint16_t, 256> w{};
    for (int b = 0; b < 256; ++b) {
        int lower = b;
        if (b >= 'A' && b <= 'Z') lower = b + 32;
        if ((b >= 0xC0 && b <= 0xDE && b != 0xD7) || (b >= 0x8A && b <= 0x8F && b != 0x8B))
            lower = b + (b >= 0xC0 ? 0x20 : 0x10);
        if (b == 0xA3) lower = 0xB3;                   // Ł
        if (b == 0xA5) lower = 0xB9;                   // Ą
        if (b == 0xAA || b == 0xAF) lower = b + 0x10;  // Ş, Ż
        if (b == 0xBC) lower = 0xBE;                   // Ľ
        if (lower >= 'a' && lower <= 'z')
            w[b] = static_cast<uint16_t>(0x100 + (lower - 'a') * 4);
        else if (lower < 0x80)
            w[b] = static_cast<uint16_t>(lower);
        else
            w[b] = static_cast<uint16_t>(0x200 + lower);
    }
    auto after = [&w](int letter, int polish, int step) {
        for (int b = 0; b < 256; ++b)
            if (w[b] == 0x200 + polish) w[b] = static_cast<uint16_t>(w[letter] + step);
    };
    after('a', 0xB9, 1);  // ą
    after('c', 0xE6, 1);  // ć
    after('e', 0xEA, 1);  // ę
    after('l', 0xB3, 1);  // ł
    after('n', 0xF1, 1);  // ń
    after('o', 0xF3, 1);  // ó
    after('s', 0x9C, 1);  // ś
    after('z', 0x9F, 1);  // ź
    after('z', 0xBF, 2);  // ż
    return w;
}

constexpr std::array<uint16_t, 256> kWeights = make_weights();

}  // namespace

std::string root_of(std::string_view path) {
    return split(path).root;
}

std::string normal_folder(std::string_view path) {
    SplitPath p = split(path);
    return joined(p, p.names.size());
}

std::string join_folder(std::string_view folder, std::string_view name) {
    while (!folder.empty() && is_separator(folder.back())) folder.remove_suffix(1);
    while (!name.empty() && is_separator(name.front())) name.remove_prefix(1);
    std::string out(folder);
    out += '\\';
    out += name;
    return out;
}

std::string parent_folder(std::string_view path) {
    SplitPath p = split(path);
    if (p.names.empty() || (p.root.empty() && p.names.size() == 1)) return "";
    return joined(p, p.names.size() - 1);
}

bool folder_name_less(std::string_view a, std::string_view b) {
    auto weight = [](char c) { return kWeights[static_cast<unsigned char>(c)]; };
    auto by_weight = [&](char x, char y) { return weight(x) < weight(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), by_weight))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), by_weight))
        return false;
    // Same name but for case: any fixed order keeps the sort deterministic.
    return a < b;
}

std::vector<FolderRow> folder_rows(std::string_view current, std::vector<std::string> subfolders) {
    SplitPath p = split(current);
    std::vector<FolderRow> rows;
    int depth = 0;
    if (!p.root.empty()) rows.push_back({p.root, depth++, p.root, true});
    for (size_t i = 0; i < p.names.size(); ++i)
        rows.push_back({std::string(p.names[i]), depth++, joined(p, i + 1), true});

    const std::string folder = joined(p, p.names.size());
    std::erase_if(subfolders,
                  [](const std::string& n) { return n.empty() || n == "." || n == ".."; });
    std::sort(subfolders.begin(), subfolders.end(), folder_name_less);
    for (std::string& name : subfolders) {
        std::string path = folder.empty() ? name : join_folder(folder, name);
        rows.push_back({std::move(name), depth, std::move(path), false});
    }
    return rows;
}

}  // namespace setup

#include "install/shortcut_rules.h"

namespace setup {

std::vector<std::string> folder_levels(std::string_view folder) {
    // Nothing before a leading backslash, and no "\\server" or "\\server\share" of a network
    // path, can be made: the walk starts after them.
    size_t first = 1;
    if (folder.starts_with("\\\\")) {
        const size_t server_end = folder.find('\\', 2);
        const size_t share_end =
            server_end == std::string_view::npos ? server_end : folder.find('\\', server_end + 1);
        first = share_end == std::string_view::npos ? folder.size() : share_end + 1;
    }
    std::vector<std::string> levels;
    for (size_t i = first; i < folder.size(); ++i) {
        if (folder[i] == '\\') levels.emplace_back(folder.substr(0, i));
    }
    levels.emplace_back(folder);
    return levels;
}

std::string working_folder_of(std::string_view target) {
    const size_t at = target.find_last_of("\\:");
    return at == std::string_view::npos ? std::string() : std::string(target.substr(0, at + 1));
}

std::string shortcut_link_path(std::string_view folder, std::string_view caption) {
    std::string path(folder);
    if (path.empty() || path.back() != '\\') path += '\\';
    path += caption;
    path += ".lnk";
    return path;
}

}  // namespace setup

#include "install/shortcut_rules.h"

#include "paths/paths.h"

namespace setup {

std::string working_folder_of(std::string_view target) {
    const size_t at = target.find_last_of("\\:");
    return at == std::string_view::npos ? std::string() : std::string(target.substr(0, at + 1));
}

std::string shortcut_link_path(std::string_view folder, std::string_view caption) {
    return paths::join(folder, caption) + ".lnk";
}

}  // namespace setup

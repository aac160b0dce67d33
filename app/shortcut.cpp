#include "app/shortcut.h"

#include "install/shortcut_rules.h"
#include "paths/paths.h"
#include "platform/files.h"
#include "platform/shell_link.h"

namespace setup {

std::string CreateShortcut(const std::string& target, const std::string& folder,
                           const std::string& caption) {
    if (!platform::folder_exists(folder)) {
        for (const std::string& level : paths::folder_levels(folder))
            if (!platform::folder_exists(level)) platform::create_folder(level);
    }
    platform::ShellLink link;
    link.set_arguments("");
    link.set_path(target);
    link.set_working_directory(working_folder_of(target));
    const std::string path = shortcut_link_path(folder, caption);
    link.save(path);
    return path;
}

}  // namespace setup

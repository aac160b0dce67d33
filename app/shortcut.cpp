#include "app/shortcut.h"

#include "install/shortcut_rules.h"
#include "paths/paths.h"
#include "platform/files.h"
#include "platform/shell_link.h"

namespace setup {

std::string CreateShortcut(const std::string& target, const std::string& folder,
                           const std::string& caption, InstallationLog& log) {
    if (!platform::folder_exists(folder)) {
        for (const std::string& level : paths::folder_levels(folder))
            if (!platform::folder_exists(level)) platform::create_folder(level);
    }
    platform::ShellLink link;
    const std::string path = shortcut_link_path(folder, caption);
    // Silent by design, as it always was: a link that does not take a value, or cannot be
    // saved, leaves the installation going on; only the log says why.
    const auto logged = [&](const auto& step) {
        try {
            step();
        } catch (const std::exception& e) {
            log.line(std::string("skrót niepełny: ") + e.what());
        }
    };
    logged([&] { link.set_arguments(""); });
    logged([&] { link.set_path(target); });
    logged([&] { link.set_working_directory(working_folder_of(target)); });
    logged([&] { link.save(path); });
    return path;
}

}  // namespace setup

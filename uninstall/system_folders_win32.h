#pragma once
// Where the installer's shortcuts lie (the protected folders are platform::protected_folders).
#include <string>
#include <vector>

namespace setup::uninstall {

// Where the installer puts its shortcuts, for all users and for the user: read as the
// installer reads them (the shell's folder values in the registry) and as the shell gives them.
struct ShortcutFolders {
    std::vector<std::string> programs;  // the Start-menu Programs folders (the group's parent)
    std::vector<std::string> all;       // those, the Startup folders and the desktops
};
ShortcutFolders shortcut_folders();

}  // namespace setup::uninstall

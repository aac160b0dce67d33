#pragma once
// The folders of the system and of its users that no uninstall record may take as its target.
#include <string>
#include <vector>

namespace setup::uninstall {

// The Windows and system folders, Program Files and its common files, the temporary folder,
// and the user's and all users' profile, desktop, documents, Start menu and the like, as far
// as this system knows them.
std::vector<std::string> protected_folders();

// Where the installer puts its shortcuts, for all users and for the user: read as the
// installer reads them (the shell's folder values in the registry) and as the shell gives them.
struct ShortcutFolders {
    std::vector<std::string> programs;  // the Start-menu Programs folders (the group's parent)
    std::vector<std::string> all;       // those, the Startup folders and the desktops
};
ShortcutFolders shortcut_folders();

}  // namespace setup::uninstall

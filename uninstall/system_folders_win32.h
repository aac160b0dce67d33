#pragma once
// The folders of the system and of its users that no uninstall record may take as its target.
#include <string>
#include <vector>

namespace setup::uninstall {

// The Windows and system folders, Program Files and its common files, the temporary folder,
// and the user's and all users' profile, desktop, documents, Start menu and the like, as far
// as this system knows them.
std::vector<std::string> protected_folders();

}  // namespace setup::uninstall

#pragma once
// Folder discovery's questions answered by the registry, the shell and the file system.
#include <windows.h>

#include <string>
#include <vector>

#include "install/startup_rules.h"

namespace setup::platform {

class WindowsSystemQueries : public SystemQueries {
  public:
    std::string registry_text(Root root, const std::string& key, const std::string& value,
                              RegistryView view) override;
    std::string special_folder(int csidl) override;
    bool folder_exists(const std::string& path) override;
};

// The shell's path for a special-folder number, not created when missing; "" on failure.
std::string GetSpecialFolder(int csidl);

// Reads a text value (REG_SZ, or REG_EXPAND_SZ taken unexpanded) of a key opened for full
// access; "" when the key cannot be opened so or the value is missing. Another type throws
// RuntimeError.
// `view` may add KEY_WOW64_64KEY or KEY_WOW64_32KEY.
std::string read_registry_text(HKEY root, const std::string& key, const std::string& value,
                               REGSAM view = 0);

// The Windows folder (GetWindowsDirectory); "" when the system does not tell it.
std::string windows_folder();

// Today's date on this machine's clock, "yyyymmdd".
std::string local_date_text();

// The folders of the system and of its users that no installation may take as its target nor
// an uninstall record name as one: the Windows and system folders, Program Files and its
// common files in both views of a 64-bit system, the temporary folder, and the user's and all
// users' profile, desktop, documents, Start menu and the like, as far as this system knows
// them.
std::vector<std::string> protected_folders();

}  // namespace setup::platform

#pragma once
// Folder discovery's questions answered by the registry, the shell and the file system.
#include <windows.h>

#include "install/startup_rules.h"

namespace setup::platform {

class WindowsSystemQueries : public SystemQueries {
  public:
    std::string registry_text(Root root, const std::string& key, const std::string& value) override;
    std::string special_folder(int csidl) override;
    bool folder_exists(const std::string& path) override;
};

// The shell's path for a special-folder number, not created when missing; "" on failure.
std::string GetSpecialFolder(int csidl);

// Reads a text value (REG_SZ, or REG_EXPAND_SZ taken unexpanded) of a key opened for full
// access; "" when the key cannot be opened so or the value is missing. Another type throws
// RuntimeError.
std::string read_registry_text(HKEY root, const std::string& key, const std::string& value);

}  // namespace setup::platform

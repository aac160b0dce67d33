#pragma once
// A shell link (".lnk") being composed through the ANSI interface.
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "platform/win_handle.h"

namespace setup::platform {

class ShellLink {
  public:
    // Creates the shell link object with its IShellLinkA and IPersistFile; throws
    // RuntimeError when the object or either interface is missing.
    ShellLink();

    // Each throws RuntimeError naming what it set and the system's reason when the link does
    // not take the value.
    void set_arguments(const std::string& arguments);
    void set_path(const std::string& path);
    void set_working_directory(const std::string& folder);
    // Saves to `link_path` (ANSI, converted to UTF-16); throws RuntimeError "Nie można zapisać
    // skrótu <path>: <the system's reason>" when the save fails.
    void save(const std::string& link_path);

  private:
    UniqueCom<IShellLinkA> link_;
    UniqueCom<IPersistFile> file_;
};

}  // namespace setup::platform

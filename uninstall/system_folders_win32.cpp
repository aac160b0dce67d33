#include "uninstall/system_folders_win32.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/files.h"
#include "platform/system_queries.h"

namespace setup::uninstall {

ShortcutFolders shortcut_folders() {
    ShortcutFolders out;
    auto add = [](std::vector<std::string>& to, const std::string& folder) {
        if (!folder.empty()) to.push_back(folder);
    };
    const char* const shell_folders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    struct Source {
        HKEY root;
        const char* value;
        int csidl;
        bool programs;
    };
    const Source sources[] = {
        {HKEY_LOCAL_MACHINE, "Common Programs", CSIDL_COMMON_PROGRAMS, true},
        {HKEY_CURRENT_USER, "Programs", CSIDL_PROGRAMS, true},
        {HKEY_LOCAL_MACHINE, "Common Startup", CSIDL_COMMON_STARTUP, false},
        {HKEY_CURRENT_USER, "Startup", CSIDL_STARTUP, false},
        {HKEY_LOCAL_MACHINE, "Common Desktop", CSIDL_COMMON_DESKTOPDIRECTORY, false},
        {HKEY_CURRENT_USER, "Desktop", CSIDL_DESKTOPDIRECTORY, false},
    };
    for (const Source& source : sources) {
        std::string from_registry;
        try {
            from_registry = platform::read_registry_text(source.root, shell_folders, source.value);
        } catch (const std::exception&) {
            // A value of another type names no folder the installer could have used.
        }
        for (const std::string& folder :
             {from_registry, platform::GetSpecialFolder(source.csidl)}) {
            if (source.programs) add(out.programs, folder);
            add(out.all, folder);
        }
    }
    return out;
}

}  // namespace setup::uninstall

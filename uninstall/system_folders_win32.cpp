#include "uninstall/system_folders_win32.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/files.h"
#include "platform/system_queries.h"

namespace setup::uninstall {

std::vector<std::string> protected_folders() {
    std::vector<std::string> out;
    auto add = [&out](const std::string& folder) {
        if (!folder.empty()) out.push_back(folder);
    };
    char buffer[MAX_PATH + 1] = {};
    if (GetWindowsDirectoryA(buffer, MAX_PATH)) add(buffer);
    if (GetSystemDirectoryA(buffer, MAX_PATH)) add(buffer);
    add(platform::GetTempDirectory());
    const char* const version_key = "Software\\Microsoft\\Windows\\CurrentVersion";
    add(platform::read_registry_text(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir"));
    add(platform::read_registry_text(HKEY_LOCAL_MACHINE, version_key, "CommonFilesDir"));
    for (int csidl : {CSIDL_DESKTOPDIRECTORY,
                      CSIDL_COMMON_DESKTOPDIRECTORY,
                      CSIDL_PERSONAL,
                      CSIDL_COMMON_DOCUMENTS,
                      CSIDL_PROGRAMS,
                      CSIDL_COMMON_PROGRAMS,
                      CSIDL_STARTMENU,
                      CSIDL_COMMON_STARTMENU,
                      CSIDL_STARTUP,
                      CSIDL_COMMON_STARTUP,
                      CSIDL_APPDATA,
                      CSIDL_LOCAL_APPDATA,
                      CSIDL_COMMON_APPDATA,
                      CSIDL_PROFILE,
                      CSIDL_FAVORITES,
                      CSIDL_COMMON_FAVORITES,
                      CSIDL_MYMUSIC,
                      CSIDL_MYPICTURES,
                      CSIDL_MYVIDEO,
                      CSIDL_COMMON_MUSIC,
                      CSIDL_COMMON_PICTURES,
                      CSIDL_COMMON_VIDEO,
                      CSIDL_TEMPLATES,
                      CSIDL_COMMON_TEMPLATES,
                      CSIDL_SENDTO,
                      CSIDL_RECENT,
                      CSIDL_FONTS,
                      CSIDL_INTERNET_CACHE,
                      CSIDL_COOKIES,
                      CSIDL_HISTORY,
                      CSIDL_ADMINTOOLS,
                      CSIDL_COMMON_ADMINTOOLS,
                      CSIDL_WINDOWS,
                      CSIDL_SYSTEM,
                      CSIDL_PROGRAM_FILES,
                      CSIDL_PROGRAM_FILES_COMMON})
        add(platform::GetSpecialFolder(csidl));
    return out;
}

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

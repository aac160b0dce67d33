#include "system_folders_win32.h"

#include <windows.h>

#include <shlobj.h>

#include "files.h"
#include "system_queries.h"

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

}  // namespace setup::uninstall

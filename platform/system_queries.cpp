#include "platform/system_queries.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "install/uninstall_entry.h"
#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/registry_writer.h"
#include "platform/win_handle.h"

namespace setup::platform {

std::string read_registry_text(HKEY root, const std::string& key, const std::string& value,
                               REGSAM view) {
    HKEY opened = nullptr;
    // Full access, as the installer asks everywhere: a user without rights to the key reads
    // it as missing and gets the fallbacks.
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | view, &opened) != ERROR_SUCCESS)
        return "";
    UniqueKey k(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(k.get(), value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return "";
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw RuntimeError("Nieprawidłowy typ danych dla '" + value + "'");
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(k.get(), value.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return "";
    return std::string(data.data());  // up to the first NUL
}

std::string GetSpecialFolder(int csidl) {
    char buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return "";
    return buffer;
}

std::string WindowsSystemQueries::registry_text(Root root, const std::string& key,
                                                const std::string& value, RegistryView view) {
    return read_registry_text(root == Root::local_machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                              key, value, view_access(view));
}

std::string WindowsSystemQueries::special_folder(int csidl) {
    return GetSpecialFolder(csidl);
}

bool WindowsSystemQueries::folder_exists(const std::string& path) {
    return platform::folder_exists(path);
}

std::string windows_folder() {
    char buffer[MAX_PATH + 1] = {};
    return GetWindowsDirectoryA(buffer, MAX_PATH) ? buffer : "";
}

std::string local_date_text() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return install_date_text(now.wYear, now.wMonth, now.wDay);
}

std::vector<std::string> protected_folders() {
    std::vector<std::string> out;
    auto add = [&out](const std::string& folder) {
        if (!folder.empty()) out.push_back(folder);
    };
    char buffer[MAX_PATH + 1] = {};
    if (GetWindowsDirectoryA(buffer, MAX_PATH)) add(buffer);
    if (GetSystemDirectoryA(buffer, MAX_PATH)) add(buffer);
    add(GetTempDirectory());
    const char* const version_key = "Software\\Microsoft\\Windows\\CurrentVersion";
    // A 32-bit program sees the 32-bit view's folders; both views are the system's.
    for (REGSAM view : {REGSAM{0}, REGSAM{KEY_WOW64_64KEY}}) {
        for (const char* name : {"ProgramFilesDir", "CommonFilesDir", "ProgramFilesDir (x86)",
                                 "CommonFilesDir (x86)", "ProgramW6432Dir", "CommonW6432Dir"})
            add(read_registry_text(HKEY_LOCAL_MACHINE, version_key, name, view));
    }
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
        add(GetSpecialFolder(csidl));
    return out;
}

}  // namespace setup::platform

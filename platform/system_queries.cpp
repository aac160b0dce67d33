#include "platform/system_queries.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/win_handle.h"

namespace setup::platform {

std::string read_registry_text(HKEY root, const std::string& key, const std::string& value) {
    HKEY opened = nullptr;
    // Full access, as the installer asks everywhere: a user without rights to the key reads
    // it as missing and gets the fallbacks.
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return "";
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
                                                const std::string& value) {
    return read_registry_text(root == Root::local_machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                              key, value);
}

std::string WindowsSystemQueries::special_folder(int csidl) {
    return GetSpecialFolder(csidl);
}

bool WindowsSystemQueries::folder_exists(const std::string& path) {
    return platform::folder_exists(path);
}

}  // namespace setup::platform

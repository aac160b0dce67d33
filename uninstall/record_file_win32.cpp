#include "uninstall/record_file_win32.h"

#include <windows.h>

#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/registry_writer.h"
#include "platform/win_handle.h"

namespace setup::uninstall {

RecordFile read_record_file(const std::string& path) {
    platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    auto fail = [&path](const std::string& why) {
        return RuntimeError("Nie można odczytać pliku " + path + ": " + why);
    };
    if (!file) throw fail(platform::system_message(GetLastError()));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info))
        throw fail(platform::system_message(GetLastError()));
    constexpr DWORD kLargest = 16 * 1024 * 1024;
    if (info.nFileSizeHigh != 0 || info.nFileSizeLow > kLargest) throw fail("plik jest za duży");
    RecordFile record;
    record.write_time = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                        info.ftLastWriteTime.dwLowDateTime;
    record.bytes = platform::read_open_file(file.get(), info.nFileSizeLow, path);
    return record;
}

std::string read_machine_text(const std::string& key, const std::string& name, RegistryView view) {
    HKEY opened = nullptr;
    // Reading is all this needs: the value must be readable by whoever may uninstall.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0,
                      KEY_QUERY_VALUE | platform::view_access(view), &opened) != ERROR_SUCCESS)
        return "";
    platform::UniqueKey owned(opened);
    char data[256] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (RegQueryValueExA(owned.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return "";
    std::string text(data, size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

}  // namespace setup::uninstall

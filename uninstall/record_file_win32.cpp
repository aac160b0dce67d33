#include "record_file_win32.h"

#include <windows.h>

#include "files.h"
#include "runtime_error.h"
#include "win_handle.h"

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
    record.bytes.resize(info.nFileSizeLow);
    DWORD read = 0;
    if (!record.bytes.empty() &&
        !ReadFile(file.get(), record.bytes.data(), info.nFileSizeLow, &read, nullptr))
        throw fail(platform::system_message(GetLastError()));
    record.bytes.resize(read);
    return record;
}

}  // namespace setup::uninstall

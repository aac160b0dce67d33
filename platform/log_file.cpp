#include "platform/log_file.h"

#include <windows.h>

#include "platform/error/runtime_error.h"
#include "platform/files.h"

namespace setup::platform {

std::string local_time_text() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    auto two = [](int n) {
        return std::string(1, static_cast<char>('0' + n / 10 % 10)) +
               static_cast<char>('0' + n % 10);
    };
    return std::to_string(t.wYear) + "-" + two(t.wMonth) + "-" + two(t.wDay) + " " + two(t.wHour) +
           ":" + two(t.wMinute) + ":" + two(t.wSecond);
}

LogFile::LogFile(const std::string& path, Opening opening)
    : path_(path),
      file_(opening == Opening::replace
                ? CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)
                // Appending data only: each write lands at the end, whoever wrote last.
                : CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file_)
        throw RuntimeError("Nie można utworzyć pliku dziennika " + path + ": " +
                           system_message(GetLastError()));
}

void LogFile::write(std::string_view bytes) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
        written != bytes.size())
        throw RuntimeError("Nie można pisać do pliku dziennika " + path_ + ": " +
                           system_message(GetLastError()));
}

}  // namespace setup::platform

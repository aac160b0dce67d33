#pragma once
// The system's text for an error code. Header-only, so that programs that do not link the rest
// of platform/ (the archiver) say the system's errors the same way.
#include <windows.h>

#include <string>

namespace setup::platform {

// The system's text for `code` in the ANSI code page, without the line end and spaces
// FormatMessage puts after it; `unknown` followed by the code's number when the system has no
// text for it.
inline std::string system_message(DWORD code, const std::string& unknown) {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n ? std::string(buffer, n) : unknown + std::to_string(code);
    if (buffer) LocalFree(buffer);  // FormatMessage's own allocation
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace setup::platform

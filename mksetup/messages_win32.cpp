#include <io.h>
#include <windows.h>

#include "mksetup/messages.h"
#include "uha/src/text_win32.h"

namespace mksetup {

void print_line(std::FILE* out, const std::string& text) {
    // A console gets its code page; a file or pipe gets the UTF-8 as it is.
    DWORD mode = 0;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
    const std::string shown =
        GetConsoleMode(handle, &mode)
            ? uha::win32::narrow(uha::win32::widen(text, CP_UTF8), GetConsoleOutputCP())
            : text;
    std::fputs(shown.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

}  // namespace mksetup

#include "ui/foreground_win32.h"

namespace setup {

namespace {

// Windows 2000 and later, and Windows 98 and ME, lock the foreground against programs that
// take it: attaching to the foreground thread's input, or lifting the lock, gets past it.
bool has_foreground_lock() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&v);
#pragma GCC diagnostic pop
    if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) return v.dwMajorVersion > 4;
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return v.dwMajorVersion > 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion > 0);
    return false;
}

}  // namespace

bool BringToForeground(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (GetForegroundWindow() == window) return true;
    if (has_foreground_lock()) {
        DWORD foreground_thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        DWORD own_thread = GetWindowThreadProcessId(window, nullptr);
        bool success = false;
        if (AttachThreadInput(own_thread, foreground_thread, TRUE)) {
            BringWindowToTop(window);
            SetForegroundWindow(window);
            AttachThreadInput(own_thread, foreground_thread, FALSE);
            success = GetForegroundWindow() == window;
        }
        if (!success) {
            DWORD saved = 0;
            SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &saved, 0);
            SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
            BringWindowToTop(window);
            SetForegroundWindow(window);
            SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                                  reinterpret_cast<void*>(static_cast<uintptr_t>(saved)),
                                  SPIF_SENDCHANGE);
        }
    } else {
        BringWindowToTop(window);
        SetForegroundWindow(window);
    }
    return GetForegroundWindow() == window;
}

}  // namespace setup

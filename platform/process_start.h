#pragma once
// Starting a program, with the one retry every start of ours needs. Header-only, so that the
// test programs use the same rule without linking the platform library.
#include <windows.h>

namespace setup::platform {

// How often a start is tried, and the pause between tries.
inline constexpr int kStartAttempts = 5;
inline constexpr DWORD kStartRetryMs = 50;

// Calls `start` (a CreateProcess call that makes its own copy of the command line, which
// CreateProcess may write into) until it succeeds or fails for a reason of its own. Wine, on a
// busy machine, now and then fails to start a program file written just before with
// ERROR_INTERNAL_ERROR (1 start in 1,500 beside a build), and the same start a moment later
// succeeds; only that error is tried again. On failure GetLastError() is the last try's.
template <typename Start>
BOOL start_process(Start&& start) {
    for (int attempt = 1;; ++attempt) {
        if (start()) return TRUE;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == kStartAttempts) return FALSE;
        Sleep(kStartRetryMs);
        SetLastError(ERROR_INTERNAL_ERROR);
    }
}

}  // namespace setup::platform

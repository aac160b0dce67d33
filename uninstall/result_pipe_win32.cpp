#include "uninstall/result_pipe_win32.h"

#include <windows.h>

#include <cstdint>

#include "common/command_line.h"
#include "platform/error/runtime_error.h"
#include "platform/files.h"

namespace setup::uninstall {

using platform::UniqueHandle;

ResultPipe make_result_pipe() {
    // Only the write end is inheritable: the copy must not hold the read end, or the pipe
    // would never break should it die.
    SECURITY_ATTRIBUTES plain{sizeof plain, nullptr, FALSE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &plain, 0))
        throw RuntimeError("Nie można utworzyć potoku wyniku: " +
                           platform::system_message(GetLastError()));
    ResultPipe pipe{UniqueHandle(read), UniqueHandle(write)};
    if (!SetHandleInformation(pipe.write.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        throw RuntimeError("Nie można przekazać potoku wyniku: " +
                           platform::system_message(GetLastError()));
    return pipe;
}

int wait_for_result(const UniqueHandle& read, const UniqueHandle& copy, bool& sent) {
    std::int32_t code = 0;
    DWORD got = 0;
    sent = ReadFile(read.get(), &code, sizeof code, &got, nullptr) && got == sizeof code;
    if (sent) return code;
    DWORD exit = STILL_ACTIVE;
    // The pipe broke, so the copy is ending; it is given a moment to be gone.
    if (WaitForSingleObject(copy.get(), 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(copy.get(), &exit) || exit == 0 || exit == STILL_ACTIVE)
        return static_cast<int>(ExitCode::later_step_failed);
    return static_cast<int>(exit);
}

void send_result(UniqueHandle& write, int code) {
    if (!write) return;
    const std::int32_t value = code;
    DWORD written = 0;
    WriteFile(write.get(), &value, sizeof value, &written, nullptr);
    write.reset();
}

}  // namespace setup::uninstall

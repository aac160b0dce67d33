#pragma once
// How the uninstaller started with /S learns its working copy's result: it makes an anonymous
// pipe, hands the copy the write end (inherited), closes its own and reads. The copy writes
// its exit code as soon as everything but the original's file and the folders holding it is
// done, and closes the pipe; a pipe that breaks without a code means the copy died.
#include "platform/win_handle.h"

namespace setup::uninstall {

struct ResultPipe {
    platform::UniqueHandle read;   // the original's
    platform::UniqueHandle write;  // inheritable, for the copy
};

// Throws RuntimeError with the system's message when no pipe can be made.
ResultPipe make_result_pipe();

// In the original, once the copy has started and its own write end is closed: the code the
// copy wrote. When the pipe broke without one, `sent` turns false and the result is the copy's
// own exit code once it has ended, or 1627 (a failure) when it gives none.
int wait_for_result(const platform::UniqueHandle& read, const platform::UniqueHandle& copy,
                    bool& sent);

// In the copy: writes `code` and closes the pipe; nothing when there is none. The original
// may have died meanwhile: the code then has no reader, which changes nothing here.
void send_result(platform::UniqueHandle& write, int code);

}  // namespace setup::uninstall

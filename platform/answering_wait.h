#pragma once
// Waiting without freezing the window: the wait wakes for the window's messages and has them
// answered, so that it repaints and takes a click on "Anuluj" meanwhile.
#include <windows.h>

#include <functional>

namespace setup::platform {

// Waits up to `ms` (INFINITE: without end) for `handle`, `pump` answering the window's
// messages as they come; without a pump, a plain wait.
void wait_answering(HANDLE handle, DWORD ms, const std::function<void()>& pump);

// Runs `work` on a thread of its own and waits for it to end as wait_answering waits, so that
// long work of no window's keeps the window answering. `work` must not touch the window. What
// it throws is thrown here; a thread that cannot be made runs `work` here instead.
void run_answering(const std::function<void()>& work, const std::function<void()>& pump);

}  // namespace setup::platform

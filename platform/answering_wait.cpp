#include "platform/answering_wait.h"

#include <exception>

#include "platform/win_handle.h"

namespace setup::platform {

namespace {

struct Work {
    const std::function<void()>* work;
    std::exception_ptr failure;
};

DWORD WINAPI run_work(LPVOID parameter) {
    auto* work = static_cast<Work*>(parameter);
    try {
        (*work->work)();
    } catch (...) {
        work->failure = std::current_exception();
    }
    return 0;
}

}  // namespace

void wait_answering(HANDLE handle, DWORD ms, const std::function<void()>& pump) {
    if (!pump) {
        WaitForSingleObject(handle, ms);
        return;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (ms != INFINITE) {
            const DWORD passed = GetTickCount() - start;
            if (passed >= ms) return;
            left = ms - passed;
        }
        const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) return;  // ended, timed out or failed
        pump();
    }
}

void run_answering(const std::function<void()>& work, const std::function<void()>& pump) {
    Work running{&work, nullptr};
    const UniqueHandle thread(CreateThread(nullptr, 0, run_work, &running, 0, nullptr));
    if (!thread) {
        work();
        return;
    }
    wait_answering(thread.get(), INFINITE, pump);
    // The thread uses `running` to its end: whatever stopped the wait, this one waits for it.
    WaitForSingleObject(thread.get(), INFINITE);
    if (running.failure) std::rethrow_exception(running.failure);
}

}  // namespace setup::platform

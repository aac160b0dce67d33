#pragma once
// Worker threads for the archiver's parallel steps.
#include <cstddef>
#include <functional>

namespace uha {

// Runs work(0) ... work(count - 1) at once: work(0) on the calling thread, each other on a
// thread of its own, and returns only when every one has ended. Then, if any threw, re-throws
// the exception thrown first, once (later ones are dropped: they may only follow from it).
// on_failure, when given, runs on a failing worker's thread as soon as its work has thrown, so
// that the others can be told to stop; it must not throw. A thread that cannot be started
// counts as a failure: the works not started by then do not run.
void run_workers(size_t count, const std::function<void(size_t)>& work,
                 const std::function<void()>& on_failure = {});

}  // namespace uha

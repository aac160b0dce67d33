#include "uha/src/workers.h"

#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace uha {

void run_workers(size_t count, const std::function<void(size_t)>& work,
                 const std::function<void()>& on_failure) {
    if (count == 0) return;
    std::exception_ptr first_error;
    std::mutex error_mutex;
    auto failed = [&] {
        {
            std::lock_guard lock(error_mutex);
            if (!first_error) first_error = std::current_exception();
        }
        if (on_failure) on_failure();
    };
    auto run = [&](size_t i) {
        try {
            work(i);
        } catch (...) {
            failed();
        }
    };
    std::vector<std::thread> others;
    others.reserve(count - 1);
    bool all_started = true;
    for (size_t i = 1; i < count && all_started; ++i) {
        try {
            others.emplace_back(run, i);
        } catch (...) {
            failed();
            all_started = false;
        }
    }
    if (all_started) run(0);
    for (std::thread& t : others) t.join();
    if (first_error) std::rethrow_exception(first_error);
}

}  // namespace uha

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "uha/src/workers.h"

namespace {

struct WorkersCase {
    const char* name;
    size_t count;
    std::set<size_t> throwing;  // each throws std::runtime_error(its index)
    const char* rethrown;       // nullptr: none
};

// Every work runs once, the slowest has ended before anything is re-thrown, a failure is
// re-thrown exactly once and on_failure hears of each failure.
TEST(Workers, RunEveryWorkJoinAllThenRethrowOnce) {
    const WorkersCase cases[] = {
        {"none", 0, {}, nullptr},        {"one, fine", 1, {}, nullptr},
        {"four, fine", 4, {}, nullptr},  {"the caller's own fails", 3, {0}, "0"},
        {"a thread fails", 4, {3}, "3"},
    };
    for (const WorkersCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::atomic<int>> runs(c.count);
        std::atomic<bool> slow_ended{false};
        std::atomic<int> failures{0};
        int caught = 0;
        std::string message;
        try {
            uha::run_workers(
                c.count,
                [&](size_t i) {
                    ++runs[i];
                    if (i == 1) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                        slow_ended = true;
                    }
                    if (c.throwing.count(i)) throw std::runtime_error(std::to_string(i));
                },
                [&] { ++failures; });
        } catch (const std::runtime_error& e) {
            ++caught;
            message = e.what();
            EXPECT_TRUE(c.count < 2 || slow_ended) << "re-thrown before every worker ended";
        }
        for (size_t i = 0; i < c.count; ++i) EXPECT_EQ(runs[i], 1) << "work " << i;
        EXPECT_EQ(caught, c.rethrown ? 1 : 0);
        EXPECT_EQ(message, c.rethrown ? c.rethrown : "");
        EXPECT_EQ(failures, static_cast<int>(c.throwing.size()));
    }
}

// Of two failures, the one thrown first is the one re-thrown, whatever the workers' order: a
// later one may only follow from it.
TEST(Workers, TheFailureThrownFirstIsRethrown) {
    std::atomic<bool> told{false};
    try {
        uha::run_workers(
            3,
            [&](size_t i) {
                if (i == 2) throw std::runtime_error("first");
                if (i == 0) {
                    while (!told) std::this_thread::yield();
                    throw std::runtime_error("after");
                }
            },
            [&] { told = true; });
        FAIL() << "nothing re-thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "first");
    }
}

}  // namespace

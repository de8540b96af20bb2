// Waits of the tests, bounded only to turn a hang into a failure: the bound
// keeps a broken build from hanging, it never decides a result by speed.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace zavi_test {

inline constexpr auto kPatience = std::chrono::seconds(20);

template <typename Predicate>
bool Eventually(Predicate predicate)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (predicate()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return predicate();
}

// The result of a call another thread makes. A call that never returns may
// hold locks every later call needs (the fixture's release among them), so
// a wait that runs out fails the test and ends the process.
template <typename Result>
Result AwaitOrEnd(std::future<Result> &done, const std::string &what)
{
    if (done.wait_for(kPatience) != std::future_status::ready) {
        ADD_FAILURE() << what << " never returned";
        std::fflush(nullptr);
        std::_Exit(EXIT_FAILURE);
    }
    return done.get();
}

} // namespace zavi_test

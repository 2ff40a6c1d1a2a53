#pragma once

#include <functional>

namespace qz7 {

// Runs a piece of work for a thread or a callback and catches what it throws: a program that
// runs for weeks gives each thread's body to one guard instead of letting an exception it did not
// expect end it by std::terminate. Empty: the work runs unguarded.
using ThreadGuard = std::function<void(const std::function<void()>& work)>;

inline void runGuarded(const ThreadGuard& guard, const std::function<void()>& work) {
    if (guard)
        guard(work);
    else
        work();
}

}  // namespace qz7

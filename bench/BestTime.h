#pragma once

#include <algorithm>
#include <chrono>

namespace tintwright {

// The best of several runs, in milliseconds: the least disturbed by the rest of the machine.
template <typename F> double bestMs(int runs, F &&f) {
    double best = 1e100;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(
                                  std::chrono::steady_clock::now() - start)
                                  .count());
    }
    return best;
}

} // namespace tintwright

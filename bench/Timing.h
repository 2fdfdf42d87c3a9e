#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// Milliseconds each of `runs` calls of `body(run)` took, sorted.
template <typename F>
std::vector<double> timed(int runs, F&& body)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body(i);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

inline void report(const char* what, const std::vector<double>& ms)
{
    std::printf("%-34s median %7.2f ms   min %7.2f ms   max %7.2f ms\n", what, ms[ms.size() / 2], ms.front(),
                ms.back());
}

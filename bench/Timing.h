// Timing for the Windows benchmarks: a millisecond clock and the spread of repeated runs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

// Milliseconds from an arbitrary start, from the performance counter.
inline double Now() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

struct Summary {
    double median, low, high;
};

// Median, lowest and highest of at least one time.
inline Summary Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

// The median time of `runs` calls of `run`.
template <typename F> double MedianMs(int runs, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        run();
        times.push_back(Now() - start);
    }
    return Summarise(times).median;
}

} // namespace bench

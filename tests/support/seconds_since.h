// The time since a QueryPerformanceCounter reading, for the benchmarks.
#ifndef QBN_TEST_SECONDS_SINCE_H
#define QBN_TEST_SECONDS_SINCE_H

#include <windows.h>

namespace qbntest {

inline double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

} // namespace qbntest

#endif

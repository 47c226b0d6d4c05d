// Times a byte dump and its way back (getAsciiCodeString, then
// getBufferFromAsciiCodeString) on 64 KiB and on 1 MiB of string storage.
// Both directions must grow linearly: the ratio of the two times should stay
// near 16, and 1 MiB should take well under a second.

#include <windows.h>

#include <cstdio>
#include <random>

#include "qbn_wchar_string.h"

namespace {

// A string whose storage, terminator included, is exactly ulBytes long.
CQBNWCharString makeText(unsigned long ulBytes)
{
    std::mt19937 random(8104);
    std::uniform_int_distribution<unsigned int> unit(1, 0xFFFF);
    CQBNBuffer<unsigned short> units(ulBytes / 2 - 1);
    for (unsigned long ul = 0; ul < units.getNumElems(); ++ul)
        units[ul] = static_cast<unsigned short>(unit(random));
    return CQBNWCharString(units);
}

double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Seconds for one round trip; negative when the bytes did not come back.
double timeRoundTrip(const CQBNWCharString& text)
{
    LARGE_INTEGER start = {};
    QueryPerformanceCounter(&start);
    const CQBNWCharString codes = text.getAsciiCodeString();
    const CQBNBuffer<unsigned char> bytes =
        codes.getBufferFromAsciiCodeString();
    const double dSeconds = secondsSince(start);

    const unsigned long ulBytes = text.getNumElems() * 2;
    if (bytes.getNumElems() != ulBytes ||
        memcmp(bytes.getBuffer(), text.getBuffer(), ulBytes) != 0)
        return -1.0;
    return dSeconds;
}

// The best of a few runs, so one slow start does not skew the ratio.
double bestRoundTrip(unsigned long ulBytes)
{
    const CQBNWCharString text = makeText(ulBytes);
    double dBest = -1.0;
    for (int iRun = 0; iRun < 5; ++iRun) {
        const double dSeconds = timeRoundTrip(text);
        if (dSeconds < 0)
            return dSeconds;
        if (dBest < 0 || dSeconds < dBest)
            dBest = dSeconds;
    }
    return dBest;
}

} // namespace

int main()
{
    const double dSmall = bestRoundTrip(64ul * 1024);
    const double dLarge = bestRoundTrip(1024ul * 1024);
    if (dSmall < 0 || dLarge < 0) {
        std::printf("round trip lost bytes\n");
        return 1;
    }
    std::printf("64 KiB: %.4f s\n", dSmall);
    std::printf("1 MiB:  %.4f s\n", dLarge);
    std::printf("ratio:  %.1f (linear: 16)\n",
                dSmall > 0 ? dLarge / dSmall : 0.0);
    return 0;
}

// The typed buffer: zero-filled storage that is wiped before it is freed,
// the grow/shrink/append/write/read bounds, oversized requests, and the
// conversions between the byte and the wide instance.

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <new>

#include "qbn_buffer.h"

// Storage handed back to the heap is inspected on its way out: the test
// names one block, and its bytes are checked before the real release.
namespace {
const void* g_pWatched = nullptr;
std::size_t g_watchedBytes = 0;
bool g_watchedFreed = false;
bool g_watchedWasWiped = false;
} // namespace

void operator delete[](void* p) noexcept
{
    if (p != nullptr && p == g_pWatched) {
        const unsigned char* bytes = static_cast<const unsigned char*>(p);
        g_watchedWasWiped = true;
        for (std::size_t i = 0; i < g_watchedBytes; ++i)
            g_watchedWasWiped = g_watchedWasWiped && bytes[i] == 0;
        g_watchedFreed = true;
        g_pWatched = nullptr;
    }
    ::operator delete(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    operator delete[](p);
}

namespace {

typedef CQBNBuffer<unsigned short> Wide;
typedef CQBNBuffer<unsigned char> Bytes;

void Watch(const void* p, std::size_t bytes)
{
    g_pWatched = p;
    g_watchedBytes = bytes;
    g_watchedFreed = false;
    g_watchedWasWiped = false;
}

Wide WideOf(std::initializer_list<unsigned short> units)
{
    Wide b(static_cast<unsigned long>(units.size()));
    unsigned long i = 0;
    for (unsigned short u : units)
        b[i++] = u;
    return b;
}

void ExpectUnits(const Wide& b, std::initializer_list<unsigned short> units)
{
    ASSERT_EQ(units.size(), b.getNumElems());
    unsigned long i = 0;
    for (unsigned short u : units)
        EXPECT_EQ(u, b[i++]) << "element " << i - 1;
}

void ExpectEmpty(const Wide& b)
{
    EXPECT_EQ(nullptr, b.getBuffer());
    EXPECT_EQ(0u, b.getNumElems());
    EXPECT_FALSE(b.isValid());
}

// ---- storage ----

TEST(BufferStorage, EmptyBufferOwnsNothing)
{
    Wide b;
    ExpectEmpty(b);
    EXPECT_TRUE(b.allocate(0));
    ExpectEmpty(b);
    EXPECT_TRUE(b.release());
    EXPECT_TRUE(b.zero());
}

TEST(BufferStorage, AllocateZeroFillsAndResizeKeepsThePrefix)
{
    Wide b;
    ASSERT_TRUE(b.allocate(5));
    ExpectUnits(b, {0, 0, 0, 0, 0});
    for (unsigned long i = 0; i < 5; ++i)
        b[i] = static_cast<unsigned short>(i + 1);
    EXPECT_TRUE(b.resize(3));
    ExpectUnits(b, {1, 2, 3});
    EXPECT_TRUE(b.resize(6));
    ExpectUnits(b, {1, 2, 3, 0, 0, 0});
    EXPECT_TRUE(b.resize(0));
    ExpectEmpty(b);
}

TEST(BufferStorage, FreedStorageHoldsZeros)
{
    Bytes released(16);
    std::memset(released.getBuffer(), 0xA5, 16);
    Watch(released.getBuffer(), 16);
    EXPECT_TRUE(released.release());
    EXPECT_TRUE(g_watchedFreed);
    EXPECT_TRUE(g_watchedWasWiped);
    EXPECT_EQ(nullptr, released.getBuffer());
    EXPECT_EQ(0u, released.getNumElems());

    {
        Wide destroyed = WideOf({0xBEEF, 0xCAFE});
        Watch(destroyed.getBuffer(), 4);
    }
    EXPECT_TRUE(g_watchedFreed);
    EXPECT_TRUE(g_watchedWasWiped);

    Wide resized = WideOf({0xBEEF, 0xCAFE, 0xF00D});
    Watch(resized.getBuffer(), 6);
    EXPECT_TRUE(resized.resize(2));
    EXPECT_TRUE(g_watchedFreed);
    EXPECT_TRUE(g_watchedWasWiped);
    ExpectUnits(resized, {0xBEEF, 0xCAFE});
}

// Sizes whose byte count does not fit in 32 bits must fail, not wrap round
// to a small block that is then written as if it were large.
TEST(BufferStorage, OversizedRequestsFailCleanly)
{
    Wide wide = WideOf({1, 2});
    EXPECT_FALSE(wide.allocate(0x80000001UL));
    ExpectEmpty(wide);

    Wide grown = WideOf({1, 2});
    EXPECT_FALSE(grown.resize(ULONG_MAX));
    ExpectEmpty(grown);

    Bytes bytes;
    EXPECT_FALSE(bytes.allocate(ULONG_MAX));
    EXPECT_EQ(nullptr, bytes.getBuffer());
    EXPECT_EQ(0u, bytes.getNumElems());

    EXPECT_THROW(Wide(0x80000001UL), CQBNBufferInitException);
    const unsigned short data[2] = {1, 2};
    EXPECT_THROW(Wide(data, 2, ULONG_MAX - 1), CQBNBufferInitException);
}

// ---- construction ----

TEST(BufferConstruct, FromRawData)
{
    const unsigned short data[2] = {7, 8};
    ExpectUnits(Wide(data, 2, 3), {0, 0, 0, 7, 8});
    ExpectUnits(Wide(data, 2), {7, 8});
    ExpectEmpty(Wide(data, 0, 3));
    ExpectUnits(Wide(nullptr, 3), {0, 0, 0});
    ExpectEmpty(Wide(nullptr, 0));
}

TEST(BufferConstruct, CopiesAreDeep)
{
    Wide original = WideOf({1, 2, 3});
    Wide copy(original);
    EXPECT_NE(original.getBuffer(), copy.getBuffer());
    copy[0] = 9;
    ExpectUnits(original, {1, 2, 3});

    Wide assigned;
    assigned = original;
    original[1] = 0;
    ExpectUnits(assigned, {1, 2, 3});

    assigned = assigned;
    ExpectUnits(assigned, {1, 2, 3});
    assigned = Wide();
    ExpectEmpty(assigned);
}

// ---- append, appendAt, write ----

TEST(BufferAppend, AppendAndItsSelfCase)
{
    Wide b = WideOf({1, 2});
    EXPECT_TRUE(b.append(WideOf({3})));
    ExpectUnits(b, {1, 2, 3});
    EXPECT_TRUE(b.append(b));
    ExpectUnits(b, {1, 2, 3, 1, 2, 3});
    b += WideOf({4});
    EXPECT_EQ(7u, b.getNumElems());

    Wide empty;
    EXPECT_TRUE(empty.append(WideOf({5})));
    ExpectUnits(empty, {5});
}

// Nothing to append is not a failure: the buffer already holds the result.
TEST(BufferAppend, AppendingNothingSucceeds)
{
    Wide b = WideOf({1, 2});
    EXPECT_TRUE(b.append(Wide()));
    ExpectUnits(b, {1, 2});
    Wide empty;
    EXPECT_TRUE(empty.append(Wide()));
    ExpectEmpty(empty);
}

TEST(BufferAppend, AppendAtOffsets)
{
    Wide atEnd = WideOf({1, 2});
    EXPECT_TRUE(atEnd.appendAt(WideOf({3, 4}), 2));
    ExpectUnits(atEnd, {1, 2, 3, 4});

    Wide inside = WideOf({1, 2, 3, 4});
    EXPECT_TRUE(inside.appendAt(WideOf({9}), 1));
    ExpectUnits(inside, {1, 9});

    Wide past = WideOf({1, 2});
    EXPECT_FALSE(past.appendAt(WideOf({3}), 3));
    ExpectUnits(past, {1, 2});

    // The resize happens before the empty source is refused.
    Wide withEmpty = WideOf({1, 2, 3});
    EXPECT_FALSE(withEmpty.appendAt(Wide(), 1));
    ExpectUnits(withEmpty, {1});
}

TEST(BufferAppend, WriteWithAndWithoutGrowing)
{
    Wide b = WideOf({1, 2, 3});
    EXPECT_TRUE(b.write(WideOf({8, 9}), 1, false));
    ExpectUnits(b, {1, 8, 9});
    EXPECT_FALSE(b.write(WideOf({7, 7}), 2, false));
    ExpectUnits(b, {1, 8, 9});
    EXPECT_FALSE(b.write(Wide(), 0, true));
    EXPECT_TRUE(b.write(WideOf({7, 7}), 2, true));
    ExpectUnits(b, {1, 8, 7, 7});
    EXPECT_FALSE(b.write(WideOf({5}), 5, true));
    ExpectUnits(b, {1, 8, 7, 7});
    EXPECT_TRUE(b.write(b, 0, false));
    ExpectUnits(b, {1, 8, 7, 7});
}

// ---- read ----

TEST(BufferRead, InsideAndPastTheEnd)
{
    const Wide b = WideOf({1, 2, 3, 4});
    Wide out = WideOf({9});
    unsigned long count = 2;
    EXPECT_TRUE(b.read(out, 1, count));
    ExpectUnits(out, {2, 3});

    count = 3;
    EXPECT_FALSE(b.read(out, 2, count));
    EXPECT_EQ(2u, count);
    ExpectEmpty(out);

    count = 1;
    EXPECT_FALSE(b.read(out, 9, count));
    EXPECT_EQ(0u, count);

    count = 0;
    out = WideOf({9});
    EXPECT_TRUE(b.read(out, 9, count));
    ExpectEmpty(out);
}

TEST(BufferRead, IntoItselfAndIntoRawMemory)
{
    Wide b = WideOf({1, 2, 3, 4});
    unsigned long count = 2;
    EXPECT_TRUE(b.read(b, 2, count));
    ExpectUnits(b, {3, 4});

    const Bytes bytes(reinterpret_cast<const unsigned char*>("abcdef"), 6);
    unsigned char raw[4] = {0, 0, 0, 0xEE};
    count = 3;
    EXPECT_TRUE(bytes.readInto(raw, 2, count));
    EXPECT_EQ(0, std::memcmp(raw, "cde", 3));
    EXPECT_EQ(0xEE, raw[3]);
    EXPECT_FALSE(bytes.readInto(nullptr, 0, count));
}

// ---- access and conversions ----

TEST(BufferAccess, IndexAtTheCountThrows)
{
    Wide b = WideOf({1, 2});
    const Wide& constB = b;
    EXPECT_THROW(b[2], CQBNIndexOutOfBoundsException);
    EXPECT_THROW(constB[2], CQBNIndexOutOfBoundsException);
    EXPECT_THROW(Wide()[0], CQBNIndexOutOfBoundsException);
    EXPECT_EQ(2, constB[1]);
    try {
        b[5];
        FAIL() << "no exception";
    } catch (const CQBNIndexOutOfBoundsException& e) {
        EXPECT_STREQ(L"Index out of array bounds", e.getMessage());
    }
}

TEST(BufferConvert, BytesAndWideUnitsInMemoryOrder)
{
    const unsigned char three[3] = {0x41, 0x00, 0x42};
    const Wide wide = Bytes(three, 3).toWideBuffer();
    ExpectUnits(wide, {0x0041, 0x0042});

    const Bytes bytes = WideOf({0x1234, 0xABCD}).toByteBuffer();
    ASSERT_EQ(4u, bytes.getNumElems());
    EXPECT_EQ(0x34, bytes[0]);
    EXPECT_EQ(0x12, bytes[1]);
    EXPECT_EQ(0xCD, bytes[2]);
    EXPECT_EQ(0xAB, bytes[3]);

    ExpectEmpty(Bytes().toWideBuffer());
    EXPECT_EQ(0u, Wide().toByteBuffer().getNumElems());
}

} // namespace

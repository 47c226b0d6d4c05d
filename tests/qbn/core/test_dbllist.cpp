// The linked list and its three node kinds: cursor rules, ownership (no
// leaks, deep copies) and the failure paths, which are forced through a
// test-wide switch on nothrow allocation.

#include "qbn_dbllist.h"
#include "qbn_wchar_string.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <new>

namespace {

// Nothrow single-object allocations to let through before the one that
// fails; negative when none is to fail.
int g_iAllocationsBeforeFailure = -1;

} // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (g_iAllocationsBeforeFailure >= 0 && g_iAllocationsBeforeFailure-- == 0)
        return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

// Fails the one nothrow allocation that follows `iAllowed` successful ones.
class AllocationFailure {
public:
    explicit AllocationFailure(int iAllowed)
    {
        g_iAllocationsBeforeFailure = iAllowed;
    }
    ~AllocationFailure() { g_iAllocationsBeforeFailure = -1; }
};

// A value that counts its live instances and can be told to fail.
struct Tracked {
    static int s_iLive;
    static bool s_bFailAssign;
    static int s_iThrowOnDestroy;

    explicit Tracked(int iValue = 0) : m_iValue(iValue) { ++s_iLive; }
    Tracked(const Tracked& other) : m_iValue(other.m_iValue) { ++s_iLive; }
    ~Tracked() noexcept(false)
    {
        --s_iLive;
        if (m_iValue == s_iThrowOnDestroy)
            throw 1;
    }
    Tracked& operator=(const Tracked& other)
    {
        if (s_bFailAssign)
            throw 2;
        m_iValue = other.m_iValue;
        return *this;
    }
    bool operator==(const Tracked& other) const
    {
        return m_iValue == other.m_iValue;
    }
    bool operator<(const Tracked& other) const
    {
        return m_iValue < other.m_iValue;
    }
    bool operator>(const Tracked& other) const
    {
        return m_iValue > other.m_iValue;
    }

    int m_iValue;
};

int Tracked::s_iLive = 0;
bool Tracked::s_bFailAssign = false;
int Tracked::s_iThrowOnDestroy = -1;

// Equality only, like the registry value classes.
struct Unordered {
    int m_iValue;
    bool operator==(const Unordered& other) const
    {
        return m_iValue == other.m_iValue;
    }
};

enum Location : unsigned long { locFirst = 1, locSecond = 2, locThird = 4 };

typedef CQBNDblList<CQBNObjNode<Tracked>> TrackedList;
typedef CQBNDblList<CQBNPtrNode<Tracked>> TrackedPtrList;
typedef CQBNDblList<CQBNStdNode<unsigned long>> NumberList;

class DblListTest : public ::testing::Test {
protected:
    void SetUp() override { Tracked::s_iLive = 0; }
    void TearDown() override
    {
        Tracked::s_bFailAssign = false;
        Tracked::s_iThrowOnDestroy = -1;
        EXPECT_EQ(0, Tracked::s_iLive) << "a value outlived its list";
    }
};

NumberList numbers(std::initializer_list<unsigned long> values, long lKey0)
{
    NumberList list;
    for (unsigned long ulValue : values)
        EXPECT_TRUE(list.add(ulValue, lKey0++));
    return list;
}

unsigned long current(const NumberList& list)
{
    unsigned long ulValue = 0;
    EXPECT_TRUE(list.getCurrent(ulValue));
    return ulValue;
}

TrackedPtrList pointers(std::initializer_list<int> values)
{
    TrackedPtrList list;
    long lKey = 0;
    for (int iValue : values)
        EXPECT_TRUE(list.add(new Tracked(iValue), lKey++));
    return list;
}

TEST_F(DblListTest, EmptyListHasNoCurrentNode)
{
    NumberList list;
    unsigned long ulValue = 0;
    EXPECT_EQ(0u, list.getCount());
    EXPECT_FALSE(list.moveFirst());
    EXPECT_FALSE(list.moveNext());
    EXPECT_FALSE(list.getCurrent(ulValue));
    EXPECT_FALSE(list.setCurrent(5));
    EXPECT_FALSE(list.findKey(0));
    EXPECT_TRUE(list.clear());
}

TEST_F(DblListTest, CursorStaysOnFirstNodeAndStopsAtTail)
{
    NumberList list = numbers({10, 20, 30}, 1);
    EXPECT_EQ(3u, list.getCount());
    EXPECT_EQ(10u, current(list));

    ASSERT_TRUE(list.moveFirst());
    EXPECT_TRUE(list.moveNext());
    EXPECT_EQ(20u, current(list));
    EXPECT_TRUE(list.moveNext());
    EXPECT_FALSE(list.moveNext());
    EXPECT_EQ(30u, current(list));
}

TEST_F(DblListTest, FindKeyLandsOnFirstMatchOrTail)
{
    NumberList list = numbers({10, 20, 30}, 1);
    ASSERT_TRUE(list.add(40, 2));
    EXPECT_TRUE(list.findKey(2));
    EXPECT_EQ(20u, current(list));
    EXPECT_TRUE(list.setCurrent(25));
    EXPECT_TRUE(list.findKey(2));
    EXPECT_EQ(25u, current(list));

    EXPECT_FALSE(list.findKey(99));
    EXPECT_EQ(40u, current(list));
}

TEST_F(DblListTest, ClearEmptiesAndListIsReusable)
{
    TrackedList list;
    ASSERT_TRUE(list.add(Tracked(1), 1));
    ASSERT_TRUE(list.add(Tracked(2), 2));
    EXPECT_EQ(2, Tracked::s_iLive);

    EXPECT_TRUE(list.clear());
    EXPECT_EQ(0, Tracked::s_iLive);
    EXPECT_EQ(0u, list.getCount());
    EXPECT_FALSE(list.moveFirst());

    ASSERT_TRUE(list.add(Tracked(3), 3));
    Tracked out;
    EXPECT_TRUE(list.getCurrent(out));
    EXPECT_EQ(3, out.m_iValue);
}

TEST_F(DblListTest, ClearGoesOnPastANodeThatFailsToDestroy)
{
    TrackedList list;
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(list.add(Tracked(i), i));
    Tracked::s_iThrowOnDestroy = 2;
    EXPECT_TRUE(list.clear());
    EXPECT_EQ(0u, list.getCount());
    EXPECT_EQ(0, Tracked::s_iLive);
}

TEST_F(DblListTest, FailingValueOperatorsAnswerFalse)
{
    TrackedList list;
    ASSERT_TRUE(list.add(Tracked(1), 1));
    Tracked::s_bFailAssign = true;
    Tracked out(7);
    EXPECT_FALSE(list.getCurrent(out));
    EXPECT_FALSE(list.setCurrent(Tracked(9)));
    Tracked::s_bFailAssign = false;
    EXPECT_TRUE(list.getCurrent(out));
    EXPECT_EQ(1, out.m_iValue);
}

TEST_F(DblListTest, AppendNodeRefusesNullAndLinkedNodes)
{
    NumberList list;
    EXPECT_FALSE(list.appendNode(nullptr));
    CQBNStdNode<unsigned long>* pNode = new CQBNStdNode<unsigned long>(5, 1);
    ASSERT_TRUE(list.appendNode(pNode));
    EXPECT_FALSE(list.appendNode(pNode));
    ASSERT_TRUE(list.add(6, 2));
    EXPECT_FALSE(list.appendNode(pNode));
    EXPECT_EQ(2u, list.getCount());
}

TEST_F(DblListTest, EqualityNeedsSameKeysValuesAndCount)
{
    EXPECT_TRUE(numbers({1, 2}, 0) == numbers({1, 2}, 0));
    EXPECT_FALSE(numbers({1, 2}, 0) == numbers({1, 2}, 5));
    EXPECT_FALSE(numbers({1, 2}, 0) == numbers({1, 3}, 0));
    EXPECT_TRUE(numbers({1, 2}, 0) != numbers({1, 2, 3}, 0));
    EXPECT_TRUE(pointers({4, 5}) == pointers({4, 5}));
    EXPECT_FALSE(pointers({4, 5}) == pointers({4, 6}));
}

TEST_F(DblListTest, ObjectCopiesAreIndependent)
{
    TrackedList source;
    ASSERT_TRUE(source.add(Tracked(1), 1));
    ASSERT_TRUE(source.add(Tracked(2), 2));
    TrackedList copy(source);
    EXPECT_TRUE(copy == source);
    ASSERT_TRUE(source.setCurrent(Tracked(9)));
    EXPECT_FALSE(copy == source);

    copy = copy;
    EXPECT_EQ(2u, copy.getCount());
    source = copy;
    EXPECT_TRUE(source == copy);
    EXPECT_EQ(4, Tracked::s_iLive);
}

TEST_F(DblListTest, PointerCopyOutlivesItsSource)
{
    TrackedPtrList* pSource = new TrackedPtrList(pointers({1, 2}));
    TrackedPtrList copy;
    ASSERT_TRUE(copy.add(new Tracked(8), 8));
    copy = *pSource;
    Tracked* pMine = nullptr;
    Tracked* pTheirs = nullptr;
    ASSERT_TRUE(copy.getCurrent(pMine));
    ASSERT_TRUE(pSource->getCurrent(pTheirs));
    EXPECT_NE(pMine, pTheirs);
    delete pSource;

    EXPECT_EQ(2, Tracked::s_iLive);
    EXPECT_TRUE(copy == pointers({1, 2}));
    copy = copy;
    EXPECT_EQ(2, Tracked::s_iLive);
}

TEST_F(DblListTest, PointerNodesOwnWhatTheyAreGiven)
{
    TrackedPtrList list;
    EXPECT_FALSE(list.setCurrent(new Tracked(1)));
    EXPECT_EQ(0, Tracked::s_iLive);

    ASSERT_TRUE(list.add(new Tracked(2), 2));
    ASSERT_TRUE(list.add(nullptr, 3));
    ASSERT_TRUE(list.setCurrent(new Tracked(4)));
    EXPECT_EQ(1, Tracked::s_iLive);

    TrackedPtrList copy(list);
    EXPECT_TRUE(copy == list);
    EXPECT_EQ(2, Tracked::s_iLive);
}

TEST_F(DblListTest, AllocationFailureLeavesListUnchanged)
{
    TrackedPtrList list = pointers({1});
    Tracked* pGiven = new Tracked(2);
    {
        AllocationFailure failure(0);
        EXPECT_FALSE(list.add(pGiven, 2));
    }
    EXPECT_EQ(1u, list.getCount());
    EXPECT_EQ(1, Tracked::s_iLive);

    NumberList numbersList = numbers({1}, 0);
    {
        AllocationFailure failure(0);
        EXPECT_FALSE(numbersList.add(2, 2));
    }
    EXPECT_TRUE(numbersList == numbers({1}, 0));
}

TEST_F(DblListTest, CopyFailingPartWayKeepsWhatWasCopied)
{
    const TrackedPtrList source = pointers({1, 2, 3});
    TrackedPtrList copy;
    {
        AllocationFailure failure(3); // the second node, after its pointee
        copy = source;
    }
    EXPECT_EQ(1u, copy.getCount());
    EXPECT_EQ(4, Tracked::s_iLive);

    TrackedList objects;
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(objects.add(Tracked(i), i));
    {
        AllocationFailure failure(1);
        TrackedList objectCopy(objects);
        EXPECT_EQ(1u, objectCopy.getCount());
    }
    EXPECT_EQ(7, Tracked::s_iLive);
}

TEST_F(DblListTest, OrderingUsesValueOperatorsWhenPresent)
{
    CQBNObjNode<Tracked> objectNode(Tracked(5), 0);
    EXPECT_TRUE(objectNode.isLess(Tracked(6)));
    EXPECT_TRUE(objectNode.isGreater(Tracked(4)));
    EXPECT_TRUE(objectNode.isNotEqual(Tracked(4)));

    CQBNObjNode<Unordered> unordered(Unordered{5}, 0);
    EXPECT_FALSE(unordered.isLess(Unordered{6}));
    EXPECT_FALSE(unordered.isGreater(Unordered{4}));
    EXPECT_TRUE(unordered.isEqual(Unordered{5}));
    EXPECT_TRUE(unordered.isNotEqual(Unordered{4}));

    CQBNStdNode<Location> location(locSecond, 0);
    EXPECT_TRUE(location.isLess(locThird));
    EXPECT_TRUE(location.isGreater(locFirst));

    CQBNPtrNode<Location> pointerNode(new Location(locSecond), 0);
    const Location third = locThird;
    EXPECT_TRUE(pointerNode.isLess(&third));
    EXPECT_FALSE(pointerNode.isGreater(nullptr));
    EXPECT_FALSE(pointerNode.isEqual(nullptr));
    CQBNPtrNode<Location> emptyNode(nullptr, 0);
    EXPECT_TRUE(emptyNode.isEqual(nullptr));
}

TEST_F(DblListTest, StringListsCopyAndCompareTheirTexts)
{
    CQBNWCharStringList words;
    ASSERT_TRUE(words.add(CQBNWCharString(L"alpha"), 0));
    ASSERT_TRUE(words.add(CQBNWCharString(L"beta"), 1));
    CQBNWCharStringList copy;
    ASSERT_TRUE(copy.add(CQBNWCharString(L"old"), 0));
    copy = words;
    ASSERT_TRUE(words.setCurrent(CQBNWCharString(L"gamma")));

    CQBNWCharString text;
    ASSERT_TRUE(copy.findKey(1));
    ASSERT_TRUE(copy.getCurrent(text));
    EXPECT_STREQ(L"beta", text.getText());
    ASSERT_TRUE(copy.moveFirst());
    ASSERT_TRUE(copy.getCurrent(text));
    EXPECT_STREQ(L"alpha", text.getText());

    CQBNDblList<CQBNPtrNode<CQBNWCharString>> owned;
    ASSERT_TRUE(owned.add(new CQBNWCharString(L"alpha"), 5));
    CQBNDblList<CQBNPtrNode<CQBNWCharString>> ownedCopy(owned);
    ASSERT_TRUE(owned.setCurrent(new CQBNWCharString(L"other")));
    CQBNWCharString* pText = nullptr;
    ASSERT_TRUE(ownedCopy.getCurrent(pText));
    EXPECT_STREQ(L"alpha", pText->getText());
}

TEST_F(DblListTest, StringNodesUseTheStringOrdering)
{
    CQBNObjNode<CQBNWCharString> node(CQBNWCharString(L"abc"), 0);
    EXPECT_TRUE(node.isLess(CQBNWCharString(L"abd")));
    EXPECT_FALSE(node.isGreater(CQBNWCharString(L"abd")));
    EXPECT_FALSE(node.isLess(CQBNWCharString(L"abc")));
    // Texts of different lengths are not ordered, so each is "not >=".
    EXPECT_TRUE(node.isLess(CQBNWCharString(L"ab")));
    EXPECT_TRUE(node.isGreater(CQBNWCharString(L"ab")));

    const CQBNWCharString abd(L"abd");
    CQBNPtrNode<CQBNWCharString> pointerNode(new CQBNWCharString(L"abc"), 0);
    EXPECT_TRUE(pointerNode.isLess(&abd));
    EXPECT_TRUE(pointerNode.isNotEqual(&abd));
}

} // namespace

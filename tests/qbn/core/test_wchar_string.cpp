// The wide string's core: the null/empty distinction, construction and
// assignment, the ordering rule, concatenation storage, searching and the
// edits, including texts long enough to expose quadratic or unbounded work.

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "qbn_wchar_string.h"
#include "support/text_of.h"

namespace {

using qbntest::textOf;

// A string with storage but no text: not the same thing as a null string.
CQBNWCharString ValidEmpty()
{
    CQBNWCharString s;
    s.allocate(1);
    return s;
}

CQBNBuffer<unsigned short> Units(std::initializer_list<unsigned short> units)
{
    CQBNBuffer<unsigned short> b(static_cast<unsigned long>(units.size()));
    unsigned long i = 0;
    for (unsigned short u : units)
        b[i++] = u;
    return b;
}

// ---- null versus valid empty ----

TEST(WCharStringNull, EveryEmptySourceGivesANullString)
{
    const CQBNWCharString fromNothing;
    const CQBNWCharString fromEmptyText(L"");
    const CQBNWCharString fromNullPointer(static_cast<const wchar_t*>(nullptr));
    const CQBNWCharString fromEmptyBuffer{CQBNBuffer<unsigned short>()};
    const CQBNWCharString fromZeroUnit(L'\0');
    const CQBNWCharString fromLeadingZero(Units({0, L'a'}));
    for (const CQBNWCharString* s :
         {&fromNothing, &fromEmptyText, &fromNullPointer, &fromEmptyBuffer,
          &fromZeroUnit, &fromLeadingZero}) {
        EXPECT_FALSE(s->isValid());
        EXPECT_EQ(nullptr, s->getBuffer());
        EXPECT_EQ(0u, s->getLength());
        ASSERT_NE(nullptr, s->getText());
        EXPECT_EQ(L"", textOf(*s));
    }
}

TEST(WCharStringNull, NullEqualsNullButNotAValidEmptyString)
{
    const CQBNWCharString a;
    const CQBNWCharString b(L"");
    const CQBNWCharString empty = ValidEmpty();
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(empty.isValid());
    EXPECT_EQ(0u, empty.getLength());
    EXPECT_FALSE(a == empty);
    EXPECT_FALSE(empty == a);
    EXPECT_TRUE(empty == ValidEmpty());
}

TEST(WCharStringNull, MostOperationsRefuseANullString)
{
    CQBNWCharString s;
    unsigned long pos = 99;
    EXPECT_FALSE(s.fitToLength());
    EXPECT_FALSE(s.toLower());
    EXPECT_FALSE(s.reverse());
    EXPECT_FALSE(s.find(L"a", 1, pmForward, pos));
    EXPECT_EQ(99u, pos);
    EXPECT_FALSE(s.contains(L"a"));
    EXPECT_FALSE(s.beginsWith(L"a"));
    EXPECT_FALSE(s.endsWith(L"a"));
    EXPECT_FALSE(s.removeSubString(L"a", 1, ssmAll));
    EXPECT_FALSE(s.replace(L"a", L"b", 1, ssmAll));
    EXPECT_FALSE(s.insert(L"a", 1));
    EXPECT_FALSE(s.isValid());
}

// ---- construction ----

TEST(WCharStringConstruct, TextTakesLengthPlusOneElements)
{
    const CQBNWCharString s(L"Vaultrion");
    EXPECT_EQ(L"Vaultrion", textOf(s));
    EXPECT_EQ(9u, s.getLength());
    EXPECT_EQ(10u, s.getNumElems());
}

TEST(WCharStringConstruct, IntegersBecomeDecimalText)
{
    EXPECT_EQ(L"8104", textOf(CQBNWCharString(8104)));
    EXPECT_EQ(L"-5", textOf(CQBNWCharString(-5)));
    EXPECT_EQ(L"0", textOf(CQBNWCharString(0)));
    EXPECT_EQ(L"-2147483648", textOf(CQBNWCharString(INT_MIN)));
    EXPECT_EQ(L"2147483647", textOf(CQBNWCharString(INT_MAX)));
    EXPECT_EQ(L"-2147483648", textOf(CQBNWCharString(LONG_MIN)));
    EXPECT_EQ(L"100", textOf(CQBNWCharString(100L)));
    EXPECT_EQ(12u, CQBNWCharString(INT_MIN).getNumElems());
}

TEST(WCharStringConstruct, BufferTextEndsAtItsFirstZero)
{
    const CQBNWCharString unterminated(Units({L'a', L'b', L'c'}));
    EXPECT_EQ(L"abc", textOf(unterminated));
    EXPECT_EQ(4u, unterminated.getNumElems());

    const CQBNWCharString cut(Units({L'a', 0, L'b', 0}));
    EXPECT_EQ(L"a", textOf(cut));
    EXPECT_EQ(2u, cut.getNumElems());
}

TEST(WCharStringConstruct, CodeUnitAndCopy)
{
    const CQBNWCharString unit(L'\u00c4');
    EXPECT_EQ(L"\u00c4", textOf(unit));
    EXPECT_EQ(2u, unit.getNumElems());

    // A copy takes the whole storage, not only the text, and shares nothing.
    CQBNWCharString original(Units({L'a', L'b', 0, 0}));
    original.appendAt(Units({L'x', 0, 0}), 2);
    ASSERT_EQ(5u, original.getNumElems());
    CQBNWCharString copy(original);
    EXPECT_EQ(5u, copy.getNumElems());
    EXPECT_NE(original.getBuffer(), copy.getBuffer());
    copy[0] = L'z';
    EXPECT_EQ(L"abx", textOf(original));
    EXPECT_EQ(L"zbx", textOf(copy));
}

// ---- assignment ----

TEST(WCharStringAssign, EachSourceBehavesLikeItsConstructor)
{
    CQBNWCharString s(L"old");
    s = L"new text";
    EXPECT_EQ(L"new text", textOf(s));
    EXPECT_EQ(9u, s.getNumElems());
    s = Units({L'x', L'y'});
    EXPECT_EQ(L"xy", textOf(s));
    s = L'q';
    EXPECT_EQ(L"q", textOf(s));
    s = L'\0';
    EXPECT_FALSE(s.isValid());
    s = CQBNWCharString(L"back");
    s = L"";
    EXPECT_FALSE(s.isValid());
    s = CQBNWCharString(L"back");
    s = CQBNWCharString();
    EXPECT_FALSE(s.isValid());
}

TEST(WCharStringAssign, SourcesInsideTheOwnStorageSurvive)
{
    CQBNWCharString s(L"abcdef");
    s = s;
    EXPECT_EQ(L"abcdef", textOf(s));
    s = s.getText() + 2;
    EXPECT_EQ(L"cdef", textOf(s));
    EXPECT_EQ(5u, s.getNumElems());
    s = static_cast<const CQBNBuffer<unsigned short>&>(s);
    EXPECT_EQ(L"cdef", textOf(s));
}

// ---- basics ----

TEST(WCharStringBasics, LengthAndTextStayInsideUnterminatedStorage)
{
    CQBNWCharString s(L"abc");
    s[3] = L'x'; // the terminator overwritten through the buffer interface
    EXPECT_EQ(4u, s.getLength());
    EXPECT_EQ(L"", textOf(s));
    EXPECT_TRUE(s.fitToLength());
    EXPECT_EQ(L"abcx", textOf(s));
    EXPECT_EQ(5u, s.getNumElems());
}

TEST(WCharStringBasics, FitToLength)
{
    CQBNWCharString s(Units({L'a', L'b', 0, L'c', 0}));
    ASSERT_EQ(3u, s.getNumElems());
    s.appendAt(Units({0, L'z', 0}), 2);
    ASSERT_EQ(5u, s.getNumElems());
    EXPECT_TRUE(s.fitToLength());
    EXPECT_EQ(3u, s.getNumElems());
    EXPECT_EQ(L"ab", textOf(s));
    EXPECT_TRUE(s.fitToLength());
    EXPECT_EQ(3u, s.getNumElems());

    CQBNWCharString zeroFirst(L"ab");
    zeroFirst[0] = 0;
    EXPECT_TRUE(zeroFirst.fitToLength());
    EXPECT_FALSE(zeroFirst.isValid());
}

TEST(WCharStringBasics, ToLowerTouchesOnlyAsciiCapitals)
{
    CQBNWCharString s(L"\u00c4BC@[`{Z");
    EXPECT_TRUE(s.toLower());
    EXPECT_EQ(L"\u00c4bc@[`{z", textOf(s));
}

TEST(WCharStringBasics, Reverse)
{
    CQBNWCharString s(L"abc");
    EXPECT_TRUE(s.reverse());
    EXPECT_EQ(L"cba", textOf(s));
    CQBNWCharString one(L"a");
    EXPECT_TRUE(one.reverse());
    EXPECT_EQ(L"a", textOf(one));
    CQBNWCharString empty = ValidEmpty();
    EXPECT_TRUE(empty.reverse());
}

// ---- comparison ----

TEST(WCharStringCompare, LengthFirstThenCodeUnitValues)
{
    // Which of <, >, <=, >= hold. Different lengths are both less and
    // greater; equal lengths order by code unit value as numbers, not by
    // bytes; a null string is never <= or >= anything.
    const struct {
        CQBNWCharString left, right;
        const char* held;
    } cases[] = {
        {L"ab", L"abc", "1100"},
        {L"abc", L"abd", "1010"},
        {L"abc", L"abc", "0011"},
        {L"\u0100", L"\u00ff", "0101"},
        {L"B", L"a", "1010"},
        {CQBNWCharString(), CQBNWCharString(), "1100"},
        {ValidEmpty(), CQBNWCharString(), "1100"},
        {ValidEmpty(), ValidEmpty(), "0011"},
    };
    auto bit = [](bool bHolds) { return bHolds ? '1' : '0'; };
    for (const auto& c : cases)
        EXPECT_EQ(c.held,
                  std::string({bit(c.left < c.right), bit(c.left > c.right),
                               bit(c.left <= c.right), bit(c.left >= c.right)}))
            << &c - cases;
    EXPECT_TRUE(CQBNWCharString(L"ab") != CQBNWCharString(L"abc"));
}

TEST(WCharStringCompare, EqualityLooksOnlyAtTheText)
{
    CQBNWCharString padded(Units({L'a', L'b', 0, L'x'}));
    padded.appendAt(Units({0, L'y', 0}), 2);
    EXPECT_TRUE(padded == CQBNWCharString(L"ab"));
    EXPECT_FALSE(CQBNWCharString(L"ab") == CQBNWCharString(L"aB"));
}

// ---- concatenation ----

TEST(WCharStringConcat, StorageGrowsByTheOthersWholeStorage)
{
    const CQBNWCharString sum =
        CQBNWCharString(L"abc") + CQBNWCharString(L"def");
    EXPECT_EQ(L"abcdef", textOf(sum));
    EXPECT_EQ(7u, sum.getNumElems());

    CQBNWCharString padded(L"de");
    padded.resize(5);
    CQBNWCharString s(L"abc");
    s += padded;
    EXPECT_EQ(L"abcde", textOf(s));
    EXPECT_EQ(8u, s.getNumElems());
}

TEST(WCharStringConcat, NullAndEmptyOperands)
{
    const CQBNWCharString abc(L"abc");
    const CQBNWCharString withNull = abc + CQBNWCharString();
    EXPECT_EQ(L"abc", textOf(withNull));
    EXPECT_EQ(4u, withNull.getNumElems());

    CQBNWCharString s(L"abc");
    s += ValidEmpty();
    EXPECT_EQ(4u, s.getNumElems());

    CQBNWCharString fromNull;
    fromNull += abc;
    EXPECT_EQ(L"abc", textOf(fromNull));

    CQBNWCharString nullPlusEmpty;
    nullPlusEmpty += ValidEmpty();
    EXPECT_FALSE(nullPlusEmpty.isValid());
}

TEST(WCharStringConcat, SelfAppend)
{
    CQBNWCharString s(L"ab");
    s += s;
    EXPECT_EQ(L"abab", textOf(s));
    EXPECT_EQ(5u, s.getNumElems());
    EXPECT_EQ(L"abababab", textOf(s + s));
}

// ---- searching ----

// In "aaaa", "aa" matches at 0, 1 and 2, counted from either end: the
// position of an occurrence and the occurrence at a position answer each
// other.
TEST(WCharStringFind, OverlappingMatchesForwardAndBackward)
{
    const CQBNWCharString s(L"aaaa");
    const struct {
        unsigned long ulNumber;
        unsigned long ulMode;
        unsigned long ulPos;
    } cases[] = {{3, pmForward, 2}, {1, pmBackward, 2}, {3, pmBackward, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ulNumber << " " << c.ulMode);
        unsigned long pos = 99;
        EXPECT_TRUE(s.find(L"aa", c.ulNumber, c.ulMode, pos));
        EXPECT_EQ(c.ulPos, pos);
        unsigned long number = 99;
        EXPECT_TRUE(s.occurrenceAt(L"aa", c.ulPos, c.ulMode, number));
        EXPECT_EQ(c.ulNumber, number);
    }
    unsigned long ulUntouched = 99;
    EXPECT_FALSE(s.find(L"aa", 4, pmForward, ulUntouched));
    EXPECT_FALSE(s.occurrenceAt(L"aa", 3, pmForward, ulUntouched));
    EXPECT_FALSE(s.occurrenceAt(L"ab", 0, pmForward, ulUntouched));
    EXPECT_FALSE(s.occurrenceAt(L"aa", 0, 7, ulUntouched));
    EXPECT_EQ(99u, ulUntouched);
    EXPECT_EQ(3u, s.countOccurrences(L"aa"));
}

TEST(WCharStringFind, RefusedArguments)
{
    const CQBNWCharString s(L"abcabc");
    unsigned long pos = 99;
    EXPECT_FALSE(s.find(L"b", 0, pmForward, pos));
    EXPECT_FALSE(s.find(L"b", 7, pmForward, pos));
    EXPECT_FALSE(s.find(L"b", 1, 3, pos));
    EXPECT_FALSE(s.find(CQBNWCharString(), 1, pmForward, pos));
    EXPECT_FALSE(s.find(L"abcabcx", 1, pmForward, pos));
    EXPECT_EQ(99u, pos);
    EXPECT_TRUE(s.find(L"bc", 2, pmForward, pos));
    EXPECT_EQ(4u, pos);
}

TEST(WCharStringFind, EmptySubStringMatchesEveryPosition)
{
    const CQBNWCharString s(L"abc");
    const CQBNWCharString empty = ValidEmpty();
    unsigned long pos = 99;
    EXPECT_TRUE(s.find(empty, 1, pmForward, pos));
    EXPECT_EQ(0u, pos);
    EXPECT_TRUE(s.find(empty, 1, pmBackward, pos));
    EXPECT_EQ(3u, pos);
    // Four places match, but no occurrence number beyond the length is asked.
    EXPECT_EQ(3u, s.countOccurrences(empty));
    EXPECT_TRUE(s.contains(empty));
    EXPECT_TRUE(s.beginsWith(empty));
    EXPECT_TRUE(s.endsWith(empty));
    // An empty text has no occurrence number 1 at all.
    EXPECT_FALSE(ValidEmpty().contains(empty));
    EXPECT_FALSE(ValidEmpty().beginsWith(empty));
    EXPECT_EQ(0u, ValidEmpty().countOccurrences(empty));
    // The fourth match of an empty sub-string in 'abc' is never counted.
    EXPECT_FALSE(s.occurrenceAt(ValidEmpty(), 3, pmForward, pos));
    EXPECT_TRUE(s.occurrenceAt(ValidEmpty(), 3, pmBackward, pos));
    EXPECT_EQ(1u, pos);
    EXPECT_FALSE(s.occurrenceAt(ValidEmpty(), 0, pmBackward, pos));
}

TEST(WCharStringFind, BeginsAndEndsWith)
{
    const CQBNWCharString s(L"hello");
    EXPECT_TRUE(s.beginsWith(L"he"));
    EXPECT_FALSE(s.beginsWith(L"el"));
    EXPECT_TRUE(s.beginsWith(L"hello"));
    EXPECT_FALSE(s.beginsWith(L"hello!"));
    EXPECT_TRUE(s.endsWith(L"lo"));
    EXPECT_FALSE(s.endsWith(L"ll"));
    EXPECT_FALSE(s.endsWith(CQBNWCharString()));
    EXPECT_TRUE(CQBNWCharString(L"abab").endsWith(L"ab"));
    EXPECT_TRUE(s.contains(L"ll"));
    EXPECT_FALSE(s.contains(L"lll"));
}

// ---- insert ----

TEST(WCharStringInsert, AtEveryKindOfPosition)
{
    CQBNWCharString s(L"ac");
    EXPECT_TRUE(s.insert(L"b", 1));
    EXPECT_EQ(L"abc", textOf(s));
    EXPECT_EQ(4u, s.getNumElems());
    EXPECT_TRUE(s.insert(L">", 0));
    EXPECT_EQ(L">abc", textOf(s));
    EXPECT_TRUE(s.insert(L"<", 4));
    EXPECT_EQ(L">abc<", textOf(s));
    EXPECT_TRUE(s.insert(ValidEmpty(), 2));
    EXPECT_EQ(L">abc<", textOf(s));
}

TEST(WCharStringInsert, RefusalsLeaveTheTextAlone)
{
    CQBNWCharString s(L"abc");
    EXPECT_FALSE(s.insert(L"x", 4));
    EXPECT_FALSE(s.insert(CQBNWCharString(), 1));
    EXPECT_EQ(L"abc", textOf(s));

    CQBNWCharString empty;
    EXPECT_FALSE(empty.insert(L"x", 1));
    EXPECT_TRUE(empty.insert(L"xyz", 0));
    EXPECT_EQ(L"xyz", textOf(empty));
}

TEST(WCharStringInsert, ItselfIntoItself)
{
    CQBNWCharString s(L"ab");
    EXPECT_TRUE(s.insert(s, 1));
    EXPECT_EQ(L"aabb", textOf(s));
    EXPECT_TRUE(s.insert(s, 0));
    EXPECT_EQ(L"aabbaabb", textOf(s));
}

// ---- removeSubString ----

TEST(WCharStringRemove, ModesOnAbcabc)
{
    CQBNWCharString occur(L"abcabc");
    EXPECT_TRUE(occur.removeSubString(L"bc", 2, ssmOccur));
    EXPECT_EQ(L"abca", textOf(occur));
    EXPECT_EQ(5u, occur.getNumElems());

    CQBNWCharString all(L"abcabc");
    EXPECT_TRUE(all.removeSubString(L"bc", 0, ssmAll));
    EXPECT_EQ(L"aa", textOf(all));
    EXPECT_EQ(3u, all.getNumElems());

    CQBNWCharString num(L"abcabc");
    EXPECT_TRUE(num.removeSubString(L"bc", 1, ssmNum));
    EXPECT_EQ(L"aabc", textOf(num));
}

TEST(WCharStringRemove, RemovingEverythingLeavesANullString)
{
    CQBNWCharString s(L"aaaa");
    EXPECT_TRUE(s.removeSubString(L"aa", 0, ssmAll));
    EXPECT_FALSE(s.isValid());
}

TEST(WCharStringRemove, RefusalsLeaveTheTextAlone)
{
    CQBNWCharString s(L"abcabc");
    EXPECT_FALSE(s.removeSubString(L"x", 1, ssmAll));
    EXPECT_FALSE(s.removeSubString(L"bc", 0, ssmOccur));
    EXPECT_FALSE(s.removeSubString(L"bc", 3, ssmOccur));
    EXPECT_FALSE(s.removeSubString(L"bc", 0, ssmNum));
    EXPECT_FALSE(s.removeSubString(L"bc", 3, ssmNum));
    EXPECT_FALSE(s.removeSubString(L"bc", 1, 3));
    EXPECT_FALSE(s.removeSubString(CQBNWCharString(), 1, ssmAll));
    EXPECT_EQ(L"abcabc", textOf(s));
    EXPECT_EQ(7u, s.getNumElems());
}

TEST(WCharStringRemove, ItselfFromItself)
{
    CQBNWCharString s(L"abc");
    EXPECT_TRUE(s.removeSubString(s, 1, ssmOccur));
    EXPECT_FALSE(s.isValid());
}

// ---- replace ----

TEST(WCharStringReplace, ModesAndWhatCountsAsAnOccurrence)
{
    const struct {
        const wchar_t* szBefore;
        const wchar_t* szOld;
        CQBNWCharString replacement;
        unsigned long ulCount;
        unsigned long ulMode;
        const wchar_t* szAfter;
    } cases[] = {
        {L"a.b.c", L".", L"-", 0, ssmAll, L"a-b-c"},
        {L"a.b.c", L".", L"--", 2, ssmOccur, L"a.b--c"},
        {L"a.b.c.d", L".", L"::", 2, ssmNum, L"a::b::c.d"},
        // Occurrences inside the new text are skipped.
        {L"x", L"x", L"xx", 0, ssmAll, L"xx"},
        {L"a\\b\\c", L"\\", L"\\\\", 0, ssmAll, L"a\\\\b\\\\c"},
        // A null new text removes.
        {L"a.b.c", L".", CQBNWCharString(), 0, ssmAll, L"abc"},
        // A new text the old one contains is no occurrence of the old text:
        // every occurrence is replaced.
        {L"abcabc", L"abc", L"b", 0, ssmAll, L"bb"},
        {L"abab", L"ab", L"a", 0, ssmAll, L"aa"},
    };
    for (const auto& c : cases) {
        CQBNWCharString s(c.szBefore);
        EXPECT_TRUE(s.replace(c.szOld, c.replacement, c.ulCount, c.ulMode))
            << c.szBefore << " " << c.szOld;
        EXPECT_EQ(c.szAfter, textOf(s)) << c.szBefore << " " << c.szOld;
    }
}

TEST(WCharStringReplace, RefusalsLeaveTheTextAlone)
{
    CQBNWCharString s(L"a.b");
    EXPECT_FALSE(s.replace(CQBNWCharString(), L"x", 1, ssmAll));
    EXPECT_FALSE(s.replace(L"?", L"x", 1, ssmAll));
    EXPECT_FALSE(s.replace(L".", L"x", 2, ssmOccur));
    EXPECT_FALSE(s.replace(L".", L"x", 0, ssmOccur));
    EXPECT_FALSE(s.replace(L".", L"x", 2, ssmNum));
    EXPECT_FALSE(s.replace(L".", L"x", 1, 0));
    EXPECT_EQ(L"a.b", textOf(s));
}

TEST(WCharStringReplace, ArgumentsThatAreTheStringItself)
{
    CQBNWCharString s(L"ab");
    EXPECT_TRUE(s.replace(L"b", s, 0, ssmAll));
    EXPECT_EQ(L"aab", textOf(s));

    CQBNWCharString whole(L"ab");
    EXPECT_TRUE(whole.replace(whole, L"z", 0, ssmAll));
    EXPECT_EQ(L"z", textOf(whole));
}

// ---- dropFirst / dropLast ----

TEST(WCharStringDrop, InPlace)
{
    CQBNWCharString s(L"hello");
    s.dropLast(2);
    EXPECT_EQ(L"hel", textOf(s));
    EXPECT_EQ(4u, s.getNumElems());
    s.dropFirst(1);
    EXPECT_EQ(L"el", textOf(s));
    s.dropFirst(0);
    EXPECT_EQ(L"el", textOf(s));
    s.dropFirst(2);
    EXPECT_FALSE(s.isValid());

    CQBNWCharString t(L"hello");
    t.dropLast(6);
    EXPECT_FALSE(t.isValid());
}

TEST(WCharStringDrop, CopyFormsLeaveTheSourceAlone)
{
    const CQBNWCharString s(L"hello");
    CQBNWCharString out(L"stale");
    EXPECT_TRUE(s.dropFirst(5, out));
    EXPECT_FALSE(out.isValid());
    EXPECT_TRUE(s.dropFirst(0, out));
    EXPECT_EQ(L"hello", textOf(out));
    EXPECT_TRUE(s.dropFirst(3, out));
    EXPECT_EQ(L"lo", textOf(out));
    EXPECT_EQ(3u, out.getNumElems());
    EXPECT_TRUE(s.dropLast(4, out));
    EXPECT_EQ(L"h", textOf(out));
    EXPECT_TRUE(s.dropLast(99, out));
    EXPECT_FALSE(out.isValid());
    EXPECT_EQ(L"hello", textOf(s));

    // Dropping nothing from a valid empty text keeps it valid.
    const CQBNWCharString empty = ValidEmpty();
    EXPECT_TRUE(empty.dropLast(0, out));
    EXPECT_TRUE(out.isValid());
    EXPECT_EQ(0u, out.getLength());
}

// ---- long texts ----

class WCharStringLong : public ::testing::Test {
protected:
    static constexpr unsigned long kLength = 100000;

    void SetUp() override
    {
        std::wstring body(kLength, L'a');
        body[kLength - 3] = L'x';
        body[kLength / 2] = L'x';
        text = body.c_str();
    }

    CQBNWCharString text;
};

TEST_F(WCharStringLong, AppendAndSearchStayInBounds)
{
    ASSERT_EQ(kLength, text.getLength());
    CQBNWCharString doubled(text);
    doubled += text;
    EXPECT_EQ(2 * kLength, doubled.getLength());
    EXPECT_EQ(2 * kLength + 1, doubled.getNumElems());
    doubled += doubled;
    EXPECT_EQ(4 * kLength, doubled.getLength());

    unsigned long pos = 0;
    EXPECT_TRUE(text.find(L"xaa", 2, pmForward, pos));
    EXPECT_EQ(kLength - 3, pos);
    EXPECT_TRUE(text.find(L"x", 1, pmBackward, pos));
    EXPECT_EQ(kLength - 3, pos);
    EXPECT_FALSE(text.find(L"xaaa", 2, pmForward, pos));
    EXPECT_EQ(2u, text.countOccurrences(L"x"));
    // Every start but the four that touch an 'x'.
    EXPECT_EQ(kLength - 5, text.countOccurrences(L"aa"));
    EXPECT_TRUE(text.endsWith(L"xaa"));
    EXPECT_TRUE(text.occurrenceAt(L"x", kLength / 2, pmBackward, pos));
    EXPECT_EQ(2u, pos);
}

TEST_F(WCharStringLong, CompareEditAndDrop)
{
    CQBNWCharString other(text);
    EXPECT_TRUE(other == text);
    other[kLength - 1] = L'b';
    EXPECT_TRUE(other > text);
    EXPECT_TRUE(other.replace(L"x", L"yy", 0, ssmAll));
    EXPECT_EQ(kLength + 2, other.getLength());
    EXPECT_TRUE(other.removeSubString(L"yy", 0, ssmAll));
    EXPECT_EQ(kLength - 2, other.getLength());
    other.dropFirst(kLength - 4);
    EXPECT_EQ(L"ab", textOf(other));
}

} // namespace

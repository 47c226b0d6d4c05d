// CQBNWCharString taken apart and converted: sub-strings by position and by
// delimiter, tokens, trimming, number texts in four systems and byte dumps.

#include "qbn_dbllist.h"
#include "qbn_wchar_string.h"
#include "support/text_of.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qbntest::textOf;

// The result of a sub-string operation, or "<failed>".
template <class Operation>
std::wstring resultOf(Operation operation)
{
    CQBNWCharString out(L"untouched");
    if (!operation(out))
        return L"<failed>";
    return out.isValid() ? textOf(out) : L"<null>";
}

// Token `k` of `text`, or "<failed>" / "<null>".
std::wstring tokenOf(const CQBNWCharString& text, const wchar_t* szDelimiter,
                     unsigned long k, unsigned long mode, unsigned long parts,
                     unsigned long whitespace)
{
    return resultOf([&](CQBNWCharString& out) {
        return text.getToken(out, CQBNWCharString(szDelimiter), k, mode, parts,
                             whitespace);
    });
}

bool convert(const wchar_t* szText, unsigned long numberSystem,
             unsigned long& ulValue)
{
    return CQBNWCharString(szText).toNumber(ulValue, numberSystem);
}

// ---- sub-strings by position ----

TEST(WCharStringParse, SubStringHonoursIncludeFlagsAndBounds)
{
    const CQBNWCharString text(L"abcdef");
    auto sub = [&](unsigned long a, unsigned long b, bool bStart, bool bEnd) {
        return resultOf([&](CQBNWCharString& out) {
            return text.subString(out, a, b, bStart, bEnd);
        });
    };
    EXPECT_EQ(L"bcd", sub(1, 3, true, true));
    EXPECT_EQ(L"bc", sub(1, 3, true, false));
    EXPECT_EQ(L"cd", sub(1, 3, false, true));
    EXPECT_EQ(L"c", sub(1, 3, false, false));
    EXPECT_EQ(L"abcdef", sub(0, 5, true, true));
    EXPECT_EQ(L"<failed>", sub(3, 1, true, true));
    EXPECT_EQ(L"<failed>", sub(2, 6, true, true));
    EXPECT_EQ(L"<failed>", sub(7, 9, true, true));
    // One position: the code unit itself, or nothing.
    EXPECT_EQ(L"d", sub(3, 3, true, false));
    EXPECT_EQ(L"<null>", sub(3, 3, false, false));
    // The terminator and anything past it are not the text's.
    EXPECT_EQ(L"<failed>", sub(6, 6, true, true));
    EXPECT_EQ(L"<failed>", sub(1000, 1000, false, false));

    CQBNWCharString out(L"keep");
    EXPECT_FALSE(text.subString(out, 3, 1, true, true));
    EXPECT_EQ(L"keep", textOf(out));
    EXPECT_FALSE(CQBNWCharString().subString(out, 0, 1, true, true));
}

TEST(WCharStringParse, SubStringIntoItself)
{
    CQBNWCharString text(L"abcdef");
    ASSERT_TRUE(text.subString(text, 2, 4, true, true));
    EXPECT_EQ(L"cde", textOf(text));
}

TEST(WCharStringParse, ExtractOutsideKeepsOutsideOrWrappedRange)
{
    auto extract = [](unsigned long s, unsigned long e, bool bStart,
                      bool bEnd) -> std::wstring {
        CQBNWCharString text(L"abcdef");
        if (!text.extractOutside(s, e, bStart, bEnd))
            return L"<failed:" + textOf(text) + L">";
        return text.isValid() ? textOf(text) : L"<null>";
    };
    EXPECT_EQ(L"abef", extract(1, 4, false, false));
    EXPECT_EQ(L"af", extract(1, 4, true, true));
    EXPECT_EQ(L"aef", extract(1, 4, true, false));
    EXPECT_EQ(L"bcde", extract(4, 1, false, false));
    EXPECT_EQ(L"cd", extract(4, 1, true, true));
    EXPECT_EQ(L"<null>", extract(1, 0, true, true));
    // Failures leave the text alone.
    EXPECT_EQ(L"<failed:abcdef>", extract(6, 1, false, false));
    EXPECT_EQ(L"<failed:abcdef>", extract(1, 6, false, false));
    EXPECT_EQ(L"<failed:abcdef>", extract(2, 2, false, false));
    CQBNWCharString null;
    EXPECT_FALSE(null.extractOutside(0, 1, false, false));
}

// ---- sub-strings by delimiter ----

TEST(WCharStringParse, SubStringBetweenDelimiters)
{
    const CQBNWCharString text(L"x<<a>>y<<b>>z");
    const CQBNWCharString open(L"<<");
    const CQBNWCharString close(L">>");
    auto between = [&](unsigned long i, unsigned long j, bool bOpen,
                       bool bClose) {
        return resultOf([&](CQBNWCharString& out) {
            return text.subStringBetween(out, open, i, close, j, bOpen, bClose);
        });
    };
    EXPECT_EQ(L"a>>y<<b", between(1, 1, false, false));
    EXPECT_EQ(L"<<a>>y<<b>>", between(1, 1, true, true));
    EXPECT_EQ(L"<<a", between(1, 2, true, false));
    EXPECT_EQ(L"b>>", between(2, 1, false, true));
    EXPECT_EQ(L"<failed>", between(3, 1, false, false));
    EXPECT_EQ(L"<failed>", resultOf([&](CQBNWCharString& out) {
                  return text.subStringBetween(out, CQBNWCharString(L"<"), 1,
                                               CQBNWCharString(L"q"), 1, false,
                                               false);
              }));
}

TEST(WCharStringParse, EmptyDelimiterIsRefused)
{
    CQBNWCharString empty(L"a");
    empty[0] = 0; // valid, length 0
    const CQBNWCharString text(L"abc");
    CQBNWCharString out;
    EXPECT_FALSE(text.subStringBetween(out, empty, 1, CQBNWCharString(L"c"), 1,
                                       false, false));
    unsigned long ulConverted = 0;
    EXPECT_FALSE(text.convertOccurrence(empty, 1, pmForward, ulConverted));
}

TEST(WCharStringParse, CutAtKeepsOneSideOfTheOccurrence)
{
    auto cut = [](const wchar_t* szText, unsigned long n, unsigned long mode,
                  bool bExclude) {
        return resultOf([&](CQBNWCharString& out) {
            out = CQBNWCharString(szText);
            return out.cutAt(CQBNWCharString(L"\\"), n, mode, bExclude);
        });
    };
    EXPECT_EQ(L"\\b\\c", cut(L"a\\b\\c", 1, pmForward, false));
    EXPECT_EQ(L"c", cut(L"a\\b\\c", 2, pmForward, true));
    EXPECT_EQ(L"a\\b\\", cut(L"a\\b\\c", 1, pmBackward, false));
    EXPECT_EQ(L"a", cut(L"a\\b\\c", 2, pmBackward, true));
    EXPECT_EQ(L"<failed>", cut(L"a\\b\\c", 3, pmForward, true));
    EXPECT_EQ(L"<failed>", cut(L"a\\b\\c", 1, 3, true));
    EXPECT_EQ(L"<null>", cut(L"\\x", 1, pmBackward, true));
}

TEST(WCharStringParse, SubStringAtTakesTextBeforeOrAfterAnOccurrence)
{
    const CQBNWCharString text(L"a\\b\\c");
    const CQBNWCharString slash(L"\\");
    auto at = [&](unsigned long n, unsigned long mode, bool bInclude) {
        return resultOf([&](CQBNWCharString& out) {
            return text.subStringAt(out, slash, n, mode, bInclude);
        });
    };
    EXPECT_EQ(L"c", at(1, pmBackward, false));
    EXPECT_EQ(L"a", at(1, pmForward, false));
    EXPECT_EQ(L"\\c", at(1, pmBackward, true));
    EXPECT_EQ(L"a\\", at(1, pmForward, true));
    EXPECT_EQ(L"a\\b", at(2, pmForward, false));
    EXPECT_EQ(L"b\\c", at(2, pmBackward, false));
    EXPECT_EQ(L"<failed>", at(3, pmForward, false));
    EXPECT_EQ(L"<failed>", at(1, 3, false));
    EXPECT_EQ(L"a\\b\\c", textOf(text));
}

// ---- tokens ----

TEST(WCharStringParse, SeparatedTokensOfAVersion)
{
    const CQBNWCharString version(L"6.0.10.0");
    auto token = [&](unsigned long k) {
        return tokenOf(version, L".", k, tmSeparated, 0x03, 0xFF);
    };
    EXPECT_EQ(L"6", token(1));
    EXPECT_EQ(L"0", token(2));
    EXPECT_EQ(L"10", token(3));
    EXPECT_EQ(L"0", token(4));
    EXPECT_EQ(L"<failed>", token(5));
    EXPECT_EQ(L"<failed>", token(0));
    EXPECT_EQ(L"<failed>", tokenOf(version, L".", 1, 3, 0x03, 0xFF));
}

TEST(WCharStringParse, EmptyTokensAreNullAndWhitespaceIsRemoved)
{
    const CQBNWCharString text(L".a..\t b c .");
    auto token = [&](unsigned long k, unsigned long parts) {
        return tokenOf(text, L".", k, tmSeparated, parts, 0x03);
    };
    EXPECT_EQ(L"<null>", token(1, 0x03));
    EXPECT_EQ(L"a", token(2, 0x03));
    EXPECT_EQ(L"<null>", token(3, 0x03));
    EXPECT_EQ(L"bc", token(4, 0x03));
    EXPECT_EQ(L"b c ", token(4, 0x01));
    EXPECT_EQ(L"\t b c", token(4, 0x02));
    EXPECT_EQ(L"<null>", token(5, 0x03));
    EXPECT_EQ(L"<failed>", token(6, 0x03));
}

TEST(WCharStringParse, EnclosedTokensAndTheirKeys)
{
    const CQBNWCharString text(L"\"a\" \"b\"");
    auto token = [&](unsigned long k) {
        return tokenOf(text, L"\"", k, tmEnclosed, 0x03, 0xFF);
    };
    EXPECT_EQ(L"a", token(1));
    EXPECT_EQ(L"<null>", token(2)); // the space between the pairs
    EXPECT_EQ(L"b", token(3));
    EXPECT_EQ(L"<failed>", token(4));
    EXPECT_EQ(L"<failed>", token(5));

    CQBNWCharStringList list;
    ASSERT_TRUE(
        text.tokenize(list, CQBNWCharString(L"\""), tmEnclosed, 0x03, 0xFF));
    ASSERT_EQ(2u, list.getCount());
    CQBNWCharString value;
    ASSERT_TRUE(list.findKey(0));
    ASSERT_TRUE(list.getCurrent(value));
    EXPECT_EQ(L"a", textOf(value));
    ASSERT_TRUE(list.findKey(1));
    ASSERT_TRUE(list.getCurrent(value));
    EXPECT_EQ(L"b", textOf(value));
}

TEST(WCharStringParse, TokenizeReplacesTheListAndKeysTokensInOrder)
{
    CQBNWCharStringList list;
    ASSERT_TRUE(list.add(CQBNWCharString(L"stale"), 7));
    ASSERT_TRUE(
        CQBNWCharString(L"6.0.10.0")
            .tokenize(list, CQBNWCharString(L"."), tmSeparated, 0x03, 0xFF));
    ASSERT_EQ(4u, list.getCount());
    const wchar_t* expected[] = {L"6", L"0", L"10", L"0"};
    for (long lKey = 0; lKey < 4; ++lKey) {
        CQBNWCharString value;
        ASSERT_TRUE(list.findKey(lKey)) << lKey;
        ASSERT_TRUE(list.getCurrent(value));
        EXPECT_EQ(expected[lKey], textOf(value)) << lKey;
    }
    EXPECT_FALSE(list.findKey(7));
}

TEST(WCharStringParse, TokenizeWithoutDelimiterGivesTheWholeText)
{
    CQBNWCharStringList list;
    ASSERT_TRUE(CQBNWCharString(L" 830 ").tokenize(list, CQBNWCharString(L"."),
                                                   tmSeparated, 0x03, 0x01));
    ASSERT_EQ(1u, list.getCount());
    CQBNWCharString value;
    ASSERT_TRUE(list.findKey(0));
    ASSERT_TRUE(list.getCurrent(value));
    EXPECT_EQ(L"830", textOf(value));

    EXPECT_FALSE(CQBNWCharString().tokenize(list, CQBNWCharString(L"."),
                                            tmSeparated, 0x03, 0xFF));
    EXPECT_FALSE(CQBNWCharString(L"a.b").tokenize(list, CQBNWCharString(L"."),
                                                  3, 0x03, 0xFF));
    EXPECT_EQ(0u, list.getCount());
}

// ---- trimming ----

TEST(WCharStringParse, TrimRemovesTheCodeUnitAndSelectedWhitespace)
{
    auto trimmed = [](const wchar_t* szText, wchar_t wc, unsigned long parts,
                      unsigned long whitespace) {
        CQBNWCharString text(szText);
        EXPECT_TRUE(text.trim(wc, parts, whitespace));
        return text.isValid() ? textOf(text) : std::wstring(L"<null>");
    };
    EXPECT_EQ(L"x", trimmed(L"  x  ", L' ', 0x03, 0x01));
    EXPECT_EQ(L"x  ", trimmed(L"  x  ", L' ', 0x01, 0x01));
    EXPECT_EQ(L"  x", trimmed(L"  x  ", L' ', 0x02, 0x01));
    EXPECT_EQ(L"a-b", trimmed(L"--\ta-b\t-", L'-', 0x03, 0x02));
    EXPECT_EQ(L"\ta-b\t", trimmed(L"--\ta-b\t-", L'-', 0x03, 0x00));
    EXPECT_EQ(L"\r\n x", trimmed(L"\r\n x", L' ', 0x03, 0x01));
    EXPECT_EQ(L"<null>", trimmed(L"   ", L' ', 0x01, 0x00));
    EXPECT_FALSE(CQBNWCharString().trim(L' ', 0x03, 0xFF));
}

TEST(WCharStringParse, RemoveWhitespaceByPart)
{
    auto removed = [](const wchar_t* szText, unsigned long parts,
                      unsigned long whitespace) {
        CQBNWCharString text(szText);
        EXPECT_TRUE(text.removeWhitespace(parts, whitespace));
        return text.isValid() ? textOf(text) : std::wstring(L"<null>");
    };
    EXPECT_EQ(L"ab", removed(L" a b ", 0x03, 0x01));
    EXPECT_EQ(L"a b ", removed(L" a b ", 0x01, 0x01));
    EXPECT_EQ(L" a b", removed(L" a b ", 0x02, 0x01));
    EXPECT_EQ(L" a b ", removed(L" a b ", 0x00, 0xFF));
    EXPECT_EQ(L"\ta\tb\t", removed(L"\t a\tb \t", 0x03, 0x01));
    EXPECT_EQ(L" ab ", removed(L"\t a\tb \t", 0x03, 0x02));
    EXPECT_EQ(L"ab", removed(L"\r\n a \x0B b\f\a\b", 0x03, 0xFF));
    // Nothing but selected whitespace leaves no text: a null string.
    EXPECT_EQ(L"<null>", removed(L" \t ", 0x01, 0x03));
    EXPECT_EQ(L"<null>", removed(L" \t ", 0x03, 0x03));

    CQBNWCharString fitted(L" a ");
    ASSERT_TRUE(fitted.removeWhitespace(0x03, 0x01));
    EXPECT_EQ(2u, fitted.getNumElems());
    EXPECT_FALSE(CQBNWCharString().removeWhitespace(0x03, 0xFF));
}

// ---- number tests ----

TEST(WCharStringParse, IsNumber)
{
    auto isNumber = [](const wchar_t* szText, bool bNegative, bool bPoint) {
        return CQBNWCharString(szText).isNumber(bNegative, bPoint);
    };
    EXPECT_TRUE(isNumber(L"-42", true, false));
    EXPECT_FALSE(isNumber(L"-42", false, false));
    EXPECT_FALSE(isNumber(L"4-2", true, false));
    EXPECT_TRUE(isNumber(L"4.2", false, true));
    EXPECT_FALSE(isNumber(L".42", false, true));
    EXPECT_FALSE(isNumber(L"42.", false, true));
    EXPECT_FALSE(isNumber(L"4.2.1", false, true));
    EXPECT_FALSE(isNumber(L"-", true, true));
}

TEST(WCharStringParse, DigitTestsAcceptAValidEmptyText)
{
    CQBNWCharString empty(L"a");
    empty[0] = 0;
    EXPECT_TRUE(empty.isHexDigits());
    EXPECT_TRUE(empty.isBinaryDigits());
    EXPECT_FALSE(CQBNWCharString().isHexDigits());
    EXPECT_FALSE(CQBNWCharString(L"0g").isHexDigits());
    EXPECT_FALSE(CQBNWCharString(L"8").isOctalDigits());
}

TEST(WCharStringParse, HexNotationTruthTable)
{
    struct Case {
        const wchar_t* szText;
        bool bNotation;
    };
    const Case cases[] = {
        {L"0x1F", true},  {L"1Fh", true},    {L"0X1f", true},  {L"1FH", true},
        {L"1F", false},   {L"0x1Fh", false}, {L"1x1F", false}, {L"0x", false},
        {L"h", false},    {L"0xx1", false},  {L"1hh", false},  {L"1h1", false},
        {L"0x1G", false}, {L" 0x1", false},  {L"00x1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.bNotation, CQBNWCharString(c.szText).isHexNotation())
            << c.szText;
}

TEST(WCharStringParse, BinaryAndOctalNotations)
{
    EXPECT_TRUE(CQBNWCharString(L"101B").isBinaryNotation());
    EXPECT_FALSE(CQBNWCharString(L"10b1").isBinaryNotation());
    EXPECT_FALSE(CQBNWCharString(L"0bb1").isBinaryNotation());
    EXPECT_FALSE(CQBNWCharString(L"b").isBinaryNotation());
    EXPECT_TRUE(CQBNWCharString(L"17O").isOctalNotation());
    EXPECT_FALSE(CQBNWCharString(L"0o18").isOctalNotation());
}

TEST(WCharStringParse, StripNotationRemovesTheMarkersOnly)
{
    auto stripped = [](const wchar_t* szText) {
        CQBNWCharString text(szText);
        if (!text.stripNotation())
            return L"<failed:" + textOf(text) + L">";
        return textOf(text);
    };
    EXPECT_EQ(L"1F", stripped(L"0x1F"));
    EXPECT_EQ(L"1F", stripped(L"1Fh"));
    EXPECT_EQ(L"101", stripped(L"0b101"));
    EXPECT_EQ(L"101", stripped(L"101b"));
    EXPECT_EQ(L"17", stripped(L"0o17"));
    // A suffix right after one digit is still a suffix.
    EXPECT_EQ(L"1", stripped(L"1b"));
    EXPECT_EQ(L"0", stripped(L"0b"));
    // Binary is tried before hex, as callers of this method expect.
    EXPECT_EQ(L"1", stripped(L"0b1"));
    EXPECT_EQ(L"<failed:1F>", stripped(L"1F"));

    CQBNWCharString fitted(L"0x1F");
    ASSERT_TRUE(fitted.stripNotation());
    EXPECT_EQ(3u, fitted.getNumElems());
}

// ---- conversion to numbers ----

// A failed conversion leaves the number as it was.
TEST(WCharStringParse, ToNumberInEveryNotation)
{
    const std::wstring ones(32, L'1');
    const unsigned long ulUntouched = 1234;
    const struct {
        std::wstring text;
        unsigned long system;
        bool bConverts;
        unsigned long ulExpected;
    } cases[] = {
        {L" 0x1F ", nsHex, true, 31},
        {L"\t1fh\r\n", nsHex, true, 31},
        {L"FFFFFFFF", nsHex, true, 0xFFFFFFFF},
        {L"0x00000001", nsHex, true, 1},
        // Plain hex digits keep a 'b' that a binary reading would take away.
        {L"0B", nsHex, true, 0x0B},
        {L"1B", nsHex, true, 0x1B},
        {L"10B", nsHex, true, 0x10B},
        {L"100000000", nsHex, false, 0},
        {L"0x1G", nsHex, false, 0},
        {L"   ", nsHex, false, 0},
        {L"0x", nsHex, false, 0},
        {L"1 F", nsHex, false, 0},

        {L"0b101", nsBinary, true, 5},
        {L"101b", nsBinary, true, 5},
        {L"1b", nsBinary, true, 1},
        {L"110", nsBinary, true, 6},
        {ones, nsBinary, true, 0xFFFFFFFF},
        {L"0" + ones, nsBinary, false, 0},
        {L"102", nsBinary, false, 0},

        {L"17", nsOctal, true, 15},
        {L"0o17", nsOctal, true, 15},
        {L"17o", nsOctal, true, 15},
        {L"37777777777", nsOctal, true, 0xFFFFFFFF},
        {L"000000000017", nsOctal, true, 15},
        // Past 32 bits is an overflow, never a value taken modulo 2^32.
        {L"40000000000", nsOctal, false, 0},
        {L"777777777777", nsOctal, false, 0},
        {L"0000000000017", nsOctal, false, 0},
        {L"18", nsOctal, false, 0},

        {L"-42", nsDecimal, true, static_cast<unsigned long>(-42L)},
        {L" 8104\t", nsDecimal, true, 8104},
        {L"2147483647", nsDecimal, true, 2147483647},
        {L"-2147483648", nsDecimal, true, 0x80000000},
        // Out of range fails rather than clamping to the limit.
        {L"2147483648", nsDecimal, false, 0},
        {L"-2147483649", nsDecimal, false, 0},
        {L"4.2", nsDecimal, false, 0},
        {L"-", nsDecimal, false, 0},
        {L"0x10", nsDecimal, false, 0},
        {L"10", 3, false, 0},
    };
    for (const auto& c : cases) {
        unsigned long ulValue = ulUntouched;
        EXPECT_EQ(c.bConverts, convert(c.text.c_str(), c.system, ulValue))
            << c.text << " in system " << c.system;
        EXPECT_EQ(c.bConverts ? c.ulExpected : ulUntouched, ulValue)
            << c.text << " in system " << c.system;
    }
    unsigned long ulValue = ulUntouched;
    EXPECT_FALSE(CQBNWCharString().toNumber(ulValue, nsDecimal));
    EXPECT_EQ(ulUntouched, ulValue);
}

// ---- number texts ----

TEST(WCharStringParse, NumberSystemTexts)
{
    auto text = [](unsigned long ulValue, unsigned long system,
                   unsigned short usWidth, bool bPrefix) {
        return textOf(CQBNWCharString(ulValue, system, usWidth, bPrefix));
    };
    EXPECT_EQ(L"0x00FF", text(255, nsHex, 4, true));
    EXPECT_EQ(L"1111", text(255, nsBinary, 4, false));
    EXPECT_EQ(L"0", text(0, nsOctal, 0, false));
    EXPECT_EQ(L"FF", text(255, nsHex, 0, false));
    EXPECT_EQ(L"F", text(255, nsHex, 1, false));
    EXPECT_EQ(L"0o10", text(8, nsOctal, 0, true));
    EXPECT_EQ(L"0b" + std::wstring(32, L'1'),
              text(0xFFFFFFFF, nsBinary, 0, true));
    EXPECT_EQ(L"37777777777", text(0xFFFFFFFF, nsOctal, 0, false));
    EXPECT_EQ(L"0000000000ABCDEF", text(0xABCDEF, nsHex, 16, false));
    EXPECT_EQ(L"-1", text(0xFFFFFFFF, nsDecimal, 5, true));
    EXPECT_EQ(L"8104", text(8104, nsDecimal, 0, false));
    EXPECT_EQ(65535u + 2,
              CQBNWCharString(1, nsBinary, 65535, true).getLength());
}

TEST(WCharStringParse, UnsupportedNumberSystemThrows)
{
    for (unsigned long system : {0ul, 3ul, 16ul}) {
        try {
            CQBNWCharString text(255, system, 0, false);
            ADD_FAILURE() << "system " << system << " was accepted";
        } catch (const CQBNBufferInitException& caught) {
            EXPECT_STREQ(L"Unable to initialize CQBNBuffer",
                         caught.getMessage());
        }
    }
}

// ---- byte dumps ----

TEST(WCharStringParse, AsciiCodesOfTheWholeStorage)
{
    const CQBNWCharString codes = CQBNWCharString(L"AB").getAsciiCodeString();
    EXPECT_EQ(L"41 00 42 00 00 00", textOf(codes));
    EXPECT_EQ(18u, codes.getNumElems());

    // Storage beyond the text is dumped too.
    CQBNWCharString cut(L"AB");
    ASSERT_TRUE(cut.trim(L'B', 0x02, 0));
    EXPECT_EQ(L"41 00 00 00 00 00", textOf(cut.getAsciiCodeString()));

    EXPECT_FALSE(CQBNWCharString().getAsciiCodeString().isValid());
}

TEST(WCharStringParse, EveryByteSurvivesTheRoundTrip)
{
    // 128 code units whose storage holds the bytes 00 to FF in order.
    CQBNWCharString text(std::wstring(127, L'x').c_str());
    ASSERT_EQ(128u, text.getNumElems());
    for (unsigned long ul = 0; ul < 128; ++ul)
        text[ul] = static_cast<unsigned short>((2 * ul) | ((2 * ul + 1) << 8));

    const CQBNWCharString codes = text.getAsciiCodeString();
    const wchar_t szDigits[] = L"0123456789ABCDEF";
    std::wstring expected;
    for (unsigned int ui = 0; ui < 256; ++ui) {
        if (ui != 0)
            expected += L' ';
        expected += szDigits[ui >> 4];
        expected += szDigits[ui & 0x0F];
    }
    EXPECT_EQ(expected, textOf(codes));

    const CQBNBuffer<unsigned char> bytes =
        codes.getBufferFromAsciiCodeString();
    ASSERT_EQ(256u, bytes.getNumElems());
    for (unsigned int ui = 0; ui < 256; ++ui)
        EXPECT_EQ(ui, bytes[ui]) << "byte " << ui;
}

TEST(WCharStringParse, BytesFromAsciiCodes)
{
    auto bytesOf = [](const wchar_t* szCodes) {
        const CQBNBuffer<unsigned char> bytes =
            CQBNWCharString(szCodes).getBufferFromAsciiCodeString();
        std::vector<unsigned int> values;
        for (unsigned long ul = 0; ul < bytes.getNumElems(); ++ul)
            values.push_back(bytes[ul]);
        return values;
    };
    using Bytes = std::vector<unsigned int>;
    EXPECT_EQ((Bytes{0x41, 0x00, 0x42}), bytesOf(L"41 00 42"));
    EXPECT_EQ((Bytes{0x4A, 0xFF}), bytesOf(L"4a ff"));
    // A lone code unit at the end is no pair and is ignored.
    EXPECT_EQ((Bytes{0x41}), bytesOf(L"41 4"));
    EXPECT_EQ((Bytes{0x41}), bytesOf(L"41 "));
    EXPECT_EQ(Bytes{}, bytesOf(L"4"));
    // One bad pair and nothing at all is converted.
    EXPECT_EQ(Bytes{}, bytesOf(L"41 ZZ 42"));
    EXPECT_EQ(Bytes{}, bytesOf(L"41 42 4G"));
    EXPECT_EQ(Bytes{}, bytesOf(L"41    42"));
    EXPECT_FALSE(CQBNWCharString().getBufferFromAsciiCodeString().isValid());
}

} // namespace

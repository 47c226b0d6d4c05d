// CQBNWCharString, second half: taking texts apart (sub-strings, tokens,
// trimming) and converting between texts and numbers or byte dumps.
#include "qbn_wchar_string.h"

#include <climits>
#include <cstring>

#include "qbn_dbllist.h"
#include "qbn_traced_method.h"
#include "qbn_wchar_string_private.h"

#define QBN_WCHAR_STRING_PARSE_SOURCE L".\\qbn_wchar_string_parse.cpp"

using qbn_wchar_string_private::copyInto;
using qbn_wchar_string_private::isParseMode;

namespace {

const wchar_t kClassName[] = L"CQBNWCharString";

// Bit i of a whitespace selection picks entry i of this table.
const unsigned short kTableEnd = 0xFFFF;
const unsigned short kWhitespaceTable[] = {
    0x0020, 0x0009, 0x000C, 0x0007, 0x000A, 0x0008, 0x000D, 0x000B, kTableEnd};

const wchar_t kDigitTable[] = L"0123456789ABCDEF";

// Bytes in a dump: two hex digits and a separator each.
const unsigned long kUnitsPerByte = 3;

// A run of code units inside a string's storage; it never owns them.
struct TextSpan {
    const unsigned short* pUnits;
    unsigned long ulLength;
};

// The code units that trimming removes: a whitespace selection plus one
// further code unit of the caller's (0, which no text holds, for none).
struct TrimSet {
    unsigned long ulMask;
    unsigned short usExtra;
};

// What differs between the three systems that have digits, markers and a
// digit limit.
struct RadixSystem {
    unsigned long ulSystem;
    unsigned long ulBase;
    wchar_t wcPrefixLetter;
    wchar_t wcSuffixLetter;
    unsigned long ulMaxDigits;
    const wchar_t* szOverflowArg;
    const wchar_t* szOverflowReason;
};

// In the order stripNotation tries them.
const RadixSystem kRadixSystems[] = {
    {nsBinary, 2, L'b', L'b', 32, L"this",
     L"too many binary digits in string - will overflow unsigned long value"},
    {nsOctal, 8, L'o', L'o', 12, L"this string",
     L"too many octal digits in string - will overflow unsigned long value"},
    {nsHex, 16, L'x', L'h', 8, L"this string",
     L"too many hex digits in string - will overflow unsigned long value"},
};

const RadixSystem* findRadixSystem(unsigned long ulSystem)
{
    for (const RadixSystem& system : kRadixSystems)
        if (system.ulSystem == ulSystem)
            return &system;
    return nullptr;
}

TextSpan spanOf(const CQBNWCharString& text)
{
    return TextSpan{text.getBuffer(), text.getLength()};
}

// ---- whitespace ----

// The flags are asked once per operation, not once per code unit.
unsigned long whitespaceMask(const CQBNFlags& flags)
{
    unsigned long ulMask = 0;
    for (unsigned long ulBit = 0; kWhitespaceTable[ulBit] != kTableEnd; ++ulBit)
        if (flags.hasFlags(1ul << ulBit))
            ulMask |= 1ul << ulBit;
    return ulMask;
}

bool isTrimmed(const TrimSet& set, unsigned short usUnit)
{
    if (usUnit == set.usExtra)
        return true;
    for (unsigned long ulBit = 0; kWhitespaceTable[ulBit] != kTableEnd; ++ulBit)
        if ((set.ulMask & (1ul << ulBit)) != 0 &&
            kWhitespaceTable[ulBit] == usUnit)
            return true;
    return false;
}

unsigned long countLeading(const TextSpan& span, const TrimSet& set)
{
    unsigned long ulCount = 0;
    while (ulCount < span.ulLength && isTrimmed(set, span.pUnits[ulCount]))
        ++ulCount;
    return ulCount;
}

unsigned long countTrailing(const TextSpan& span, const TrimSet& set)
{
    unsigned long ulCount = 0;
    while (ulCount < span.ulLength &&
           isTrimmed(set, span.pUnits[span.ulLength - 1 - ulCount]))
        ++ulCount;
    return ulCount;
}

TextSpan trimmedSpan(const TextSpan& span, const TrimSet& set)
{
    const unsigned long ulLead = countLeading(span, set);
    TextSpan rest = {span.pUnits + ulLead, span.ulLength - ulLead};
    rest.ulLength -= countTrailing(rest, set);
    return rest;
}

// How number conversion trims: every whitespace character, both ends.
TextSpan numberSpan(const TextSpan& span)
{
    return trimmedSpan(span, TrimSet{wsAll, 0x0020});
}

// ---- digits and notations ----

// The digit's value, or ulBase when the code unit is no digit of that base.
unsigned long digitValue(unsigned short usUnit, unsigned long ulBase)
{
    unsigned long ulValue = ulBase;
    if (usUnit >= L'0' && usUnit <= L'9')
        ulValue = usUnit - L'0';
    else if (usUnit >= L'A' && usUnit <= L'F')
        ulValue = usUnit - L'A' + 10;
    else if (usUnit >= L'a' && usUnit <= L'f')
        ulValue = usUnit - L'a' + 10;
    return ulValue < ulBase ? ulValue : ulBase;
}

bool isDigitOf(unsigned short usUnit, unsigned long ulBase)
{
    return digitValue(usUnit, ulBase) < ulBase;
}

bool allDigits(const TextSpan& span, unsigned long ulBase)
{
    for (unsigned long ul = 0; ul < span.ulLength; ++ul)
        if (!isDigitOf(span.pUnits[ul], ulBase))
            return false;
    return true;
}

bool isLetter(unsigned short usUnit, wchar_t wcLower)
{
    return usUnit == wcLower || usUnit == wcLower - (L'a' - L'A');
}

// Binary and octal: one letter, either second (prefix form, '0b101') or
// last (suffix form, '101b'); everything else digits.
bool letterNotationDigits(const TextSpan& span, const RadixSystem& system,
                          TextSpan& digits)
{
    unsigned long ulLetters = 0;
    unsigned long ulAt = 0;
    for (unsigned long ul = 0; ul < span.ulLength; ++ul) {
        if (isLetter(span.pUnits[ul], system.wcSuffixLetter)) {
            ++ulLetters;
            ulAt = ul;
        } else if (!isDigitOf(span.pUnits[ul], system.ulBase)) {
            return false;
        }
    }
    if (ulLetters != 1 || span.ulLength < 2)
        return false;
    // The suffix form is tried first: '1b' is one, whereas reading it as a
    // prefix form would leave no digits at all and give 0.
    if (ulAt == span.ulLength - 1)
        digits = TextSpan{span.pUnits, span.ulLength - 1};
    else if (ulAt == 1)
        digits = TextSpan{span.pUnits + 2, span.ulLength - 2};
    else
        return false;
    return true;
}

// Hex: either '0x' in front or 'h' at the end, never both, never twice.
bool hexNotationDigits(const TextSpan& span, const RadixSystem& system,
                       TextSpan& digits)
{
    unsigned long ulPrefixes = 0;
    unsigned long ulSuffixes = 0;
    unsigned long ulAt = 0;
    for (unsigned long ul = 0; ul < span.ulLength; ++ul) {
        const unsigned short usUnit = span.pUnits[ul];
        if (isLetter(usUnit, system.wcPrefixLetter)) {
            ++ulPrefixes;
            ulAt = ul;
        } else if (isLetter(usUnit, system.wcSuffixLetter)) {
            ++ulSuffixes;
            ulAt = ul;
        } else if (!isDigitOf(usUnit, system.ulBase)) {
            return false;
        }
    }
    if (ulPrefixes + ulSuffixes != 1)
        return false;
    if (ulPrefixes == 1) {
        // A bare '0x' holds no digits and is not a number.
        if (ulAt != 1 || span.pUnits[0] != L'0' || span.ulLength < 3)
            return false;
        digits = TextSpan{span.pUnits + 2, span.ulLength - 2};
        return true;
    }
    if (ulAt != span.ulLength - 1 || span.ulLength < 2)
        return false;
    digits = TextSpan{span.pUnits, span.ulLength - 1};
    return true;
}

bool notationDigits(const TextSpan& span, const RadixSystem& system,
                    TextSpan& digits)
{
    if (system.wcPrefixLetter == system.wcSuffixLetter)
        return letterNotationDigits(span, system, digits);
    return hexNotationDigits(span, system, digits);
}

bool isNotation(const CQBNWCharString& text, unsigned long ulSystem)
{
    TextSpan digits = {nullptr, 0};
    return text.isValid() &&
           notationDigits(spanOf(text), *findRadixSystem(ulSystem), digits);
}

bool isDecimalText(const TextSpan& span, bool bAllowNegative,
                   bool bAllowDecimalPoint)
{
    bool bDigitSeen = false;
    bool bPointSeen = false;
    for (unsigned long ul = 0; ul < span.ulLength; ++ul) {
        const unsigned short usUnit = span.pUnits[ul];
        const bool bInside = ul != 0 && ul + 1 != span.ulLength;
        if (isDigitOf(usUnit, 10))
            bDigitSeen = true;
        else if (usUnit == L'-' && ul == 0 && bAllowNegative)
            continue;
        else if (usUnit == L'.' && bAllowDecimalPoint && bInside && !bPointSeen)
            bPointSeen = true;
        else
            return false;
    }
    // A lone sign is no number: converting it would give 0 and succeed.
    return bDigitSeen;
}

// ---- conversion to numbers ----

// Unsigned accumulation that fails instead of wrapping past 32 bits.
bool accumulateDigit(unsigned long& ulValue, unsigned long ulDigit,
                     unsigned long ulBase, unsigned long ulLimit)
{
    const unsigned long long ullNext =
        static_cast<unsigned long long>(ulValue) * ulBase + ulDigit;
    if (ullNext > ulLimit)
        return false;
    ulValue = static_cast<unsigned long>(ullNext);
    return true;
}

[[noreturn]] void throwOverflow(const RadixSystem& system)
{
    throw CQBNBadArgException(system.szOverflowArg, system.szOverflowReason,
                              QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
}

bool parseRadix(const TextSpan& span, const RadixSystem& system,
                unsigned long& ulValue)
{
    // Plain digits are converted as they stand: hex conversion strips only
    // the hex markers, for a binary reading would turn '0B' into '' and '1B'
    // into '1' and so corrupt the pairs of a byte dump.
    TextSpan digits = span;
    if (!allDigits(span, system.ulBase) &&
        !notationDigits(span, system, digits))
        return false;
    // Nothing but whitespace is no number.
    if (digits.ulLength == 0)
        return false;
    if (digits.ulLength > system.ulMaxDigits)
        throwOverflow(system);
    // The digit limit alone lets twelve octal digits (and eleven above
    // 37777777777) wrap silently; the value itself must fit too.
    unsigned long ulResult = 0;
    for (unsigned long ul = 0; ul < digits.ulLength; ++ul)
        if (!accumulateDigit(ulResult,
                             digitValue(digits.pUnits[ul], system.ulBase),
                             system.ulBase, ULONG_MAX))
            throwOverflow(system);
    ulValue = ulResult;
    return true;
}

// The value is stored as the bit pattern of a signed 32-bit long.
bool parseDecimal(const TextSpan& span, unsigned long& ulValue)
{
    if (!isDecimalText(span, true, false))
        return false;
    const bool bNegative = span.pUnits[0] == L'-';
    const unsigned long ulMaxPositive = LONG_MAX;
    const unsigned long ulLimit = bNegative ? ulMaxPositive + 1 : ulMaxPositive;
    unsigned long ulMagnitude = 0;
    for (unsigned long ul = bNegative ? 1 : 0; ul < span.ulLength; ++ul)
        // Out of range is a failure, not a value clamped to the limit.
        if (!accumulateDigit(ulMagnitude, span.pUnits[ul] - L'0', 10, ulLimit))
            throw CQBNBadArgException(
                L"this string",
                L"too many decimal digits in string - will overflow long "
                L"value",
                QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
    ulValue = bNegative ? 0ul - ulMagnitude : ulMagnitude;
    return true;
}

bool parseNumber(const TextSpan& span, unsigned long ulSystem,
                 unsigned long& ulValue)
{
    const TextSpan number = numberSpan(span);
    if (ulSystem == nsDecimal)
        return parseDecimal(number, ulValue);
    const RadixSystem* pSystem = findRadixSystem(ulSystem);
    return pSystem != nullptr && parseRadix(number, *pSystem, ulValue);
}

// ---- number texts ----

// The ulCount least significant digits, the most significant first; digits
// beyond the value are zeros.
void writeDigits(unsigned short* pOut, unsigned long ulValue,
                 unsigned long ulBase, unsigned long ulCount)
{
    for (unsigned long ul = ulCount; ul > 0; --ul) {
        pOut[ul - 1] = kDigitTable[ulValue % ulBase];
        ulValue /= ulBase;
    }
}

unsigned long naturalDigitCount(unsigned long ulValue, unsigned long ulBase)
{
    unsigned long ulCount = 1;
    for (; ulValue >= ulBase; ulValue /= ulBase)
        ++ulCount;
    return ulCount;
}

bool writeNumberText(CQBNWCharString& text, unsigned long ulValue,
                     const RadixSystem& system, unsigned short usWidth,
                     bool bPrefix)
{
    const unsigned long ulDigits =
        usWidth != 0 ? usWidth : naturalDigitCount(ulValue, system.ulBase);
    const unsigned long ulPrefix = bPrefix ? 2 : 0;
    if (!text.allocate(ulPrefix + ulDigits + 1))
        return false;
    unsigned short* pUnits = text.getBuffer();
    if (bPrefix) {
        pUnits[0] = L'0';
        pUnits[1] = system.wcPrefixLetter;
    }
    writeDigits(pUnits + ulPrefix, ulValue, system.ulBase, ulDigits);
    return true;
}

// ---- building results ----

// Appends code units [ulFrom, ulTo) of a text; the caller checked the bounds.
bool appendUnits(CQBNBuffer<unsigned short>& units, const CQBNWCharString& text,
                 unsigned long ulFrom, unsigned long ulTo)
{
    if (ulTo <= ulFrom)
        return true;
    return units.append(
        CQBNBuffer<unsigned short>(text.getBuffer() + ulFrom, ulTo - ulFrom));
}

void requireText(const CQBNWCharString& text, const wchar_t* szArgName)
{
    if (text.getLength() == 0)
        throw CQBNBadArgException(szArgName, L"must contain a string",
                                  QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
}

unsigned long otherParseMode(unsigned long parseMode)
{
    return parseMode == pmForward ? pmBackward : pmForward;
}

// ---- tokens ----

bool separatedToken(const CQBNWCharString& text, CQBNWCharString& token,
                    const CQBNWCharString& delimiter, unsigned long ulTokenNum,
                    unsigned long ulDelimiters)
{
    if (ulTokenNum == 1)
        return text.subStringAt(token, delimiter, 1, pmForward, false);
    if (ulTokenNum - 1 == ulDelimiters)
        return text.subStringAt(token, delimiter, 1, pmBackward, false);
    unsigned long ulFromEnd = 0;
    return text.convertOccurrence(delimiter, ulTokenNum, pmForward,
                                  ulFromEnd) &&
           text.subStringBetween(token, delimiter, ulTokenNum - 1, delimiter,
                                 ulFromEnd, false, false);
}

bool enclosedToken(const CQBNWCharString& text, CQBNWCharString& token,
                   const CQBNWCharString& delimiter, unsigned long ulTokenNum,
                   unsigned long ulDelimiters)
{
    // Without a closing delimiter there is no token; asking find for it
    // would only log a bad occurrence number when tokenize reaches the end.
    if (ulTokenNum >= ulDelimiters)
        return false;
    unsigned long ulFromEnd = 0;
    return text.convertOccurrence(delimiter, ulTokenNum + 1, pmForward,
                                  ulFromEnd) &&
           text.subStringBetween(token, delimiter, ulTokenNum, delimiter,
                                 ulFromEnd, false, false);
}

bool tokenAt(const CQBNWCharString& text, CQBNWCharString& token,
             const CQBNWCharString& delimiter, unsigned long ulTokenNum,
             unsigned long tokenMode)
{
    const unsigned long ulDelimiters = text.countOccurrences(delimiter);
    if (ulDelimiters == 0)
        return ulTokenNum == 1 && copyInto(token, text);
    if (ulDelimiters < ulTokenNum - 1)
        return false;
    if (tokenMode == tmSeparated)
        return separatedToken(text, token, delimiter, ulTokenNum, ulDelimiters);
    return enclosedToken(text, token, delimiter, ulTokenNum, ulDelimiters);
}

// ---- byte dumps ----

bool writeAsciiCodes(const CQBNWCharString& text, CQBNWCharString& codes)
{
    const unsigned long ulElems = text.getNumElems();
    if (ulElems > ULONG_MAX / (sizeof(unsigned short) * kUnitsPerByte))
        throw CQBNMemAllocException(L"codes", QBN_WCHAR_STRING_PARSE_SOURCE,
                                    __LINE__);
    const unsigned long ulBytes = ulElems * sizeof(unsigned short);
    // The last byte's separator place holds the terminator.
    if (!codes.allocate(ulBytes * kUnitsPerByte))
        return false;
    const unsigned char* pBytes =
        reinterpret_cast<const unsigned char*>(text.getBuffer());
    unsigned short* pOut = codes.getBuffer();
    for (unsigned long ul = 0; ul < ulBytes; ++ul) {
        unsigned short* pCode = pOut + ul * kUnitsPerByte;
        writeDigits(pCode, pBytes[ul], 16, 2);
        if (ul + 1 < ulBytes)
            pCode[2] = L' ';
    }
    return true;
}

// A pair of code units, then one separator; the last pair needs none and a
// lone code unit at the end is ignored.
bool readAsciiCodes(const TextSpan& codes, CQBNBuffer<unsigned char>& bytes)
{
    const unsigned long ulPairs =
        codes.ulLength < 2 ? 0 : (codes.ulLength - 2) / kUnitsPerByte + 1;
    if (ulPairs == 0)
        return true;
    if (!bytes.allocate(ulPairs))
        return false;
    unsigned char* pOut = bytes.getBuffer();
    for (unsigned long ul = 0; ul < ulPairs; ++ul) {
        const TextSpan pair = {codes.pUnits + ul * kUnitsPerByte, 2};
        unsigned long ulByte = 0;
        // One bad pair fails the whole dump: importing corrupt data as
        // shifted or zeroed bytes would go unnoticed.
        if (!parseNumber(pair, nsHex, ulByte))
            throw CQBNBadArgException(
                L"this string",
                L"holds a code that is not a hex byte - nothing converted",
                QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
        pOut[ul] = static_cast<unsigned char>(ulByte & 0xFF);
    }
    return true;
}

} // namespace

// ---- number text construction ----

CQBNWCharString::CQBNWCharString(unsigned long ulValue,
                                 unsigned long numberSystem,
                                 unsigned short usWidth, bool bPrefix)
{
    const bool bBuilt = qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            // Decimal text is that of the value read as a signed long.
            if (numberSystem == nsDecimal)
                return copyInto(*this,
                                CQBNWCharString(static_cast<long>(ulValue)));
            const RadixSystem* pSystem = findRadixSystem(numberSystem);
            if (pSystem == nullptr)
                throw CQBNBadArgException(
                    L"asNumberSystem",
                    L"mode isn't supported, must be hex,bin,or oct",
                    QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
            return writeNumberText(*this, ulValue, *pSystem, usWidth, bPrefix);
        });
    if (!bBuilt)
        throw CQBNBufferInitException(QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__,
                                      true);
}

// ---- sub-strings ----

bool CQBNWCharString::subString(CQBNWCharString& out, unsigned long ulStartPos,
                                unsigned long ulEndPos, bool bIncludeStart,
                                bool bIncludeEnd) const
{
    if (!isValid())
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            if (ulEndPos < ulStartPos)
                throw CQBNBadArgException(
                    L"ulStartPos",
                    L"start position can't be greater than end position - use "
                    L"extractOutside( ) or deleteRange( ) instead",
                    QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
            CQBNWCharString part;
            if (ulStartPos != ulEndPos) {
                // The wrapped range of extractOutside is exactly start to end.
                if (!copyInto(part, *this) ||
                    !part.extractOutside(ulEndPos, ulStartPos, !bIncludeEnd,
                                         !bIncludeStart))
                    return false;
            } else {
                // The terminator and storage past the text are no code units of
                // the text, whatever the flags.
                if (ulStartPos >= getLength())
                    throw CQBNIndexOutOfBoundsException(
                        QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
                if (bIncludeStart || bIncludeEnd)
                    part = CQBNWCharString(
                        static_cast<wchar_t>((*this)[ulStartPos]));
            }
            return copyInto(out, part);
        });
}

bool CQBNWCharString::extractOutside(unsigned long ulStartPos,
                                     unsigned long ulEndPos, bool bRemoveStart,
                                     bool bRemoveEnd)
{
    if (!isValid())
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            const unsigned long ulLength = getLength();
            if (ulStartPos >= ulLength)
                throw CQBNBadArgException(
                    L"ulStartPos",
                    L"start position is past the end of the string",
                    QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
            if (ulEndPos >= ulLength)
                throw CQBNBadArgException(
                    L"ulEndPos", L"end position is past the end of the string",
                    QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
            if (ulStartPos == ulEndPos)
                throw CQBNBadArgException(
                    L"ulEndPos & ulStartPos",
                    L"start and end positions can't be equal",
                    QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
            const unsigned long ulStartCut =
                bRemoveStart ? ulStartPos : ulStartPos + 1;
            const unsigned long ulEndCut = bRemoveEnd ? ulEndPos + 1 : ulEndPos;
            CQBNBuffer<unsigned short> kept;
            const bool bKept =
                ulStartPos < ulEndPos
                    ? appendUnits(kept, *this, 0, ulStartCut) &&
                          appendUnits(kept, *this, ulEndCut, ulLength)
                    : appendUnits(kept, *this, ulEndCut, ulStartCut);
            return bKept && copyInto(*this, CQBNWCharString(kept));
        });
}

bool CQBNWCharString::subStringBetween(CQBNWCharString& out,
                                       const CQBNWCharString& startDelimiter,
                                       unsigned long ulStartOccurrance,
                                       const CQBNWCharString& endDelimiter,
                                       unsigned long ulEndOccurrance,
                                       bool bIncludeStartDelimiter,
                                       bool bIncludeEndDelimiter) const
{
    if (!isValid())
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            // An empty delimiter has no last code unit to count from.
            requireText(startDelimiter, L"startDelimiter");
            requireText(endDelimiter, L"endDelimiter");
            unsigned long ulStart = 0;
            unsigned long ulEnd = 0;
            if (!find(startDelimiter, ulStartOccurrance, pmForward, ulStart) ||
                !find(endDelimiter, ulEndOccurrance, pmBackward, ulEnd))
                return false;
            const unsigned long ulStartLast =
                ulStart + startDelimiter.getLength() - 1;
            const unsigned long ulEndLast =
                ulEnd + endDelimiter.getLength() - 1;
            return subString(out,
                             bIncludeStartDelimiter ? ulStart : ulStartLast,
                             bIncludeEndDelimiter ? ulEndLast : ulEnd,
                             bIncludeStartDelimiter, bIncludeEndDelimiter);
        });
}

bool CQBNWCharString::convertOccurrence(const CQBNWCharString& subString,
                                        unsigned long ulOccurrance,
                                        unsigned long parseMode,
                                        unsigned long& ulConverted) const
{
    if (!isValid())
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            requireText(subString, L"subString");
            if (!isParseMode(parseMode))
                throw CQBNBadArgException(L"parseMode", L"invalid parse mode",
                                          QBN_WCHAR_STRING_PARSE_SOURCE,
                                          __LINE__);
            unsigned long ulPos = 0;
            return find(subString, ulOccurrance, parseMode, ulPos) &&
                   occurrenceAt(subString, ulPos, otherParseMode(parseMode),
                                ulConverted);
        });
}

bool CQBNWCharString::cutAt(const CQBNWCharString& subString,
                            unsigned long ulOccurrance, unsigned long parseMode,
                            bool bExclude)
{
    if (!isValid() || !isParseMode(parseMode))
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            unsigned long ulPos = 0;
            if (!find(subString, ulOccurrance, parseMode, ulPos))
                return false;
            const unsigned long ulSubLength = subString.getLength();
            CQBNWCharString kept;
            const bool bCut =
                parseMode == pmForward
                    ? dropFirst(bExclude ? ulPos + ulSubLength : ulPos, kept)
                    : dropLast(getLength() - ulPos -
                                   (bExclude ? 0 : ulSubLength),
                               kept);
            return bCut && copyInto(*this, kept);
        });
}

bool CQBNWCharString::subStringAt(CQBNWCharString& out,
                                  const CQBNWCharString& subString,
                                  unsigned long ulOccurrance,
                                  unsigned long parseMode, bool bInclude) const
{
    if (!isValid())
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            // cutAt counts from the other end, so the occurrence is renumbered.
            unsigned long ulConverted = 0;
            if (!convertOccurrence(subString, ulOccurrance, parseMode,
                                   ulConverted))
                return false;
            CQBNWCharString piece(*this);
            return piece.cutAt(subString, ulConverted,
                               otherParseMode(parseMode), !bInclude) &&
                   copyInto(out, piece);
        });
}

namespace {

// A token operation on a null text or with a null delimiter fails at once;
// otherwise its body runs under the string code's guard.
template <class Body>
bool guardWithDelimiter(const CQBNWCharString& text,
                        const CQBNWCharString& delimiter, unsigned long ulLine,
                        Body body)
{
    if (!text.isValid() || !delimiter.isValid())
        return false;
    return qbnGuard(false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, ulLine,
                    body);
}

} // namespace

bool CQBNWCharString::getToken(CQBNWCharString& out,
                               const CQBNWCharString& delimiter,
                               unsigned long ulTokenNum,
                               unsigned long tokenMode,
                               const CQBNFlags& partFlags,
                               const CQBNFlags& whitespaceFlags) const
{
    return guardWithDelimiter(*this, delimiter, __LINE__, [&]() {
        if (ulTokenNum == 0)
            throw CQBNBadArgException(L"ulOccurrance",
                                      L"ulOccurrance must be greater than 0",
                                      QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__);
        if (tokenMode != tmSeparated && tokenMode != tmEnclosed)
            return false;
        CQBNWCharString token;
        if (!tokenAt(*this, token, delimiter, ulTokenNum, tokenMode))
            return false;
        // An empty token is a null string and has nothing to trim.
        if (token.isValid() &&
            !token.removeWhitespace(partFlags, whitespaceFlags))
            return false;
        return copyInto(out, token);
    });
}

bool CQBNWCharString::tokenize(CQBNWCharStringList& list,
                               const CQBNWCharString& delimiter,
                               unsigned long tokenMode,
                               const CQBNFlags& partFlags,
                               const CQBNFlags& whitespaceFlags) const
{
    return guardWithDelimiter(*this, delimiter, __LINE__, [&]() {
        list.clear();
        // Enclosed tokens are every other one: the gaps between the pairs
        // are not tokens.
        const unsigned long ulStep = tokenMode == tmEnclosed ? 2 : 1;
        CQBNWCharString token;
        for (unsigned long ulTokenNum = 1;
             getToken(token, delimiter, ulTokenNum, tokenMode, partFlags,
                      whitespaceFlags);
             ulTokenNum += ulStep) {
            const long lKey = static_cast<long>((ulTokenNum - 1) / ulStep);
            if (!list.add(token, lKey)) {
                list.clear();
                break;
            }
        }
        return list.getCount() > 0;
    });
}

// ---- trimming ----

bool CQBNWCharString::trim(wchar_t wcCodeUnit, const CQBNFlags& partFlags,
                           const CQBNFlags& whitespaceFlags)
{
    if (!isValid())
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__, [&]() {
            const TrimSet set = {whitespaceMask(whitespaceFlags),
                                 static_cast<unsigned short>(wcCodeUnit)};
            if (partFlags.hasFlags(tpTrailing)) {
                const TextSpan text = spanOf(*this);
                const unsigned long ulKept =
                    text.ulLength - countTrailing(text, set);
                std::memset(m_pBuffer + ulKept, 0,
                            (text.ulLength - ulKept) * sizeof(unsigned short));
            }
            if (!partFlags.hasFlags(tpLeading))
                return true;
            const unsigned long ulLead = countLeading(spanOf(*this), set);
            if (ulLead == 0)
                return true;
            CQBNWCharString rest;
            return dropFirst(ulLead, rest) && copyInto(*this, rest);
        });
}

bool CQBNWCharString::removeWhitespace(const CQBNFlags& partFlags,
                                       const CQBNFlags& whitespaceFlags)
{
    if (!isValid())
        return false;
    const bool bLeading = partFlags.hasFlags(tpLeading);
    const bool bTrailing = partFlags.hasFlags(tpTrailing);
    const TrimSet set = {whitespaceMask(whitespaceFlags), 0};
    if ((!bLeading && !bTrailing) || set.ulMask == 0)
        return true;
    const TextSpan text = spanOf(*this);
    const unsigned long ulMiddleStart = countLeading(text, set);
    // Nothing but selected whitespace: whichever part is stripped takes all
    // of it, and an empty text is a null string here.
    if (ulMiddleStart == text.ulLength)
        return release();
    const unsigned long ulMiddleEnd = text.ulLength - countTrailing(text, set);
    // Only removals: the kept code units move towards the start in place.
    unsigned long ulKept = 0;
    for (unsigned long ul = 0; ul < text.ulLength; ++ul) {
        const unsigned short usUnit = m_pBuffer[ul];
        const bool bStripHere = ul < ulMiddleStart  ? bLeading
                                : ul >= ulMiddleEnd ? bTrailing
                                                    : bLeading && bTrailing;
        if (!(bStripHere && isTrimmed(set, usUnit)))
            m_pBuffer[ulKept++] = usUnit;
    }
    std::memset(m_pBuffer + ulKept, 0,
                (text.ulLength - ulKept) * sizeof(unsigned short));
    return fitToLength();
}

bool CQBNWCharString::findNonWhitespace(const CQBNFlags& whitespaceFlags,
                                        unsigned long parseMode,
                                        unsigned long& ulPos) const
{
    if (!isValid() || !isParseMode(parseMode))
        return false;
    const TrimSet set = {whitespaceMask(whitespaceFlags), 0};
    const TextSpan text = spanOf(*this);
    const unsigned long ulLead = countLeading(text, set);
    if (ulLead == text.ulLength)
        return false;
    ulPos = parseMode == pmForward
                ? ulLead
                : text.ulLength - 1 - countTrailing(text, set);
    return true;
}

// ---- tests ----

bool CQBNWCharString::isNumber(bool bAllowNegative,
                               bool bAllowDecimalPoint) const
{
    return isValid() &&
           isDecimalText(spanOf(*this), bAllowNegative, bAllowDecimalPoint);
}

bool CQBNWCharString::isBinaryDigits() const
{
    return isValid() && allDigits(spanOf(*this), 2);
}

bool CQBNWCharString::isHexDigits() const
{
    return isValid() && allDigits(spanOf(*this), 16);
}

bool CQBNWCharString::isOctalDigits() const
{
    return isValid() && allDigits(spanOf(*this), 8);
}

bool CQBNWCharString::isBinaryNotation() const
{
    return isNotation(*this, nsBinary);
}

bool CQBNWCharString::isHexNotation() const
{
    return isNotation(*this, nsHex);
}

bool CQBNWCharString::isOctalNotation() const
{
    return isNotation(*this, nsOctal);
}

bool CQBNWCharString::stripNotation()
{
    if (!isValid())
        return false;
    const TextSpan text = spanOf(*this);
    for (const RadixSystem& system : kRadixSystems) {
        TextSpan digits = {nullptr, 0};
        if (!notationDigits(text, system, digits))
            continue;
        // Digits never lie before the markers' place, so moving them to the
        // start and cutting the rest is enough.
        std::memmove(m_pBuffer, digits.pUnits,
                     digits.ulLength * sizeof(unsigned short));
        std::memset(m_pBuffer + digits.ulLength, 0,
                    (text.ulLength - digits.ulLength) * sizeof(unsigned short));
        return fitToLength();
    }
    return false;
}

// ---- numbers and byte dumps ----

bool CQBNWCharString::toNumber(unsigned long& ulValue,
                               unsigned long numberSystem) const
{
    if (!isValid())
        return false;
    return qbnGuard(
        false, esErrno, QBN_WCHAR_STRING_PARSE_SOURCE, __LINE__,
        [&]() { return parseNumber(spanOf(*this), numberSystem, ulValue); });
}

// One allocation and one pass: appending byte by byte would copy the growing
// text again for every byte.
CQBNWCharString CQBNWCharString::getAsciiCodeString() const
{
    CQBNWCharString codes;
    const bool bDone =
        qbnTracedMethod(QBN_METHOD_SITE(kClassName, L"getAsciiCodeString",
                                        QBN_WCHAR_STRING_PARSE_SOURCE),
                        esLastError, [&]() {
                            return isValid() && writeAsciiCodes(*this, codes);
                        });
    if (!bDone)
        codes.release();
    return codes;
}

// Reads the pairs where they lie instead of cutting the text down pair by
// pair, which would copy the rest of it for every byte.
CQBNBuffer<unsigned char> CQBNWCharString::getBufferFromAsciiCodeString() const
{
    CQBNBuffer<unsigned char> bytes;
    const bool bDone = qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getBufferFromAsciiCodeString",
                        QBN_WCHAR_STRING_PARSE_SOURCE),
        esLastError,
        [&]() { return isValid() && readAsciiCodes(spanOf(*this), bytes); });
    if (!bDone)
        bytes.release();
    return bytes;
}

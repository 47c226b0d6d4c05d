#include "qbn_wchar_string.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <limits>

#include "qbn_traced_method.h"
#include "qbn_wchar_string_private.h"

#define QBN_WCHAR_STRING_SOURCE L".\\qbn_wchar_string.cpp"

using qbn_wchar_string_private::copyInto;
using qbn_wchar_string_private::isParseMode;

namespace {

typedef unsigned short Unit;

// The units before the first 0, never reading past the storage: storage
// changed through the buffer interface need not hold a terminator.
unsigned long textLength(const Unit* pUnits, unsigned long ulCount)
{
    if (pUnits == nullptr)
        return 0;
    unsigned long ulLength = 0;
    while (ulLength < ulCount && pUnits[ulLength] != 0)
        ++ulLength;
    return ulLength;
}

bool unitsEqual(const Unit* pLeft, const Unit* pRight, unsigned long ulCount)
{
    return ulCount == 0 ||
           std::memcmp(pLeft, pRight, ulCount * sizeof(Unit)) == 0;
}

// Code units are ordered as numbers; memcmp would order them by their low
// byte first.
int compareUnits(const Unit* pLeft, const Unit* pRight, unsigned long ulCount)
{
    for (unsigned long i = 0; i < ulCount; ++i) {
        if (pLeft[i] != pRight[i])
            return pLeft[i] < pRight[i] ? -1 : 1;
    }
    return 0;
}

[[noreturn]] void throwBadArg(const wchar_t* szArgName, const wchar_t* szReason,
                              unsigned long ulLine)
{
    throw CQBNBadArgException(szArgName, szReason, QBN_WCHAR_STRING_SOURCE,
                              ulLine);
}

// Constructors report every failure, whatever its kind, as the one
// initialisation failure their callers know.
template <class Body>
void convertOrThrow(unsigned long ulLine, Body body)
{
    if (!qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, ulLine, body))
        throw CQBNBufferInitException(QBN_WCHAR_STRING_SOURCE, ulLine, true);
}

// A string that an operation failed to build holds nothing rather than a
// stale text that could pass for the result.
template <class Body>
bool buildInto(CQBNWCharString& out, unsigned long ulLine, Body body)
{
    const bool bBuilt =
        qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, ulLine, body);
    if (!bBuilt)
        out.release();
    return bBuilt;
}

bool bothOrderable(const CQBNWCharString& left, const CQBNWCharString& right,
                   int& iOrder)
{
    if (!left.isValid() || !right.isValid())
        return false;
    const unsigned long ulLength = left.getLength();
    if (ulLength != right.getLength())
        return false;
    iOrder = compareUnits(left.getBuffer(), right.getBuffer(), ulLength);
    return true;
}

// ---- searching ----

// The refusals every search starts with: nothing to search in or for, a
// sub-string longer than the text, or an occurrence number that no text of
// this length can have.
bool canSearch(const CQBNWCharString& text, const CQBNWCharString& subString,
               unsigned long ulOccurrance)
{
    if (!text.isValid() || !subString.isValid())
        return false;
    const unsigned long ulLength = text.getLength();
    if (ulLength < subString.getLength())
        return false;
    if (ulOccurrance > ulLength)
        throwBadArg(L"ulOccurrance",
                    L"value is impossible since it is larger than the length "
                    L"of this string",
                    __LINE__);
    if (ulOccurrance == 0)
        throwBadArg(L"ulOccurrance", L"value must be greater than 0", __LINE__);
    return true;
}

bool matchesAt(const CQBNWCharString& text, unsigned long ulPos,
               const CQBNWCharString& subString, unsigned long ulSubLength)
{
    return unitsEqual(text.getBuffer() + ulPos, subString.getBuffer(),
                      ulSubLength);
}

// Matches starting at positions ulFrom .. ulTo - 1, overlapping ones
// included; counting stops at ulLimit.
unsigned long countMatches(const CQBNWCharString& text,
                           const CQBNWCharString& subString,
                           unsigned long ulSubLength, unsigned long ulFrom,
                           unsigned long ulTo, unsigned long ulLimit)
{
    unsigned long ulFound = 0;
    for (unsigned long ulPos = ulFrom; ulPos < ulTo && ulFound < ulLimit;
         ++ulPos) {
        if (matchesAt(text, ulPos, subString, ulSubLength))
            ++ulFound;
    }
    return ulFound;
}

// Walks the possible start positions from the start or from the end and
// stops at match number ulWanted.
bool findMatch(const CQBNWCharString& text, const CQBNWCharString& subString,
               unsigned long ulWanted, bool bForward, unsigned long& ulPos)
{
    const unsigned long ulSubLength = subString.getLength();
    const unsigned long ulLastStart = text.getLength() - ulSubLength;
    unsigned long ulFound = 0;
    for (unsigned long ulStep = 0; ulStep <= ulLastStart; ++ulStep) {
        const unsigned long ulStart = bForward ? ulStep : ulLastStart - ulStep;
        if (matchesAt(text, ulStart, subString, ulSubLength) &&
            ++ulFound == ulWanted) {
            ulPos = ulStart;
            return true;
        }
    }
    return false;
}

// ---- editing ----

// An edit of one or of the first few occurrences needs at least one, and
// that many present.
void requireOccurrences(unsigned long ulOccurrance, unsigned long ulFound,
                        const wchar_t* szNoneAsked, const wchar_t* szTooFew)
{
    if (ulOccurrance == 0)
        throwBadArg(L"ulOccurrance", szNoneAsked, __LINE__);
    if (ulFound < ulOccurrance)
        throwBadArg(L"ulOccurrance", szTooFew, __LINE__);
}

// How many passes an edit of `subString` in `text` makes and which
// occurrence its first pass takes, after refusing what the mode cannot
// serve; false when there is nothing to edit. Only the complaint about too
// few occurrences in ssmOccur mode differs between the edits.
bool planPasses(const CQBNWCharString& text, const CQBNWCharString& subString,
                unsigned long subStringMode, unsigned long ulOccurrance,
                const wchar_t* szTooFewForOccur, unsigned long& ulFirst,
                unsigned long& ulPasses)
{
    const unsigned long ulFound = text.countOccurrences(subString);
    if (ulFound == 0)
        return false;
    switch (subStringMode) {
    case ssmAll:
        ulFirst = 1;
        ulPasses = ulFound;
        return true;
    case ssmOccur:
        requireOccurrences(ulOccurrance, ulFound,
                           L"ssmOccur mode requires ulOccurrance to be "
                           L"greater than 0",
                           szTooFewForOccur);
        ulFirst = ulOccurrance;
        ulPasses = 1;
        return true;
    case ssmNum:
        requireOccurrences(
            ulOccurrance, ulFound,
            L"ssmNum mode requires ulOccurrance to be greater than 0",
            L"there aren't enough strings to accommodate ulOccurrance");
        ulFirst = 1;
        ulPasses = ulOccurrance;
        return true;
    default:
        throwBadArg(L"subStringMode", L"invalid mode", __LINE__);
    }
    return false;
}

// One removal pass: occurrence ulOccurrance is cut out and the text behind
// it closes the gap in place. The storage keeps its size until the edit
// fits it. A missing occurrence skips the pass.
void cutOccurrence(CQBNWCharString& text, const CQBNWCharString& subString,
                   unsigned long ulOccurrance)
{
    const unsigned long ulLength = text.getLength();
    const unsigned long ulSubLength = subString.getLength();
    unsigned long ulPos = 0;
    if (ulSubLength == 0 ||
        !text.find(subString, ulOccurrance, pmForward, ulPos))
        return;
    Unit* pUnits = text.getBuffer();
    std::memmove(pUnits + ulPos, pUnits + ulPos + ulSubLength,
                 (ulLength - ulPos - ulSubLength) * sizeof(Unit));
    pUnits[ulLength - ulSubLength] = 0;
}

// How far the occurrence number moves on after each replacement, so that
// occurrences inside the inserted text are not replaced again. A new text
// that the old one merely contains holds no occurrence of the old text, so
// nothing is skipped: every occurrence is replaced.
unsigned long occurrencesToSkip(const CQBNWCharString& oldString,
                                const CQBNWCharString& newString)
{
    if (newString.contains(oldString))
        return newString.countOccurrences(oldString);
    return 0;
}

unsigned long addSaturated(unsigned long ulLeft, unsigned long ulRight)
{
    return ulRight > ULONG_MAX - ulLeft ? ULONG_MAX : ulLeft + ulRight;
}

} // namespace

// ---- construction ----

CQBNWCharString::CQBNWCharString() {}

CQBNWCharString::CQBNWCharString(const CQBNWCharString& other)
    : CQBNBuffer<unsigned short>(other)
{
}

CQBNWCharString::CQBNWCharString(const wchar_t* szText)
{
    convertOrThrow(__LINE__, [&]() { return setFromText(szText); });
}

CQBNWCharString::CQBNWCharString(const CQBNBuffer<unsigned short>& buffer)
{
    convertOrThrow(__LINE__, [&]() { return setFromBuffer(buffer); });
}

CQBNWCharString::CQBNWCharString(wchar_t wcCodeUnit)
{
    convertOrThrow(__LINE__, [&]() { return setFromCodeUnit(wcCodeUnit); });
}

CQBNWCharString::CQBNWCharString(int iValue)
{
    convertOrThrow(__LINE__, [&]() { return setFromDecimal(iValue); });
}

CQBNWCharString::CQBNWCharString(long lValue)
{
    convertOrThrow(__LINE__, [&]() { return setFromDecimal(lValue); });
}

bool CQBNWCharString::setFromUnits(const unsigned short* pUnits,
                                   unsigned long ulCount)
{
    if (ulCount == 0)
        return release();
    if (ulCount == ULONG_MAX)
        throw CQBNMemAllocException(L"m_pBuffer", QBN_WCHAR_STRING_SOURCE,
                                    __LINE__);
    CQBNWCharString fresh;
    if (!fresh.allocate(ulCount + 1))
        return false;
    fresh.copyIn(0, pUnits, ulCount);
    takeStorage(fresh);
    return true;
}

bool CQBNWCharString::setFromText(const wchar_t* szText)
{
    if (szText == nullptr)
        return release();
    return setFromUnits(reinterpret_cast<const Unit*>(szText),
                        std::wcslen(szText));
}

// The buffer's units need not end in 0; the text is what precedes the first.
bool CQBNWCharString::setFromBuffer(const CQBNBuffer<unsigned short>& buffer)
{
    return setFromUnits(buffer.getBuffer(),
                        textLength(buffer.getBuffer(), buffer.getNumElems()));
}

// The code unit 0 is no text at all.
bool CQBNWCharString::setFromCodeUnit(wchar_t wcCodeUnit)
{
    const Unit unit = static_cast<Unit>(wcCodeUnit);
    return setFromUnits(&unit, unit == 0 ? 0 : 1);
}

bool CQBNWCharString::setFromDecimal(long lValue)
{
    const unsigned long kMaxUnits =
        std::numeric_limits<unsigned long>::digits10 + 2; // sign + digits
    Unit units[kMaxUnits];
    unsigned long ulStart = kMaxUnits;
    // Negated as unsigned so that the most negative value stays exact.
    unsigned long ulMagnitude = lValue < 0
                                    ? 0UL - static_cast<unsigned long>(lValue)
                                    : static_cast<unsigned long>(lValue);
    do {
        units[--ulStart] = static_cast<Unit>(L'0' + ulMagnitude % 10);
        ulMagnitude /= 10;
    } while (ulMagnitude != 0);
    if (lValue < 0)
        units[--ulStart] = L'-';
    return setFromUnits(units + ulStart, kMaxUnits - ulStart);
}

void CQBNWCharString::takeStorage(CQBNWCharString& other)
{
    std::swap(m_pBuffer, other.m_pBuffer);
    std::swap(m_ulNumElems, other.m_ulNumElems);
}

// ---- assignment ----

CQBNWCharString& CQBNWCharString::operator=(const CQBNWCharString& other)
{
    qbnGuardAction(esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__,
                   [&]() { CQBNBuffer<unsigned short>::operator=(other); });
    return *this;
}

CQBNWCharString& CQBNWCharString::operator=(const wchar_t* szText)
{
    buildInto(*this, __LINE__, [&]() { return setFromText(szText); });
    return *this;
}

CQBNWCharString& CQBNWCharString::operator=(
    const CQBNBuffer<unsigned short>& buffer)
{
    buildInto(*this, __LINE__, [&]() { return setFromBuffer(buffer); });
    return *this;
}

CQBNWCharString& CQBNWCharString::operator=(wchar_t wcCodeUnit)
{
    buildInto(*this, __LINE__, [&]() { return setFromCodeUnit(wcCodeUnit); });
    return *this;
}

// ---- basics ----

// Storage without any terminator is never handed to Windows, which would
// read past its end.
const wchar_t* CQBNWCharString::getText() const
{
    if (!isValid())
        return L"";
    const bool bTerminated =
        m_pBuffer[m_ulNumElems - 1] == 0 || getLength() < m_ulNumElems;
    return bTerminated ? reinterpret_cast<const wchar_t*>(m_pBuffer) : L"";
}

unsigned long CQBNWCharString::getLength() const
{
    return isValid() ? textLength(m_pBuffer, m_ulNumElems) : 0;
}

bool CQBNWCharString::fitToLength()
{
    return qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__, [&]() {
        if (!isValid())
            return false;
        const unsigned long ulLength = getLength();
        if (ulLength == 0)
            return release();
        if (m_ulNumElems == ulLength + 1)
            return true;
        return resize(ulLength + 1);
    });
}

bool CQBNWCharString::toLower()
{
    if (!isValid())
        return false;
    const unsigned long ulLength = getLength();
    for (unsigned long i = 0; i < ulLength; ++i) {
        if (m_pBuffer[i] >= L'A' && m_pBuffer[i] <= L'Z')
            m_pBuffer[i] = static_cast<Unit>(m_pBuffer[i] + (L'a' - L'A'));
    }
    return true;
}

bool CQBNWCharString::reverse()
{
    if (!isValid())
        return false;
    std::reverse(m_pBuffer, m_pBuffer + getLength());
    return true;
}

// ---- comparison ----

bool CQBNWCharString::operator==(const CQBNWCharString& other) const
{
    if (!isValid() || !other.isValid())
        return isValid() == other.isValid();
    const unsigned long ulLength = getLength();
    return ulLength == other.getLength() &&
           unitsEqual(m_pBuffer, other.m_pBuffer, ulLength);
}

bool CQBNWCharString::operator!=(const CQBNWCharString& other) const
{
    return !(*this == other);
}

bool CQBNWCharString::operator<=(const CQBNWCharString& other) const
{
    int iOrder = 0;
    return bothOrderable(*this, other, iOrder) && iOrder <= 0;
}

bool CQBNWCharString::operator>=(const CQBNWCharString& other) const
{
    int iOrder = 0;
    return bothOrderable(*this, other, iOrder) && iOrder >= 0;
}

bool CQBNWCharString::operator<(const CQBNWCharString& other) const
{
    return !(*this >= other);
}

bool CQBNWCharString::operator>(const CQBNWCharString& other) const
{
    return !(*this <= other);
}

// ---- concatenation ----

CQBNWCharString& CQBNWCharString::operator+=(const CQBNWCharString& other)
{
    appendText(other);
    return *this;
}

// The other's whole storage, terminator included, goes in from this
// string's terminator on.
bool CQBNWCharString::appendText(const CQBNWCharString& other)
{
    return qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__, [&]() {
        if (other.getLength() == 0)
            return true;
        return appendAt(other, getLength());
    });
}

CQBNWCharString CQBNWCharString::operator+(const CQBNWCharString& other) const
{
    CQBNWCharString sum;
    qbnGuardAction(esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__, [&]() {
        if (copyInto(sum, *this))
            sum.appendText(other);
    });
    return sum;
}

// ---- searching ----

bool CQBNWCharString::find(const CQBNWCharString& subString,
                           unsigned long ulOccurrance, unsigned long parseMode,
                           unsigned long& ulPos) const
{
    return qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__, [&]() {
        if (!canSearch(*this, subString, ulOccurrance) ||
            !isParseMode(parseMode))
            return false;
        return findMatch(*this, subString, ulOccurrance, parseMode == pmForward,
                         ulPos);
    });
}

// One forward scan. Occurrence numbers beyond the length of the text are
// never asked for, so the count stops there (an empty sub-string matches
// once more than the text has code units).
unsigned long CQBNWCharString::countOccurrences(
    const CQBNWCharString& subString) const
{
    if (!isValid() || !subString.isValid())
        return 0;
    const unsigned long ulLength = getLength();
    const unsigned long ulSubLength = subString.getLength();
    if (ulLength < ulSubLength)
        return 0;
    return countMatches(*this, subString, ulSubLength, 0,
                        ulLength - ulSubLength + 1, ulLength);
}

// The occurrence at ulPos has the number of matches before it (or after it,
// counting from the end) plus one, and only numbers up to the count of
// occurrences are ever tried.
bool CQBNWCharString::occurrenceAt(const CQBNWCharString& subString,
                                   unsigned long ulPos, unsigned long parseMode,
                                   unsigned long& ulOccurrance) const
{
    if (!isValid() || !subString.isValid() || !isParseMode(parseMode))
        return false;
    const unsigned long ulLength = getLength();
    const unsigned long ulSubLength = subString.getLength();
    if (ulLength < ulSubLength)
        return false;
    const unsigned long ulStarts = ulLength - ulSubLength + 1;
    if (ulPos >= ulStarts || !matchesAt(*this, ulPos, subString, ulSubLength))
        return false;
    const unsigned long ulBefore =
        countMatches(*this, subString, ulSubLength, 0, ulPos, ULONG_MAX);
    const unsigned long ulAfter = countMatches(*this, subString, ulSubLength,
                                               ulPos + 1, ulStarts, ULONG_MAX);
    const unsigned long ulCounted = std::min(ulBefore + 1 + ulAfter, ulLength);
    const unsigned long ulNumber =
        (parseMode == pmForward ? ulBefore : ulAfter) + 1;
    if (ulNumber > ulCounted)
        return false;
    ulOccurrance = ulNumber;
    return true;
}

bool CQBNWCharString::contains(const CQBNWCharString& subString) const
{
    unsigned long ulPos = 0;
    return find(subString, 1, pmForward, ulPos);
}

// The first occurrence from the start lies at 0 exactly when the text
// starts with the sub-string, so only that position is compared.
bool CQBNWCharString::beginsWith(const CQBNWCharString& subString) const
{
    return qbnTracedMethod(QBN_METHOD_SITE(L"CQBNWCharString", L"beginsWith",
                                           QBN_WCHAR_STRING_SOURCE),
                           esLastError, rtLogical, [&]() {
                               return canSearch(*this, subString, 1) &&
                                      matchesAt(*this, 0, subString,
                                                subString.getLength());
                           });
}

bool CQBNWCharString::endsWith(const CQBNWCharString& subString) const
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(L"CQBNWCharString", L"endsWith",
                        QBN_WCHAR_STRING_SOURCE),
        esLastError, rtLogical, [&]() {
            if (!canSearch(*this, subString, 1))
                return false;
            const unsigned long ulSubLength = subString.getLength();
            return matchesAt(*this, getLength() - ulSubLength, subString,
                             ulSubLength);
        });
}

// ---- editing ----

bool CQBNWCharString::insert(const CQBNWCharString& string, unsigned long ulPos)
{
    return qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__, [&]() {
        if (!isValid() && ulPos != 0)
            return false;
        if (!string.isValid())
            throwBadArg(L"string", L"can't insert an invalid string", __LINE__);
        const unsigned long ulLength = getLength();
        if (ulPos > ulLength)
            throwBadArg(L"ulPos", L"position is out of string bounds",
                        __LINE__);
        if (ulPos == ulLength)
            return appendText(string);
        // Built aside, so that `string` may be this string itself.
        CQBNWCharString joined;
        CQBNWCharString tail;
        const bool bJoined =
            ulPos == 0
                ? copyInto(joined, string) && joined.appendText(*this)
                : dropLast(ulLength - ulPos, joined) &&
                      dropFirst(ulPos, tail) && joined.appendText(string) &&
                      joined.appendText(tail);
        if (bJoined)
            takeStorage(joined);
        return bJoined;
    });
}

bool CQBNWCharString::removeSubString(const CQBNWCharString& subString,
                                      unsigned long ulOccurrance,
                                      unsigned long subStringMode)
{
    return qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__, [&]() {
        if (!isValid())
            return false;
        unsigned long ulTarget = 0;
        unsigned long ulPasses = 0;
        if (!planPasses(*this, subString, subStringMode, ulOccurrance,
                        L"there aren't enough strings to accommodate "
                        L"ulOccurrance",
                        ulTarget, ulPasses))
            return false;
        for (unsigned long ulPass = 0; ulPass < ulPasses; ++ulPass)
            cutOccurrence(*this, subString, ulTarget);
        return fitToLength();
    });
}

bool CQBNWCharString::replace(const CQBNWCharString& oldString,
                              const CQBNWCharString& newString,
                              unsigned long ulOccurrance,
                              unsigned long subStringMode)
{
    return qbnGuard(false, esErrno, QBN_WCHAR_STRING_SOURCE, __LINE__, [&]() {
        // The arguments are values: one that is this string itself would
        // change under the edit.
        if (&oldString == this || &newString == this) {
            const CQBNWCharString oldCopy(oldString);
            const CQBNWCharString newCopy(newString);
            return replace(oldCopy, newCopy, ulOccurrance, subStringMode);
        }
        if (!isValid())
            return false;
        if (!oldString.isValid())
            throwBadArg(L"oldString", L"string is invalid", __LINE__);
        unsigned long ulTarget = 0;
        unsigned long ulPasses = 0;
        if (!planPasses(*this, oldString, subStringMode, ulOccurrance,
                        L"occurrance is out of bounds", ulTarget, ulPasses))
            return false;
        const unsigned long ulSkip = occurrencesToSkip(oldString, newString);
        for (unsigned long ulPass = 0; ulPass < ulPasses; ++ulPass) {
            unsigned long ulPos = 0;
            if (!find(oldString, ulTarget, pmForward, ulPos) ||
                !removeSubString(oldString, ulTarget, ssmOccur))
                return false;
            ulTarget = addSaturated(ulTarget, ulSkip);
            if (newString.isValid() && !insert(newString, ulPos))
                return false;
        }
        return true;
    });
}

CQBNWCharString& CQBNWCharString::dropFirst(unsigned long ulCount)
{
    keepUnits(*this, ulCount, true);
    return *this;
}

CQBNWCharString& CQBNWCharString::dropLast(unsigned long ulCount)
{
    keepUnits(*this, ulCount, false);
    return *this;
}

bool CQBNWCharString::dropFirst(unsigned long ulCount,
                                CQBNWCharString& out) const
{
    return keepUnits(out, ulCount, true);
}

bool CQBNWCharString::dropLast(unsigned long ulCount,
                               CQBNWCharString& out) const
{
    return keepUnits(out, ulCount, false);
}

// Dropping nothing copies the storage as it is; dropping everything leaves
// a null string.
bool CQBNWCharString::keepUnits(CQBNWCharString& out, unsigned long ulDrop,
                                bool bDropFromStart) const
{
    return buildInto(out, __LINE__, [&]() {
        const unsigned long ulLength = getLength();
        if (ulDrop == 0)
            return copyInto(out, *this);
        if (ulDrop >= ulLength)
            return out.release();
        return out.setFromUnits(m_pBuffer + (bDropFromStart ? ulDrop : 0),
                                ulLength - ulDrop);
    });
}

// The library's text type: UTF-16 code units ending in a 0 code unit, held in
// an owned buffer. A null string (no storage) differs from a valid string of
// length 0. Code units are compared as numbers: no locale, no case folding.
//
// Editing and searching live in qbn_wchar_string.cpp; taking texts apart and
// converting them to and from numbers in qbn_wchar_string_parse.cpp.
#ifndef QBN_WCHAR_STRING_H
#define QBN_WCHAR_STRING_H

#include "qbn_buffer.h"
#include "qbn_flags.h"

template <class TNode>
class CQBNDblList;
template <class T>
class CQBNObjNode;
class CQBNWCharString;
typedef CQBNDblList<CQBNObjNode<CQBNWCharString>> CQBNWCharStringList;

// Occurrences are counted from the start or from the end of the text.
enum CQBNParseMode : unsigned long { pmForward = 1, pmBackward = 2 };

// Which occurrences an edit applies to.
enum CQBNSubStringMode : unsigned long { ssmAll = 1, ssmOccur = 2, ssmNum = 4 };

enum CQBNNumberSystem : unsigned long {
    nsHex = 1,
    nsBinary = 2,
    nsOctal = 4,
    nsDecimal = 8
};

enum CQBNTokenMode : unsigned long { tmSeparated = 1, tmEnclosed = 2 };

// Whitespace selection for trimming: bit i selects entry i of a fixed table.
enum CQBNWhitespace : unsigned long {
    wsSpace = 0x01,
    wsTab = 0x02,
    wsFormFeed = 0x04,
    wsBell = 0x08,
    wsLineFeed = 0x10,
    wsBackspace = 0x20,
    wsCarriageReturn = 0x40,
    wsVerticalTab = 0x80,
    wsAll = 0xFF
};

// Which parts of a text trimming applies to.
enum CQBNTextPart : unsigned long {
    tpLeading = 0x01,
    tpTrailing = 0x02,
    tpBoth = 0x03
};

class CQBNWCharString : public CQBNBuffer<unsigned short> {
public:
    // ---- construction and assignment ----
    CQBNWCharString();
    CQBNWCharString(const CQBNWCharString& other);
    CQBNWCharString(const wchar_t* szText);
    explicit CQBNWCharString(const CQBNBuffer<unsigned short>& buffer);
    explicit CQBNWCharString(wchar_t wcCodeUnit);
    explicit CQBNWCharString(int iValue);
    explicit CQBNWCharString(long lValue);
    // Number text in a number system (see asNumberSystem in the parser).
    CQBNWCharString(unsigned long ulValue, unsigned long numberSystem,
                    unsigned short usWidth, bool bPrefix);

    CQBNWCharString& operator=(const CQBNWCharString& other);
    CQBNWCharString& operator=(const wchar_t* szText);
    CQBNWCharString& operator=(const CQBNBuffer<unsigned short>& buffer);
    CQBNWCharString& operator=(wchar_t wcCodeUnit);

    // The text for Windows calls: never null, "" for a null string.
    const wchar_t* getText() const;

    // ---- basics ----
    unsigned long getLength() const;
    bool fitToLength();
    bool toLower();
    bool reverse();

    // ---- comparison: the ordering operators order texts of equal length
    // only, so two texts of different lengths are both < and > each other.
    bool operator==(const CQBNWCharString& other) const;
    bool operator!=(const CQBNWCharString& other) const;
    bool operator<=(const CQBNWCharString& other) const;
    bool operator>=(const CQBNWCharString& other) const;
    bool operator<(const CQBNWCharString& other) const;
    bool operator>(const CQBNWCharString& other) const;

    // ---- concatenation ----
    CQBNWCharString& operator+=(const CQBNWCharString& other);
    CQBNWCharString operator+(const CQBNWCharString& other) const;

    // ---- searching (occurrence numbers count from 1) ----
    bool find(const CQBNWCharString& subString, unsigned long ulOccurrance,
              unsigned long parseMode, unsigned long& ulPos) const;
    unsigned long countOccurrences(const CQBNWCharString& subString) const;
    bool occurrenceAt(const CQBNWCharString& subString, unsigned long ulPos,
                      unsigned long parseMode,
                      unsigned long& ulOccurrance) const;
    bool contains(const CQBNWCharString& subString) const;
    bool beginsWith(const CQBNWCharString& subString) const;
    bool endsWith(const CQBNWCharString& subString) const;

    // ---- editing ----
    bool insert(const CQBNWCharString& string, unsigned long ulPos);
    bool removeSubString(const CQBNWCharString& subString,
                         unsigned long ulOccurrance,
                         unsigned long subStringMode);
    bool replace(const CQBNWCharString& oldString,
                 const CQBNWCharString& newString, unsigned long ulOccurrance,
                 unsigned long subStringMode);
    CQBNWCharString& dropFirst(unsigned long ulCount);
    CQBNWCharString& dropLast(unsigned long ulCount);
    // Copy forms: the shortened text goes to `out`, this string is left
    // unchanged.
    bool dropFirst(unsigned long ulCount, CQBNWCharString& out) const;
    bool dropLast(unsigned long ulCount, CQBNWCharString& out) const;

    // ---- sub-strings (positions count from 0) ----
    bool subString(CQBNWCharString& out, unsigned long ulStartPos,
                   unsigned long ulEndPos, bool bIncludeStart,
                   bool bIncludeEnd) const;
    bool extractOutside(unsigned long ulStartPos, unsigned long ulEndPos,
                        bool bRemoveStart, bool bRemoveEnd);
    bool subStringBetween(CQBNWCharString& out,
                          const CQBNWCharString& startDelimiter,
                          unsigned long ulStartOccurrance,
                          const CQBNWCharString& endDelimiter,
                          unsigned long ulEndOccurrance,
                          bool bIncludeStartDelimiter,
                          bool bIncludeEndDelimiter) const;
    bool convertOccurrence(const CQBNWCharString& subString,
                           unsigned long ulOccurrance, unsigned long parseMode,
                           unsigned long& ulConverted) const;
    bool cutAt(const CQBNWCharString& subString, unsigned long ulOccurrance,
               unsigned long parseMode, bool bExclude);
    bool subStringAt(CQBNWCharString& out, const CQBNWCharString& subString,
                     unsigned long ulOccurrance, unsigned long parseMode,
                     bool bInclude) const;
    bool getToken(CQBNWCharString& out, const CQBNWCharString& delimiter,
                  unsigned long ulTokenNum, unsigned long tokenMode,
                  const CQBNFlags& partFlags,
                  const CQBNFlags& whitespaceFlags) const;
    bool tokenize(CQBNWCharStringList& list, const CQBNWCharString& delimiter,
                  unsigned long tokenMode, const CQBNFlags& partFlags,
                  const CQBNFlags& whitespaceFlags) const;

    // ---- trimming and tests ----
    bool trim(wchar_t wcCodeUnit, const CQBNFlags& partFlags,
              const CQBNFlags& whitespaceFlags);
    bool removeWhitespace(const CQBNFlags& partFlags,
                          const CQBNFlags& whitespaceFlags);
    bool findNonWhitespace(const CQBNFlags& whitespaceFlags,
                           unsigned long parseMode, unsigned long& ulPos) const;
    bool isNumber(bool bAllowNegative, bool bAllowDecimalPoint) const;
    bool isBinaryDigits() const;
    bool isHexDigits() const;
    bool isOctalDigits() const;
    bool isBinaryNotation() const;
    bool isHexNotation() const;
    bool isOctalNotation() const;
    bool stripNotation();

    // ---- numbers and byte dumps ----
    bool toNumber(unsigned long& ulValue, unsigned long numberSystem) const;
    // Every byte of the storage as two upper-case hex digits, space separated.
    CQBNWCharString getAsciiCodeString() const;
    CQBNBuffer<unsigned char> getBufferFromAsciiCodeString() const;

private:
    // Conversions shared by the constructors and the assignments. Each builds
    // fresh storage before the old storage is let go, so a source that lies
    // inside this string's own storage is still read intact.
    bool setFromUnits(const unsigned short* pUnits, unsigned long ulCount);
    bool setFromText(const wchar_t* szText);
    bool setFromBuffer(const CQBNBuffer<unsigned short>& buffer);
    bool setFromCodeUnit(wchar_t wcCodeUnit);
    bool setFromDecimal(long lValue);
    // Moves the other's storage here and this string's old storage there,
    // where its destructor wipes it.
    void takeStorage(CQBNWCharString& other);
    // operator+= with an outcome, for the edits that must report failure.
    bool appendText(const CQBNWCharString& other);
    // What both drop forms hand out: the text less ulDrop code units taken
    // from the start or from the end.
    bool keepUnits(CQBNWCharString& out, unsigned long ulDrop,
                   bool bDropFromStart) const;
};

#endif

#include "qbn_profile_file_reader.h"

#include <cwchar>
#include <string>
#include <unordered_map>

#include "qbn_profile_file_writer.h"
#include "qbn_scoped_handle.h"

namespace {

// The growing reads through the profile functions give up on blocks past
// 0x08000000 characters and import nothing; a file below half as many
// bytes never comes near, whatever its code page.
const LONGLONG kMaxFileBytes = 0x04000000;

const wchar_t kSectionStart = L'[';
const wchar_t kSectionEnd = L']';
const wchar_t kComment = L';';
const wchar_t kKeyEnd = L'=';

bool hasByteOrderMark(const unsigned char* pBytes, unsigned long ulCount)
{
    const bool bUtf16 =
        ulCount >= 2 && ((pBytes[0] == 0xFF && pBytes[1] == 0xFE) ||
                         (pBytes[0] == 0xFE && pBytes[1] == 0xFF));
    const bool bUtf8 = ulCount >= 3 && pBytes[0] == 0xEF && pBytes[1] == 0xBB &&
                       pBytes[2] == 0xBF;
    return bUtf16 || bUtf8;
}

// Space that one reader of the format or another trims from the ends of a
// line, a key or a value: ASCII blanks, and for some the spaces beyond
// ASCII as well.
bool isBlank(wchar_t wcUnit)
{
    if (wcUnit == L' ' || wcUnit == L'\t')
        return true;
    if (wcUnit < 0x80)
        return false;
    WORD wType = 0;
    return !GetStringTypeW(CT_CTYPE1, &wcUnit, 1, &wType) ||
           (wType & C1_SPACE) != 0;
}

// Characters that some reader may take for the end of a line or a space
// anywhere: control characters other than the tab, and the Unicode line
// and paragraph separators.
bool endsLineForSome(wchar_t wcUnit)
{
    return (wcUnit < 0x20 && wcUnit != L'\t') || wcUnit == 0x85 ||
           wcUnit == 0x2028 || wcUnit == 0x2029;
}

wchar_t asciiLower(wchar_t wcUnit)
{
    return wcUnit >= L'A' && wcUnit <= L'Z'
               ? static_cast<wchar_t>(wcUnit - L'A' + L'a')
               : wcUnit;
}

// Section names are compared ignoring case, by rules that differ between
// systems beyond ASCII: the Kelvin sign lowers to k, the long s uppers to
// S, the dotted and dotless i cross to i. Every character that may match
// one beyond ASCII is one wildcard here, the other letters are lowered, so
// that names which could be one name share a bucket.
const wchar_t kWildcard = 0xFFFF;

std::wstring bucketOf(const CQBNProfileFileReader::CTextSpan& name)
{
    std::wstring bucket(name.pUnits, name.ulLength);
    for (wchar_t& wcUnit : bucket) {
        const wchar_t wcLower = asciiLower(wcUnit);
        if (wcUnit >= 0x80 || wcLower == L'k' || wcLower == L's' ||
            wcLower == L'i')
            wcUnit = kWildcard;
        else
            wcUnit = wcLower;
    }
    return bucket;
}

// Two names of one bucket are surely two names only where both hold ASCII
// characters that differ even ignoring case.
bool surelyDiffer(const CQBNProfileFileReader::CTextSpan& first,
                  const CQBNProfileFileReader::CTextSpan& second)
{
    for (unsigned long ul = 0; ul < first.ulLength; ++ul) {
        const wchar_t a = first.pUnits[ul];
        const wchar_t b = second.pUnits[ul];
        if (a < 0x80 && b < 0x80 && asciiLower(a) != asciiLower(b))
            return true;
    }
    return false;
}

} // namespace

CQBNProfileFileReader::CQBNProfileFileReader() : m_ulTextLength(0) {}

bool CQBNProfileFileReader::read(const wchar_t* szPath)
{
    m_sections.clear();
    if (loadText(szPath) && splitLines() && namesAreDistinct())
        return true;
    m_sections.clear();
    return false;
}

// The profile functions convert a file without a byte-order mark from the
// ANSI code page, all of it at once; so does this.
bool CQBNProfileFileReader::loadText(const wchar_t* szPath)
{
    m_ulTextLength = 0;
    if (!CQBNProfileFileWriter::isFullPath(szPath))
        return false;
    const CQBNScopedHandle file(
        CreateFileW(szPath, GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.isValid() || !GetFileSizeEx(file.get(), &size) ||
        size.QuadPart >= kMaxFileBytes)
        return false;
    const unsigned long ulBytes = static_cast<unsigned long>(size.QuadPart);
    if (ulBytes == 0)
        return true;
    CQBNBuffer<unsigned char> bytes(ulBytes);
    DWORD dwRead = 0;
    if (!ReadFile(file.get(), bytes.getBuffer(), ulBytes, &dwRead, nullptr) ||
        dwRead != ulBytes || hasByteOrderMark(bytes.getBuffer(), ulBytes))
        return false;
    const char* pBytes = reinterpret_cast<const char*>(bytes.getBuffer());
    const int iBytes = static_cast<int>(ulBytes);
    const int iUnits =
        MultiByteToWideChar(CP_ACP, 0, pBytes, iBytes, nullptr, 0);
    if (iUnits <= 0 || !m_text.allocate(static_cast<unsigned long>(iUnits)))
        return false;
    m_ulTextLength = static_cast<unsigned long>(MultiByteToWideChar(
        CP_ACP, 0, pBytes, iBytes,
        reinterpret_cast<wchar_t*>(m_text.getBuffer()), iUnits));
    return m_ulTextLength == static_cast<unsigned long>(iUnits);
}

// A line ends at LF or at CR LF. A CR of its own ends a line for some
// readers and not for others.
bool CQBNProfileFileReader::splitLines()
{
    const wchar_t* pText = reinterpret_cast<const wchar_t*>(m_text.getBuffer());
    unsigned long ulStart = 0;
    for (unsigned long ul = 0; ul <= m_ulTextLength; ++ul) {
        const bool bEnd = ul == m_ulTextLength;
        if (!bEnd && pText[ul] == L'\r' &&
            (ul + 1 == m_ulTextLength || pText[ul + 1] != L'\n'))
            return false;
        if (!bEnd && pText[ul] != L'\n' && pText[ul] != L'\r' &&
            endsLineForSome(pText[ul]))
            return false;
        if (!bEnd && pText[ul] != L'\n')
            continue;
        const unsigned long ulEnd =
            ul > ulStart && pText[ul - 1] == L'\r' ? ul - 1 : ul;
        if (!takeLine(pText + ulStart, ulEnd - ulStart))
            return false;
        ulStart = ul + 1;
    }
    return true;
}

// Spaces around a line, around its "=", or inside a header's brackets are
// trimmed by the profile functions; a ";" starts a comment, which they
// skip. Such lines are left to them.
bool CQBNProfileFileReader::takeLine(const wchar_t* pLine,
                                     unsigned long ulLength)
{
    if (ulLength == 0)
        return true;
    if (isBlank(pLine[0]) || isBlank(pLine[ulLength - 1]) ||
        pLine[0] == kComment)
        return false;
    if (pLine[0] == kSectionStart)
        return takeHeader(pLine, ulLength);
    const wchar_t* pKeyEnd = std::wmemchr(pLine, kKeyEnd, ulLength);
    if (pKeyEnd == nullptr || pKeyEnd == pLine || isBlank(pKeyEnd[-1]) ||
        (pKeyEnd + 1 < pLine + ulLength && isBlank(pKeyEnd[1])))
        return false;
    if (!m_sections.empty())
        m_sections.back().lines.push_back(CTextSpan{pLine, ulLength});
    return true;
}

// "[name]" and nothing else; readers differ over a "]" inside the name.
bool CQBNProfileFileReader::takeHeader(const wchar_t* pLine,
                                       unsigned long ulLength)
{
    if (ulLength < 3 || pLine[ulLength - 1] != kSectionEnd)
        return false;
    const CTextSpan name = {pLine + 1, ulLength - 2};
    if (isBlank(name.pUnits[0]) || isBlank(name.pUnits[name.ulLength - 1]) ||
        std::wmemchr(name.pUnits, kSectionEnd, name.ulLength) != nullptr)
        return false;
    m_sections.push_back(CSection{name, {}});
    return true;
}

// Asked for a section, the profile functions give the first one whose name
// matches ignoring case; a file with two such sections is left to them.
bool CQBNProfileFileReader::namesAreDistinct() const
{
    std::unordered_map<std::wstring, std::vector<size_t>> buckets;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        std::vector<size_t>& bucket = buckets[bucketOf(m_sections[i].name)];
        for (const size_t earlier : bucket)
            if (!surelyDiffer(m_sections[earlier].name, m_sections[i].name))
                return false;
        bucket.push_back(i);
    }
    return true;
}

#include "qbn_ini.h"

#include <windows.h>

#include <cstring>

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"

#define QBN_INI_SOURCE L".\\qbn_ini.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNIni";

// Windows answers the buffer size less one for a value it had to cut short
// (less two for a cut-short list), and the text then is only the start of
// the value. Both counts are refused, so the longest value read whole is
// 1021 characters.
const unsigned long kStringChars = 1024;
const DWORD kStringCutShort = kStringChars - 1;
const DWORD kStringCutShortToo = kStringChars - 2;
const wchar_t kNotFound[] = L"Not Found";

// Sections and section names come back as one block of 0-ended entries; a
// count of the buffer size less two means the block was cut short, and its
// last entry then lacks its 0. Windows never answers more than that, but a
// larger count is refused too rather than walked past the buffer.
const unsigned long kSectionChars = 32767;
const DWORD kSectionCutShortBy = 2;
// Where a growing read gives up: a 32-bit process runs out of memory for
// the buffer long before a block of this size.
const unsigned long kMaxSectionChars = 0x08000000;

// Read back as 4294967295 both for a missing key and for a stored -1.
const UINT kNoInt = 0xFFFFFFFFu;

// An empty name is reported as absent ("Unknown") in the log.
const wchar_t* nameOrNull(const CQBNWCharString& name)
{
    return name.getLength() != 0 ? name.getText() : nullptr;
}

wchar_t* wideUnits(CQBNBuffer<unsigned short>& buffer)
{
    return reinterpret_cast<wchar_t*>(buffer.getBuffer());
}

// Windows terminates what it writes, but the buffer is closed off here as
// well so that nothing past it is ever read as text.
void terminateAt(CQBNBuffer<unsigned short>& buffer, DWORD dwCount)
{
    const unsigned long ulLast = buffer.getNumElems() - 1;
    buffer.getBuffer()[dwCount < ulLast ? dwCount : ulLast] = 0;
}

// Splits the first dwCount characters of a block of 0-ended entries into
// `entries`, in order. Text after the last 0 within the count is not a
// whole entry and is left out; so are empty entries.
bool splitEntries(const CQBNBuffer<unsigned short>& buffer, DWORD dwCount,
                  CQBNWCharStringList& entries)
{
    const unsigned short* pUnits = buffer.getBuffer();
    unsigned long ulStart = 0;
    long lKey = 0;
    for (unsigned long ulAt = 0; ulAt < dwCount; ++ulAt) {
        if (pUnits[ulAt] != 0)
            continue;
        if (ulAt > ulStart) {
            const CQBNWCharString entry(
                reinterpret_cast<const wchar_t*>(pUnits + ulStart));
            if (!entries.add(entry, lKey++))
                return false;
        }
        ulStart = ulAt + 1;
    }
    return true;
}

// Reads a block with `read`(buffer, size) into `buffer` and answers its
// count, or 0 for a block that was cut short. A growing read doubles the
// buffer instead, until the block fits.
template <class Read>
DWORD readBlock(CQBNBuffer<unsigned short>& buffer, bool bGrow, Read read)
{
    for (unsigned long ulChars = kSectionChars;; ulChars *= 2) {
        if (!buffer.allocate(ulChars))
            throw CQBNBufferInitException(QBN_INI_SOURCE, __LINE__, true);
        const DWORD dwCount = read(wideUnits(buffer), ulChars);
        if (dwCount < ulChars - kSectionCutShortBy)
            return dwCount;
        if (!bGrow || ulChars > kMaxSectionChars / 2)
            return 0;
    }
}

// Reads a block and hands its entries to `list`. The list is only replaced
// once the whole block has been read and split.
template <class Read>
bool readEntries(CQBNWCharStringList& list, bool bGrow, Read read)
{
    CQBNBuffer<unsigned short> buffer;
    const DWORD dwCount = readBlock(buffer, bGrow, read);
    if (dwCount == 0)
        return false;
    terminateAt(buffer, dwCount);
    CQBNWCharStringList entries;
    if (!splitEntries(buffer, dwCount, entries) || entries.getCount() == 0)
        return false;
    list = entries;
    return list.getCount() == entries.getCount();
}

// Hands every line to `visit`. An empty line would end the block early and
// silently drop the lines after it, so it is refused.
template <class Visit>
bool visitLines(CQBNWCharStringList& lines, Visit visit)
{
    for (bool bMore = lines.moveFirst(); bMore; bMore = lines.moveNext()) {
        CQBNWCharString line;
        if (!lines.getCurrent(line))
            return false;
        if (line.getLength() == 0)
            throw CQBNBadArgException(L"lines",
                                      L"an empty line would end the section",
                                      QBN_INI_SOURCE, __LINE__);
        visit(line);
    }
    return true;
}

// The block Windows takes for a whole section: every line with its 0, then
// one more 0. The buffer starts zero-filled, so only the texts are copied.
bool buildBlock(CQBNWCharStringList& lines, CQBNBuffer<unsigned short>& block)
{
    if (lines.getCount() == 0)
        throw CQBNBadArgException(L"lines",
                                  L"a section without lines would be deleted",
                                  QBN_INI_SOURCE, __LINE__);
    unsigned long ulUnits = 1;
    if (!visitLines(lines, [&](const CQBNWCharString& line) {
            ulUnits += line.getLength() + 1;
        }))
        return false;
    if (!block.allocate(ulUnits))
        throw CQBNBufferInitException(QBN_INI_SOURCE, __LINE__, true);
    unsigned long ulOffset = 0;
    return visitLines(lines, [&](const CQBNWCharString& line) {
        std::memcpy(block.getBuffer() + ulOffset, line.getText(),
                    line.getLength() * sizeof(wchar_t));
        ulOffset += line.getLength() + 1;
    });
}

} // namespace

CQBNIni::CQBNIni(CQBNWCharString szIniPath) : m_szIniPath(szIniPath)
{
    CQBNTraceScope trace(kClassName, L"CQBNIni", QBN_INI_SOURCE, __LINE__);
}

CQBNIni::~CQBNIni()
{
    CQBNTraceScope trace(kClassName, L"~CQBNIni", QBN_INI_SOURCE, __LINE__);
}

// Windows deletes a section, lines and all, when it is written with no
// lines, so a section that already has lines is left as it is: creating
// must never destroy what is there.
bool CQBNIni::createProfileSection(const CQBNWCharString& section)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"createProfileSection", QBN_INI_SOURCE),
        esLastError, [&]() {
            if (hasSection(section))
                return true;
            if (!WritePrivateProfileSectionW(section.getText(), nullptr,
                                             m_szIniPath.getText()))
                throw CQBNWritePrivateProfileSectionException(
                    nameOrNull(section), GetLastError(), QBN_INI_SOURCE,
                    __LINE__);
            return true;
        });
}

// Only whether the section has any line matters, so a few characters
// suffice: a section that does not fit still answers a non-zero count.
bool CQBNIni::hasSection(const CQBNWCharString& section)
{
    wchar_t szProbe[4] = {};
    return GetPrivateProfileSectionW(section.getText(), szProbe, 4,
                                     m_szIniPath.getText()) != 0;
}

bool CQBNIni::getProfileInt(const CQBNWCharString& section,
                            const CQBNWCharString& keyName,
                            unsigned long& ulValue)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getProfileInt", QBN_INI_SOURCE),
        esLastError, [&]() {
            const UINT uRead = GetPrivateProfileIntW(
                section.getText(), keyName.getText(), static_cast<INT>(kNoInt),
                m_szIniPath.getText());
            if (uRead == kNoInt)
                throw CQBNLogException1(L"GetPrivateProfileInt( ) failed.",
                                        GetLastError(), QBN_INI_SOURCE,
                                        __LINE__);
            ulValue = uRead;
            return true;
        });
}

bool CQBNIni::getProfileString(const CQBNWCharString& section,
                               const CQBNWCharString& keyName,
                               CQBNWCharString& value)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getProfileString", QBN_INI_SOURCE),
        esLastError, [&]() {
            CQBNBuffer<unsigned short> buffer(kStringChars);
            const DWORD dwLength = GetPrivateProfileStringW(
                section.getText(), keyName.getText(), kNotFound,
                wideUnits(buffer), kStringChars, m_szIniPath.getText());
            if (dwLength == 0 || dwLength == kStringCutShort ||
                dwLength == kStringCutShortToo)
                return false;
            terminateAt(buffer, dwLength);
            const CQBNWCharString text(buffer);
            if (text == CQBNWCharString(kNotFound))
                return false;
            value = text;
            return true;
        });
}

bool CQBNIni::getProfileSection(const CQBNWCharString& section,
                                CQBNWCharStringList& list)
{
    return readSection(L"getProfileSection", section, list, false);
}

bool CQBNIni::getWholeProfileSection(const CQBNWCharString& section,
                                     CQBNWCharStringList& list)
{
    return readSection(L"getWholeProfileSection", section, list, true);
}

bool CQBNIni::readSection(const wchar_t* szMethodName,
                          const CQBNWCharString& section,
                          CQBNWCharStringList& list, bool bGrow)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, szMethodName, QBN_INI_SOURCE), esLastError,
        [&]() {
            return readEntries(list, bGrow, [&](wchar_t* pUnits, DWORD dwSize) {
                return GetPrivateProfileSectionW(section.getText(), pUnits,
                                                 dwSize, m_szIniPath.getText());
            });
        });
}

bool CQBNIni::getProfileSectionNames(CQBNWCharStringList& list)
{
    return readSectionNames(L"getProfileSectionNames", list, false);
}

bool CQBNIni::getWholeProfileSectionNames(CQBNWCharStringList& list)
{
    return readSectionNames(L"getWholeProfileSectionNames", list, true);
}

bool CQBNIni::readSectionNames(const wchar_t* szMethodName,
                               CQBNWCharStringList& list, bool bGrow)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, szMethodName, QBN_INI_SOURCE), esLastError,
        [&]() {
            return readEntries(list, bGrow, [&](wchar_t* pUnits, DWORD dwSize) {
                return GetPrivateProfileSectionNamesW(pUnits, dwSize,
                                                      m_szIniPath.getText());
            });
        });
}

// The value is written as the signed number it reads as, the form that
// GetPrivateProfileInt reads back.
bool CQBNIni::setProfileInt(const CQBNWCharString& section,
                            const CQBNWCharString& keyName,
                            unsigned long ulValue)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"setProfileInt", QBN_INI_SOURCE),
        esLastError, [&]() {
            writeString(section, keyName,
                        CQBNWCharString(static_cast<long>(ulValue)));
            return true;
        });
}

bool CQBNIni::setProfileString(const CQBNWCharString& section,
                               const CQBNWCharString& keyName,
                               const CQBNWCharString& value)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"setProfileString", QBN_INI_SOURCE),
        esLastError, [&]() {
            writeString(section, keyName, value);
            return true;
        });
}

bool CQBNIni::setProfileSection(const CQBNWCharString& section,
                                CQBNWCharStringList& lines)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"setProfileSection", QBN_INI_SOURCE),
        esLastError, [&]() {
            CQBNBuffer<unsigned short> block;
            if (!buildBlock(lines, block))
                return false;
            if (!WritePrivateProfileSectionW(
                    section.getText(), wideUnits(block), m_szIniPath.getText()))
                throw CQBNWritePrivateProfileSectionException(
                    nameOrNull(section), GetLastError(), QBN_INI_SOURCE,
                    __LINE__);
            return true;
        });
}

// Names and values always go to Windows as text, never as null: a null key
// or value would make Windows delete the section or the key instead.
void CQBNIni::writeString(const CQBNWCharString& section,
                          const CQBNWCharString& keyName,
                          const CQBNWCharString& value)
{
    if (!WritePrivateProfileStringW(section.getText(), keyName.getText(),
                                    value.getText(), m_szIniPath.getText()))
        throw CQBNWritePrivateProfileStringException(
            nameOrNull(section), nameOrNull(keyName), GetLastError(),
            QBN_INI_SOURCE, __LINE__);
}

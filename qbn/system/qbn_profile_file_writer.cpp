#include "qbn_profile_file_writer.h"

#include <cwchar>

#include "qbn_buffer.h"

namespace {

const wchar_t kSectionStart = L'[';
const wchar_t kSectionEnd = L']';
const wchar_t kKeyEnd = L'=';
const wchar_t kLineEnd[] = L"\r\n";
const unsigned long kLineEndLength = 2;

// Appends units to a buffer sized beforehand.
class CUnitsOut {
public:
    explicit CUnitsOut(CQBNBuffer<unsigned short>& units)
        : m_pOut(reinterpret_cast<wchar_t*>(units.getBuffer()))
    {
    }

    void put(const wchar_t* pUnits, unsigned long ulCount)
    {
        std::wmemcpy(m_pOut, pUnits, ulCount);
        m_pOut += ulCount;
    }
    void put(wchar_t wcUnit) { *m_pOut++ = wcUnit; }
    void put(const CQBNWCharString& text)
    {
        put(text.getText(), text.getLength());
    }

private:
    wchar_t* m_pOut;
};

unsigned long sectionLength(const CQBNWCharString& section,
                            const CQBNProfileLines& lines)
{
    unsigned long ulLength = 1 + section.getLength() + 1 + kLineEndLength;
    for (const CQBNProfileLine& line : lines)
        ulLength +=
            line.key.getLength() + 1 + line.value.getLength() + kLineEndLength;
    return ulLength;
}

bool isPathSeparator(wchar_t wcUnit)
{
    return wcUnit == L'\\' || wcUnit == L'/';
}

} // namespace

CQBNProfileFileWriter::CQBNProfileFileWriter() {}

CQBNProfileFileWriter::~CQBNProfileFileWriter()
{
    close();
}

// The profile functions take a name of MAX_PATH characters or more for no
// file at all.
bool CQBNProfileFileWriter::isFullPath(const wchar_t* szPath)
{
    if (szPath == nullptr || std::wcslen(szPath) >= MAX_PATH)
        return false;
    const bool bDriveRoot =
        szPath[0] != L'\0' && szPath[1] == L':' && isPathSeparator(szPath[2]);
    const bool bShare =
        isPathSeparator(szPath[0]) && isPathSeparator(szPath[1]);
    return bDriveRoot || bShare;
}

// As the profile functions make it: shared for reading and writing, plain
// attributes. CREATE_NEW, because a file that appeared meanwhile holds
// sections that the profile functions would have kept.
bool CQBNProfileFileWriter::create(const wchar_t* szPath)
{
    close();
    if (!isFullPath(szPath)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    m_file.reset(CreateFileW(szPath, GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_file.isValid();
}

// The whole section is converted and written at once, as the profile
// functions do: a character that takes two bytes in the code page is never
// split between two conversions.
bool CQBNProfileFileWriter::writeSection(const CQBNWCharString& section,
                                         const CQBNProfileLines& lines)
{
    CQBNBuffer<unsigned short> units(sectionLength(section, lines));
    CUnitsOut out(units);
    out.put(kSectionStart);
    out.put(section);
    out.put(kSectionEnd);
    out.put(kLineEnd, kLineEndLength);
    for (const CQBNProfileLine& line : lines) {
        out.put(line.key);
        out.put(kKeyEnd);
        out.put(line.value);
        out.put(kLineEnd, kLineEndLength);
    }
    return writeUnits(reinterpret_cast<const wchar_t*>(units.getBuffer()),
                      units.getNumElems());
}

bool CQBNProfileFileWriter::toFileBytes(const wchar_t* pUnits,
                                        unsigned long ulCount,
                                        CQBNBuffer<unsigned char>& bytes)
{
    const int iUnits = static_cast<int>(ulCount);
    const int iBytes = WideCharToMultiByte(CP_ACP, 0, pUnits, iUnits, nullptr,
                                           0, nullptr, nullptr);
    if (iBytes <= 0 || !bytes.allocate(static_cast<unsigned long>(iBytes)))
        return false;
    return WideCharToMultiByte(CP_ACP, 0, pUnits, iUnits,
                               reinterpret_cast<char*>(bytes.getBuffer()),
                               iBytes, nullptr, nullptr) == iBytes;
}

bool CQBNProfileFileWriter::writeUnits(const wchar_t* pUnits,
                                       unsigned long ulCount)
{
    if (!m_file.isValid()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    CQBNBuffer<unsigned char> bytes;
    if (!toFileBytes(pUnits, ulCount, bytes))
        return false;
    DWORD dwWritten = 0;
    return WriteFile(m_file.get(), bytes.getBuffer(), bytes.getNumElems(),
                     &dwWritten, nullptr) &&
           dwWritten == bytes.getNumElems();
}

bool CQBNProfileFileWriter::close()
{
    return m_file.reset();
}

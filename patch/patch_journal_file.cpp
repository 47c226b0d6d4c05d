#include "patch_journal_file.h"

#include <windows.h>

#include "patch_file_bytes.h"

namespace {

const wchar_t kByteOrderMark = 0xFEFF;
const wchar_t kLineEnd[] = L"\r\n";

// The units after the byte-order mark.
std::wstring unitsOf(const CQBNBuffer<unsigned char>& bytes)
{
    const unsigned long ulUnits = bytes.getNumElems() / sizeof(wchar_t);
    if (ulUnits == 0)
        return std::wstring();
    const wchar_t* pUnits = reinterpret_cast<const wchar_t*>(bytes.getBuffer());
    const unsigned long ulSkip = pUnits[0] == kByteOrderMark ? 1 : 0;
    return std::wstring(pUnits + ulSkip, ulUnits - ulSkip);
}

} // namespace

CPatchJournalFile::CPatchJournalFile(const CQBNWCharString& path) : m_path(path)
{
}

bool CPatchJournalFile::exists() const
{
    return fileExists(m_path);
}

bool CPatchJournalFile::append(const std::wstring& line)
{
    const std::wstring text = line + kLineEnd;
    return appendToUnicodeFile(
        m_path, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)),
        true);
}

bool CPatchJournalFile::readLines(std::vector<std::wstring>& lines) const
{
    lines.clear();
    CQBNBuffer<unsigned char> bytes;
    if (!readFileBytes(m_path, bytes))
        return false;
    const std::wstring text = unitsOf(bytes);
    std::wstring::size_type start = 0;
    for (std::wstring::size_type end = text.find(kLineEnd, start);
         end != std::wstring::npos; end = text.find(kLineEnd, start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + ARRAYSIZE(kLineEnd) - 1;
    }
    return true;
}

bool CPatchJournalFile::remove()
{
    return DeleteFileW(m_path.getText()) || !exists();
}

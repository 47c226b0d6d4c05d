#include "patch_journal_lines.h"

#include <windows.h>

#include "patch_file_bytes.h"
#include "patch_warning.h"

namespace {

const wchar_t kByteOrderMark = 0xFEFF;
const wchar_t kLineEnd[] = L"\r\n";

// The units after the byte-order mark; false for a file that is not the
// UTF-16LE text this class writes (no mark, or cut inside a unit).
bool unitsOf(const CQBNBuffer<unsigned char>& bytes, std::wstring& units)
{
    const unsigned long ulUnits = bytes.getNumElems() / sizeof(wchar_t);
    if (ulUnits == 0 || bytes.getNumElems() % sizeof(wchar_t) != 0)
        return false;
    const wchar_t* pUnits = reinterpret_cast<const wchar_t*>(bytes.getBuffer());
    if (pUnits[0] != kByteOrderMark)
        return false;
    units.assign(pUnits + 1, ulUnits - 1);
    return true;
}

// The text of one line, or the start of one a kill cut off: no line end
// and no 0 unit.
bool isLineText(const std::wstring& rest)
{
    return rest.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos;
}

} // namespace

CPatchJournalLines::CPatchJournalLines(const CQBNWCharString& path)
    : m_path(path)
{
}

bool CPatchJournalLines::exists() const
{
    return fileExists(m_path);
}

bool CPatchJournalLines::append(const std::wstring& line)
{
    return append(std::vector<std::wstring>(1, line));
}

bool CPatchJournalLines::append(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (const std::wstring& line : lines)
        text += line + kLineEnd;
    return appendToUnicodeFile(
        m_path, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)),
        true);
}

bool CPatchJournalLines::readLines(std::vector<std::wstring>& lines) const
{
    lines.clear();
    CQBNBuffer<unsigned char> bytes;
    std::wstring text;
    if (!readFileBytes(m_path, bytes) || !unitsOf(bytes, text))
        return false;
    std::wstring::size_type start = 0;
    for (std::wstring::size_type end = text.find(kLineEnd, start);
         end != std::wstring::npos; end = text.find(kLineEnd, start)) {
        const std::wstring line = text.substr(start, end - start);
        if (!isLineText(line))
            return false;
        lines.push_back(line);
        start = end + ARRAYSIZE(kLineEnd) - 1;
    }
    return !lines.empty() && isLineText(text.substr(start));
}

bool CPatchJournalLines::remove()
{
    return removeFileIfPresent(m_path);
}

void warnJournalKept(const wchar_t* szClassName, const wchar_t* szMethodName,
                     const CQBNWCharString& unrestored,
                     const wchar_t* szSourceFile, unsigned long ulLine)
{
    logPatchWarning(
        szClassName, szMethodName,
        CQBNWCharString(L"Unable to put back ") + unrestored +
            CQBNWCharString(L"; the journal is kept for the next run"),
        szSourceFile, ulLine);
}

#include "qbn_log_outputs.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "qbn_log_config.h"
#include "qbn_log_line.h"
#include "qbn_scoped_handle.h"

unsigned long CQBNLoggingOutputText::bytesWritten = 0;
long CQBNLoggingOutputText::rotatedCount = 0;

namespace {

// "TextOutput" is read into 256 bytes: a path of at most 127 characters.
const unsigned long kTargetBytes = 256;
const wchar_t kByteOrderMark = 0xFEFF;

// The folder of a drive-letter path, backslash included; empty when the path
// has no drive letter or no folder. A relative path is refused: it would
// put the log wherever the program happens to run.
std::wstring directoryOf(const wchar_t* szPath)
{
    if (szPath[0] == L'\0' || szPath[1] != L':')
        return std::wstring();
    const wchar_t* szLastSlash = wcsrchr(szPath, L'\\');
    if (szLastSlash == nullptr)
        return std::wstring();
    return std::wstring(szPath, szLastSlash + 1);
}

bool writeAll(HANDLE hFile, const void* pData, DWORD cbData, DWORD& cbWritten)
{
    cbWritten = 0;
    return WriteFile(hFile, pData, cbData, &cbWritten, nullptr) != FALSE &&
           cbWritten == cbData;
}

// Opens the log for appending; a file made just now starts with its
// byte-order mark. One that another process made in the meantime does not
// get a second one over its first line.
CQBNScopedHandle openForAppend(const wchar_t* szPath)
{
    const DWORD dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    CQBNScopedHandle file(CreateFileW(szPath, GENERIC_WRITE, dwShare, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    if (file.isValid())
        return file;
    file.reset(CreateFileW(szPath, GENERIC_WRITE, dwShare, nullptr, OPEN_ALWAYS,
                           0, nullptr));
    if (!file.isValid() || GetLastError() == ERROR_ALREADY_EXISTS)
        return file;
    DWORD cbMark = 0;
    if (!writeAll(file.get(), &kByteOrderMark, sizeof(kByteOrderMark), cbMark))
        file.reset();
    return file;
}

std::wstring numbered(const wchar_t* szPath, long lNumber)
{
    return std::wstring(szPath) + L"." + std::to_wstring(lNumber);
}

} // namespace

bool CQBNLoggingOutputText::write(CQBNLogRecord& record)
{
    return appendLine(record, true);
}

bool CQBNLoggingOutputText::writeSimple(CQBNLogRecord& record)
{
    return appendLine(record, false);
}

bool CQBNLoggingOutputText::appendLine(CQBNLogRecord& record, bool bDetailed)
{
    if (record.logFile == nullptr) {
        wchar_t szTarget[kTargetBytes / sizeof(wchar_t)];
        if (!CQBNLogConfig().getOutputTarget(0x01, szTarget, kTargetBytes) ||
            !CQBNLogRecord::setText(record.logFile, szTarget))
            return false;
    }
    const std::wstring directory = directoryOf(record.logFile);
    if (directory.empty())
        return false;
    // Only the last level is made; a missing parent is the administrator's
    // to create.
    CreateDirectoryW(directory.c_str(), nullptr);

    CQBNScopedHandle file = openForAppend(record.logFile);
    if (!file.isValid())
        return false;
    SetFilePointer(file.get(), 0, nullptr, FILE_END);
    const std::wstring line =
        bDetailed ? qbnDetailedLogLine(record) : qbnSimpleLogLine(record);
    DWORD cbWritten = 0;
    const bool bWritten =
        writeAll(file.get(), line.data(),
                 static_cast<DWORD>(line.size() * sizeof(wchar_t)), cbWritten);
    file.reset();
    if (bDetailed) {
        bytesWritten += cbWritten;
        rotateIfDue(record.logFile);
    }
    return bWritten;
}

// Rotation bounds what one process writes: the log moves to ".1", ".1" to
// ".2" and so on; the file numbered MaxLogFileNum is overwritten, never moved.
void CQBNLoggingOutputText::rotateIfDue(const wchar_t* szPath)
{
    if (MaxLogFileSize == 0 || MaxLogFileNum == 0 ||
        (bytesWritten >> 10) <= MaxLogFileSize)
        return;
    for (long n = rotatedCount; n >= 1; --n) {
        if (static_cast<unsigned long>(n) != MaxLogFileNum)
            MoveFileExW(numbered(szPath, n).c_str(),
                        numbered(szPath, n + 1).c_str(),
                        MOVEFILE_REPLACE_EXISTING);
    }
    MoveFileExW(szPath, numbered(szPath, 1).c_str(), MOVEFILE_REPLACE_EXISTING);
    ++rotatedCount;
    bytesWritten = 0;
}

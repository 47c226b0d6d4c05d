#include "patch_file_bytes.h"

#include <windows.h>

#include <cstring>

#include "patch_warning.h"
#include "qbn_scoped_handle.h"

#define PATCH_FILE_BYTES_SOURCE L".\\patch_file_bytes.cpp"

namespace {

// Hook libraries are small; anything larger is not kept in memory.
const LONGLONG kMaxKeptFileSize = 256LL * 1024 * 1024;

const wchar_t kByteOrderMark = 0xFEFF;

bool writeAllBytes(HANDLE hFile, const void* pData, DWORD dwSize)
{
    DWORD dwWritten = 0;
    return WriteFile(hFile, pData, dwSize, &dwWritten, nullptr) != FALSE &&
           dwWritten == dwSize;
}

// The link itself is opened, never what it points to, so that it can be
// told apart and refused.
CQBNScopedHandle openForAppending(const CQBNWCharString& path,
                                  bool bThroughToDisk)
{
    const DWORD dwFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                          (bThroughToDisk ? FILE_FLAG_WRITE_THROUGH : 0);
    CQBNScopedHandle file(CreateFileW(path.getText(), GENERIC_WRITE,
                                      FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      dwFlags, nullptr));
    if (file.isValid() && !isSingleNamedPlainFile(file.get())) {
        logPatchWarning(L"PatchFile", L"appendToUnicodeFile",
                        CQBNWCharString(L"Not written through a link: ") + path,
                        PATCH_FILE_BYTES_SOURCE, __LINE__);
        file.reset();
    }
    return file;
}

} // namespace

bool isSingleNamedPlainFile(HANDLE hFile)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    return GetFileInformationByHandle(hFile, &info) &&
           info.nNumberOfLinks == 1 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

PathKind pathKindOf(const CQBNWCharString& path)
{
    const DWORD dwAttributes = GetFileAttributesW(path.getText());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD dwError = GetLastError();
        return dwError == ERROR_FILE_NOT_FOUND ||
                       dwError == ERROR_PATH_NOT_FOUND
                   ? pkMissing
                   : pkOther;
    }
    const DWORD dwNotPlain = FILE_ATTRIBUTE_DIRECTORY |
                             FILE_ATTRIBUTE_REPARSE_POINT |
                             FILE_ATTRIBUTE_READONLY;
    return (dwAttributes & dwNotPlain) == 0 ? pkFile : pkOther;
}

bool fileExists(const CQBNWCharString& path)
{
    if (path.getLength() == 0)
        return false;
    const DWORD dwAttributes = GetFileAttributesW(path.getText());
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool readFileBytes(const CQBNWCharString& path,
                   CQBNBuffer<unsigned char>& bytes)
{
    const CQBNScopedHandle file(
        CreateFileW(path.getText(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.isValid() || !GetFileSizeEx(file.get(), &size) ||
        size.QuadPart > kMaxKeptFileSize)
        return false;
    const DWORD dwSize = static_cast<DWORD>(size.QuadPart);
    if (!bytes.allocate(dwSize))
        return false;
    DWORD dwRead = 0;
    return dwSize == 0 ||
           (ReadFile(file.get(), bytes.getBuffer(), dwSize, &dwRead, nullptr) &&
            dwRead == dwSize);
}

// The mark goes in front of whatever comes first into an empty file, so that
// a file another run left empty is marked as well as a new one.
bool appendToUnicodeFile(const CQBNWCharString& path, const void* pData,
                         DWORD dwSize, bool bThroughToDisk)
{
    const CQBNScopedHandle file(openForAppending(path, bThroughToDisk));
    LARGE_INTEGER end = {};
    if (!file.isValid() || !SetFilePointerEx(file.get(), end, &end, FILE_END))
        return false;
    if (end.QuadPart == 0 &&
        !writeAllBytes(file.get(), &kByteOrderMark, sizeof(kByteOrderMark)))
        return false;
    return writeAllBytes(file.get(), pData, dwSize) &&
           (!bThroughToDisk || FlushFileBuffers(file.get()));
}

bool writeNewFile(const CQBNWCharString& path,
                  const CQBNBuffer<unsigned char>& bytes,
                  const FILETIME* pLastWrite)
{
    const CQBNScopedHandle file(CreateFileW(path.getText(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.isValid() &&
           writeAllBytes(file.get(), bytes.getBuffer(), bytes.getNumElems()) &&
           (pLastWrite == nullptr ||
            SetFileTime(file.get(), nullptr, nullptr, pLastWrite));
}

bool readLastWriteTime(const CQBNWCharString& path, FILETIME& lastWrite)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.getText(), GetFileExInfoStandard, &data))
        return false;
    lastWrite = data.ftLastWriteTime;
    return true;
}

bool fileHolds(const CQBNWCharString& path,
               const CQBNBuffer<unsigned char>& bytes)
{
    CQBNBuffer<unsigned char> current;
    return readFileBytes(path, current) &&
           current.getNumElems() == bytes.getNumElems() &&
           (bytes.getNumElems() == 0 ||
            std::memcmp(current.getBuffer(), bytes.getBuffer(),
                        bytes.getNumElems()) == 0);
}

bool moveOntoFreeName(const CQBNWCharString& from, const CQBNWCharString& to)
{
    return MoveFileExW(from.getText(), to.getText(), 0) != FALSE;
}

bool moveFileChecked(const CQBNWCharString& from, const CQBNWCharString& to,
                     DWORD dwFlags)
{
    CQBNBuffer<unsigned char> bytes;
    return readFileBytes(from, bytes) &&
           MoveFileExW(from.getText(), to.getText(), dwFlags) &&
           fileHolds(to, bytes);
}

bool removeFileIfPresent(const CQBNWCharString& path)
{
    return DeleteFileW(path.getText()) || !fileExists(path);
}

bool removeFileNowOrAtRestart(const CQBNWCharString& path)
{
    if (DeleteFileW(path.getText()))
        return true;
    const DWORD dwError = GetLastError();
    if (!fileExists(path))
        return true;
    // A library that another program still has loaded cannot be deleted,
    // only renamed; Windows deletes it at the next start, as an installer
    // does with a file in use.
    if (dwError != ERROR_ACCESS_DENIED && dwError != ERROR_SHARING_VIOLATION)
        return false;
    return MoveFileExW(path.getText(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) !=
           FALSE;
}

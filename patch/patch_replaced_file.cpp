#include "patch_replaced_file.h"

#include <windows.h>

#include <cstring>

#include "qbn_catch.h"
#include "qbn_scoped_handle.h"

#define PATCH_REPLACED_FILE_SOURCE L".\\patch_replaced_file.cpp"

namespace {

// Hook libraries are small; anything larger is not kept in memory.
const LONGLONG kMaxKeptFileSize = 256LL * 1024 * 1024;

bool fileExists(const CQBNWCharString& path)
{
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

bool writeFileBytes(const CQBNWCharString& path,
                    const CQBNBuffer<unsigned char>& bytes)
{
    const CQBNScopedHandle file(
        CreateFileW(path.getText(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return false;
    const DWORD dwSize = bytes.getNumElems();
    DWORD dwWritten = 0;
    return dwSize == 0 || (WriteFile(file.get(), bytes.getBuffer(), dwSize,
                                     &dwWritten, nullptr) &&
                           dwWritten == dwSize);
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

// Writes the kept bytes unless the file already holds them: a file that is
// still intact may be one that another process keeps from being written.
bool putBytesBack(const CQBNWCharString& path,
                  const CQBNBuffer<unsigned char>& bytes)
{
    return fileHolds(path, bytes) || writeFileBytes(path, bytes);
}

} // namespace

CPatchReplacedFile::CPatchReplacedFile(const CQBNWCharString& target)
    : m_target(target), m_backup(target + CQBNWCharString(L".bak")),
      m_bTargetExisted(false), m_bMovedAside(false), m_bKeptBackupBytes(false),
      m_bKeptTargetBytes(false)
{
}

int CPatchReplacedFile::replaceFrom(const CQBNWCharString& source)
{
    rememberBeforeMove();
    m_bMovedAside = MoveFileExW(m_target.getText(), m_backup.getText(),
                                MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (m_bTargetExisted && !m_bMovedAside)
        m_bKeptTargetBytes = readFileBytes(m_target, m_targetBytes);
    return CopyFileW(source.getText(), m_target.getText(), FALSE);
}

void CPatchReplacedFile::rememberBeforeMove()
{
    m_bTargetExisted = fileExists(m_target);
    m_bKeptBackupBytes =
        fileExists(m_backup) && readFileBytes(m_backup, m_backupBytes);
}

bool CPatchReplacedFile::restore()
{
    return qbnGuard(false, esLastError, PATCH_REPLACED_FILE_SOURCE, __LINE__,
                    [&]() {
                        if (m_bMovedAside)
                            return restoreMovedFile();
                        if (m_bTargetExisted)
                            return restoreUnmovedFile();
                        return DeleteFileW(m_target.getText()) != FALSE ||
                               !fileExists(m_target);
                    });
}

// Moving back rather than copying back: the old library may still be
// loaded somewhere, and a loaded library can be renamed but not rewritten.
bool CPatchReplacedFile::restoreMovedFile()
{
    if (!MoveFileExW(m_backup.getText(), m_target.getText(),
                     MOVEFILE_REPLACE_EXISTING))
        return false;
    return !m_bKeptBackupBytes || writeFileBytes(m_backup, m_backupBytes);
}

bool CPatchReplacedFile::restoreUnmovedFile()
{
    return m_bKeptTargetBytes && putBytesBack(m_target, m_targetBytes);
}

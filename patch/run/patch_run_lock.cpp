#include "patch_run_lock.h"

#include "patch_access_list.h"
#include "patch_file_bytes.h"
#include "patch_paths.h"

namespace {

// Full access for SYSTEM and the Administrators group; nothing inherited.
const wchar_t kLockAccessList[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";
const DWORD kRetryMs = 100;

// How long a name that cannot be made for any other reason is tried again:
// a lock that another run has just let go of is refused for a moment, until
// Windows has removed it.
const DWORD kRefusedGraceMs = 3 * 1000;

// Only a lock held open by another run is worth the long wait: the name
// is taken without sharing. A file whose last handle closed is refused
// until Windows removes it (asking for its attributes is refused too), which
// the short grace covers; anything else (a read-only folder, a file system
// that refuses the name, a folder under the lock's name) is never let go.
bool isHeldByAnotherRun(DWORD dwError)
{
    return dwError == ERROR_SHARING_VIOLATION;
}

} // namespace

bool CPatchRunLock::acquire(const CQBNWCharString& productFolder,
                            DWORD dwWaitMs)
{
    m_bRefused = false;
    if (isHeld())
        return true;
    m_path = joinFolderAndName(productFolder, CQBNWCharString(kRunLockName));
    const ULONGLONG ullStart = GetTickCount64();
    for (;;) {
        DWORD dwError = ERROR_SUCCESS;
        if (tryCreate(m_path, dwError))
            return true;
        const ULONGLONG ullWaited = GetTickCount64() - ullStart;
        if (!isHeldByAnotherRun(dwError) && ullWaited >= kRefusedGraceMs) {
            m_bRefused = true;
            return false;
        }
        if (ullWaited >= dwWaitMs)
            return false;
        Sleep(kRetryMs);
    }
}

void CPatchRunLock::release()
{
    m_file.reset();
}

// A name that turns out to be a link or a reparse point is not the lock:
// its handle closes, which removes that name only, and the next try makes
// a file of the run's own.
bool CPatchRunLock::tryCreate(const CQBNWCharString& path, DWORD& dwError)
{
    CPatchAccessList accessList(kLockAccessList);
    if (!accessList.isValid()) {
        dwError = GetLastError();
        return false;
    }
    m_file.reset(CreateFileW(path.getText(),
                             GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                             accessList.attributes(), OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE |
                                 FILE_FLAG_OPEN_REPARSE_POINT,
                             nullptr));
    dwError = m_file.isValid() ? ERROR_SUCCESS : GetLastError();
    if (m_file.isValid() && !isSingleNamedPlainFile(m_file.get())) {
        m_file.reset();
        dwError = ERROR_SHARING_VIOLATION;
    }
    return m_file.isValid();
}

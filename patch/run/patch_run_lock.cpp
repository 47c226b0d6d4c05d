#include "patch_run_lock.h"

#include <sddl.h>

#include "patch_file_bytes.h"
#include "patch_paths.h"
#include "qbn_unique_handle.h"

namespace {

// Full access for SYSTEM and the Administrators group; nothing inherited.
const wchar_t kLockAccessList[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";
const DWORD kRetryMs = 100;

// Another run holds the lock, or has just let go of it: a file whose last
// handle closed is refused until Windows has removed it. A folder under the
// lock's name is refused as well, but no run will ever let go of it.
bool isHeldByAnotherRun(const CQBNWCharString& path, DWORD dwError)
{
    if (dwError == ERROR_SHARING_VIOLATION)
        return true;
    const DWORD dwAttributes = GetFileAttributesW(path.getText());
    return dwError == ERROR_ACCESS_DENIED &&
           (dwAttributes == INVALID_FILE_ATTRIBUTES ||
            (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
}

} // namespace

bool CPatchRunLock::acquire(const CQBNWCharString& productFolder,
                            DWORD dwWaitMs)
{
    if (isHeld())
        return true;
    const CQBNWCharString path =
        joinFolderAndName(productFolder, CQBNWCharString(kRunLockName));
    const ULONGLONG ullDeadline = GetTickCount64() + dwWaitMs;
    for (;;) {
        DWORD dwError = ERROR_SUCCESS;
        if (tryCreate(path, dwError))
            return true;
        if (!isHeldByAnotherRun(path, dwError) ||
            GetTickCount64() >= ullDeadline)
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
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kLockAccessList, SDDL_REVISION_1, &pDescriptor, nullptr)) {
        dwError = GetLastError();
        return false;
    }
    const CQBNUniqueLocalMemory descriptor(pDescriptor);
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), pDescriptor, FALSE};
    m_file.reset(CreateFileW(path.getText(),
                             GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                             &attributes, OPEN_ALWAYS,
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

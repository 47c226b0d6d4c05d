#include "patch_run_lock.h"

namespace {

const wchar_t kRunLockName[] = L"Global\\Ostrel.Vaultrion.Patch8104.Run";

} // namespace

CPatchRunLock::CPatchRunLock() : m_bHeld(false) {}

CPatchRunLock::~CPatchRunLock()
{
    if (m_bHeld)
        ReleaseMutex(m_mutex.get());
}

bool CPatchRunLock::acquire(DWORD dwWaitMs)
{
    if (m_bHeld)
        return true;
    m_mutex.reset(CreateMutexW(nullptr, FALSE, kRunLockName));
    // Made by a run of another account whose default security grants this
    // one less than full access: waiting and releasing is all it takes.
    if (!m_mutex.isValid() && GetLastError() == ERROR_ACCESS_DENIED)
        m_mutex.reset(
            OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kRunLockName));
    if (!m_mutex.isValid())
        return false;
    const DWORD dwWait = WaitForSingleObject(m_mutex.get(), dwWaitMs);
    // An abandoned lock is ours like any other: its owner is gone.
    m_bHeld = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
    return m_bHeld;
}

// One run of the patch at a time on a machine. A software distribution tool
// that retries, or an administrator who starts the package twice, must not
// have two runs moving the same libraries: the second would back up the
// first one's new files over the originals. A named mutex in the global
// namespace is seen by every session, and Windows hands an abandoned one
// (its owner killed) to the next waiter, whose own run then finds and
// mends whatever the killed run left.
#ifndef PATCH_RUN_LOCK_H
#define PATCH_RUN_LOCK_H

#include <windows.h>

#include "qbn_scoped_handle.h"

// How long a run waits for an earlier one: longer than any run takes,
// short enough that a hung run does not block a distribution tool forever.
const DWORD kRunLockWaitMs = 5 * 60 * 1000;

class CPatchRunLock {
public:
    CPatchRunLock();
    // Releases the lock when it is held.
    ~CPatchRunLock();

    // Waits up to `dwWaitMs` for every other run to end; true when this
    // run now holds the lock.
    bool acquire(DWORD dwWaitMs);

private:
    CPatchRunLock(const CPatchRunLock&) = delete;
    CPatchRunLock& operator=(const CPatchRunLock&) = delete;

    CQBNScopedHandle m_mutex;
    bool m_bHeld;
};

#endif

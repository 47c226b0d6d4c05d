// One run of the patch at a time on a machine. A software distribution tool
// that retries, or an administrator who starts the package twice, must not
// have two runs moving the same libraries: the second would back up the
// first one's new files over the originals.
//
// The lock is a file in the product's own folder, held open without
// sharing. Only administrators and SYSTEM can create a file there, so no
// other user can take the lock first; it is made with an access list for
// those two alone, so nobody else can open (and so hold) one a power cut
// left behind; and it is removed when its handle closes, which Windows does
// for a killed run too, whose successor then mends what it left. A named
// kernel object would not do: any user may create names in the global
// namespace, and a squatted name blocks every run. (Private namespaces,
// whose boundary would keep the name to administrators, are missing on
// some systems the patch is tested on, and a lock that takes one form here
// and another there is two locks.)
#ifndef PATCH_RUN_LOCK_H
#define PATCH_RUN_LOCK_H

#include <windows.h>

#include "qbn_scoped_handle.h"
#include "qbn_wchar_string.h"

// How long a run waits for an earlier one: longer than any run takes,
// short enough that a hung run does not block a distribution tool forever.
const DWORD kRunLockWaitMs = 5 * 60 * 1000;

// The lock's name in the product's folder, beside the journal.
const wchar_t kRunLockName[] = L"patch8104.lock";

class CPatchRunLock {
public:
    CPatchRunLock() = default;

    // Waits up to `dwWaitMs` for every other run on the product in
    // `productFolder` to end; true when this run now holds the lock. A
    // name that cannot be made for any other reason gives up within
    // seconds, and isRefused says so.
    bool acquire(const CQBNWCharString& productFolder, DWORD dwWaitMs);
    // The lock's name could not be made, and no run holds it.
    bool isRefused() const { return m_bRefused; }
    const CQBNWCharString& getPath() const { return m_path; }
    // The product is whole: a run waiting may go on. Also on destruction.
    void release();
    bool isHeld() const { return m_file.isValid(); }

private:
    CPatchRunLock(const CPatchRunLock&) = delete;
    CPatchRunLock& operator=(const CPatchRunLock&) = delete;

    bool tryCreate(const CQBNWCharString& path, DWORD& dwError);

    CQBNScopedHandle m_file;
    CQBNWCharString m_path;
    bool m_bRefused = false;
};

#endif

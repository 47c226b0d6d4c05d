// The password manager a run stopped, and how it is started again once the
// run is over: as the user it ran as, in that user's session, desktop and
// environment. The patch runs elevated or, from a distribution tool, as
// SYSTEM; a program it started with its own token would run with those
// rights on the user's desktop, or in SYSTEM's session where nobody sees
// it. So the user's own token is kept before the process is stopped, and
// without it nothing is started. The same token starts the copy of the
// patch that asks the password manager to close from inside its user's
// session (patch_close_request.h).
#ifndef PATCH_STOPPED_PROCESS_H
#define PATCH_STOPPED_PROCESS_H

#include <windows.h>

#include "qbn_scoped_handle.h"
#include "qbn_wchar_string.h"

class CPatchStoppedProcess {
public:
    CPatchStoppedProcess() = default;

    // Keeps a primary token of the user of `hProcess` (opened with
    // PROCESS_QUERY_INFORMATION) and its image path, before it is stopped.
    // False, with the reason in the library's log, when the token cannot
    // be had: the process is then stopped all the same, and not started
    // again.
    bool keep(HANDLE hProcess, const CQBNWCharString& imagePath);
    // Nothing is to be started: Windows restarts, or the product was left
    // in a state the process must not load.
    void forget();
    // Whether a process was stopped that is to be started again.
    bool isKept() const { return m_userToken.isValid(); }
    // Starts the kept image again, at most once, as its own user, with the
    // product folder as its current folder, and waits briefly until it is
    // ready for input. Whatever keeps it from starting is written to the
    // library's log; nothing else changes.
    void startAgain();
    // Starts a copy of this program as the kept user, on that user's
    // desktop, which asks process `dwProcessId` to close from inside the
    // user's session, and waits for its answer until `ullDeadline` (a copy
    // still running then is ended). False, with the reason in the library's
    // log, when no copy could be started: then nothing was asked.
    bool askToCloseAsItsUser(DWORD dwProcessId, ULONGLONG ullDeadline);

private:
    CPatchStoppedProcess(const CPatchStoppedProcess&) = delete;
    CPatchStoppedProcess& operator=(const CPatchStoppedProcess&) = delete;

    bool startAsUser(HANDLE hUserToken, const CQBNWCharString& program,
                     const CQBNWCharString& arguments,
                     const wchar_t* szExtraVariable,
                     PROCESS_INFORMATION& started);

    CQBNScopedHandle m_userToken;
    CQBNWCharString m_imagePath;
};

#endif

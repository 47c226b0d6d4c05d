// Switches one named privilege of a process token on or off. Every failure
// is logged and answered with false, so a caller only tests the result and
// goes on without the privilege.
#ifndef QBN_WINDOWSPROCESS_H
#define QBN_WINDOWSPROCESS_H

#include <windows.h>

#include "qbn_scoped_handle.h"
#include "qbn_wchar_string.h"

class CQBNWindowsProcess {
public:
    CQBNWindowsProcess();
    ~CQBNWindowsProcess();

    // privilegeName: a privilege constant name such as "SeBackupPrivilege".
    // hToken: a token the caller owns and keeps open, or null to adjust this
    // process's own token (opened and closed within the call). A privilege
    // the token does not hold still answers true: Windows accepts the
    // request and the change stays in force for the life of the process.
    bool setPrivilege(const CQBNWCharString& privilegeName, bool bEnable,
                      const HANDLE& hToken);

private:
    CQBNWindowsProcess(const CQBNWindowsProcess&) = delete;
    CQBNWindowsProcess& operator=(const CQBNWindowsProcess&) = delete;

    static void openOwnToken(CQBNScopedHandle& token);
    static LUID lookupPrivilege(const CQBNWCharString& privilegeName);
    static void adjustPrivilege(HANDLE hToken, const LUID& luid, bool bEnable);
    static void closeOwnToken(CQBNScopedHandle& token);
};

#endif

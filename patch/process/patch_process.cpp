#include "patch_process.h"

#include <windows.h>

#include <psapi.h>

#include "patch8104_ids.h"
#include "patch_log.h"
#include "patch_paths.h"
#include "patch_polite_close.h"
#include "patch_session.h"
#include "qbn_buffer.h"
#include "qbn_catch.h"
#include "qbn_scoped_handle.h"

#define PATCH_PROCESS_SOURCE L".\\patch_process.cpp"

namespace {

const unsigned long kInitialProcessCount = 1024;
const unsigned long kProcessCountGrowth = 200;
// Terminate, read memory and query information: what reading the image
// path, keeping its user's token and stopping the process take; and
// waiting for it to close.
const DWORD kProcessAccess = 0x411 | SYNCHRONIZE;

// Every process identifier; a list that fills the buffer may have been cut,
// so the buffer grows until one comes back with room to spare.
bool enumerateProcesses(CQBNBuffer<DWORD>& ids, unsigned long& ulCount)
{
    for (unsigned long ulRoom = kInitialProcessCount;;
         ulRoom += kProcessCountGrowth) {
        if (!ids.allocate(ulRoom))
            return false;
        const DWORD dwRoomBytes = ulRoom * sizeof(DWORD);
        DWORD dwBytes = 0;
        if (!EnumProcesses(ids.getBuffer(), dwRoomBytes, &dwBytes))
            return false;
        if (dwBytes < dwRoomBytes) {
            ulCount = dwBytes / sizeof(DWORD);
            return true;
        }
    }
}

// A process whose windows this run cannot see (another session, or this
// run on a window station of its own) is asked from inside its user's
// session; when that cannot be done, as before from here. Either way it is
// given the same time to close.
bool closesPolitely(HANDLE hProcess, DWORD dwProcessId,
                    CPatchStoppedProcess& stopped)
{
    const ULONGLONG ullDeadline = GetTickCount64() + kPoliteCloseWaitMs;
    const bool bReachable =
        isInThisSession(dwProcessId) && hasWindowHere(dwProcessId);
    if (bReachable || !stopped.askToCloseAsItsUser(dwProcessId, ullDeadline))
        askWindowsToClose(dwProcessId, ullDeadline);
    return WaitForSingleObject(hProcess, msUntil(ullDeadline)) == WAIT_OBJECT_0;
}

// The first process started from `wanted` is logged, asked to close as at
// log-off, and terminated only when it is still running after the wait.
bool stopIfStartedFrom(DWORD dwProcessId, const CQBNWCharString& wanted,
                       CPatchStoppedProcess& stopped, int& result)
{
    const CQBNScopedHandle process(
        OpenProcess(kProcessAccess, FALSE, dwProcessId));
    CQBNWCharString imagePath;
    if (!process.isValid() || !readImagePath(process.get(), imagePath) ||
        imagePath != wanted)
        return false;
    appendPatchLogLine(IDS_PROCESS_WILL_BE_TERMINATED, imagePath);
    stopped.keep(process.get(), imagePath);
    if (closesPolitely(process.get(), dwProcessId, stopped))
        result = 1;
    else
        result = TerminateProcess(process.get(), 0);
    return true;
}

} // namespace

int terminateProductProcess(const CQBNWCharString& exeName)
{
    CPatchStoppedProcess notStartedAgain;
    return terminateProductProcess(exeName, notStartedAgain);
}

int terminateProductProcess(const CQBNWCharString& exeName,
                            CPatchStoppedProcess& stopped)
{
    return qbnGuard(0, esLastError, PATCH_PROCESS_SOURCE, __LINE__, [&]() {
        CQBNWCharString wanted;
        getInstalledFilePath(wanted, exeName);
        CQBNBuffer<DWORD> ids;
        unsigned long ulCount = 0;
        if (!enumerateProcesses(ids, ulCount))
            return 0;
        int result = 0;
        for (unsigned long ulIndex = 0; ulIndex < ulCount; ++ulIndex) {
            if (stopIfStartedFrom(ids[ulIndex], wanted, stopped, result))
                break;
        }
        return result;
    });
}

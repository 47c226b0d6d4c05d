#include "patch_process.h"

#include <windows.h>

#include <tlhelp32.h>

#include <vector>

#include "patch8104_ids.h"
#include "patch_log.h"
#include "patch_paths.h"
#include "patch_polite_close.h"
#include "patch_session.h"
#include "qbn_catch.h"
#include "qbn_scoped_handle.h"

#define PATCH_PROCESS_SOURCE L".\\patch_process.cpp"

namespace {

// Terminate, read memory and query information: what reading the image
// path, keeping its user's token and stopping the process take; and
// waiting for it to close.
const DWORD kProcessAccess = 0x411 | SYNCHRONIZE;

// Windows refuses to open a program's file for writing while a process
// runs from it. When the file opens, no process was started from it, and
// listing the machine's processes, which cost more than all the checks of
// a run together, is not needed. Any refusal, a missing file included,
// leaves the question to the list.
bool mayRunFrom(const CQBNWCharString& imagePath)
{
    const CQBNScopedHandle file(
        CreateFileW(imagePath.getText(), FILE_WRITE_DATA,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file.isValid();
}

// The processes whose image file has the product process's name: only
// they are opened and their full image path compared, not every process
// of the machine.
bool listProcessesNamed(const CQBNWCharString& exeName, std::vector<DWORD>& ids)
{
    const CQBNScopedHandle snapshot(
        CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.isValid())
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bFound = Process32FirstW(snapshot.get(), &entry); bFound;
         bFound = Process32NextW(snapshot.get(), &entry)) {
        entry.szExeFile[ARRAYSIZE(entry.szExeFile) - 1] = L'\0';
        if (lstrcmpiW(entry.szExeFile, exeName.getText()) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    return GetLastError() == ERROR_NO_MORE_FILES;
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
        std::vector<DWORD> ids;
        if (!mayRunFrom(wanted) || !listProcessesNamed(exeName, ids))
            return 0;
        int result = 0;
        for (const DWORD dwProcessId : ids) {
            if (stopIfStartedFrom(dwProcessId, wanted, stopped, result))
                break;
        }
        return result;
    });
}

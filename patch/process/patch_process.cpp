#include "patch_process.h"

#include <windows.h>

#include <psapi.h>

#include "patch8104_ids.h"
#include "patch_log.h"
#include "patch_paths.h"
#include "patch_polite_close.h"
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

bool getImagePath(HANDLE hProcess, CQBNWCharString& path)
{
    return readPathText(path, [&](wchar_t* szBuffer, DWORD dwSize) {
        return GetModuleFileNameExW(hProcess, nullptr, szBuffer, dwSize);
    });
}

// The first process started from `wanted` is logged, asked to close as at
// log-off, and terminated only when it is still running after the wait.
bool stopIfStartedFrom(DWORD dwProcessId, const CQBNWCharString& wanted,
                       CPatchStoppedProcess& stopped, int& result)
{
    const CQBNScopedHandle process(
        OpenProcess(kProcessAccess, FALSE, dwProcessId));
    CQBNWCharString imagePath;
    if (!process.isValid() || !getImagePath(process.get(), imagePath) ||
        imagePath != wanted)
        return false;
    appendPatchLogLine(IDS_PROCESS_WILL_BE_TERMINATED, imagePath);
    stopped.keep(process.get(), imagePath);
    if (askProcessToClose(process.get(), dwProcessId, kPoliteCloseWaitMs))
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

#include "patch_process.h"

#include <windows.h>

#include <psapi.h>

#include "patch8104_ids.h"
#include "patch_paths.h"
#include "patch_record.h"
#include "qbn_buffer.h"
#include "qbn_catch.h"
#include "qbn_scoped_handle.h"

#define PATCH_PROCESS_SOURCE L".\\patch_process.cpp"

namespace {

const unsigned long kInitialProcessCount = 1024;
const unsigned long kProcessCountGrowth = 200;
// Terminate, read memory and query information: what reading the image
// path and stopping the process take.
const DWORD kProcessAccess = 0x411;

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

// The first process started from `wanted` is logged and terminated.
bool terminateIfStartedFrom(DWORD dwProcessId, const CQBNWCharString& wanted,
                            int& result)
{
    const CQBNScopedHandle process(
        OpenProcess(kProcessAccess, FALSE, dwProcessId));
    CQBNWCharString imagePath;
    if (!process.isValid() || !getImagePath(process.get(), imagePath) ||
        imagePath != wanted)
        return false;
    appendPatchLogLine(IDS_PROCESS_WILL_BE_TERMINATED, imagePath);
    result = TerminateProcess(process.get(), 0);
    return true;
}

} // namespace

int terminateProductProcess(const CQBNWCharString& exeName)
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
            if (terminateIfStartedFrom(ids[ulIndex], wanted, result))
                break;
        }
        return result;
    });
}

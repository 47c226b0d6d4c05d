#include "patch_close_request.h"

#include <cwchar>
#include <string>

#include "patch_paths.h"
#include "patch_polite_close.h"
#include "patch_process_image.h"
#include "patch_token.h"
#include "patch_warning.h"
#include "qbn_catch.h"
#include "qbn_scoped_handle.h"

#define PATCH_CLOSE_REQUEST_SOURCE L".\\patch_close_request.cpp"

namespace {

// Unlike any switch of the patch, and free of "/s" and "-s": the copy's
// command line is never a silent run's, nor a person's.
const wchar_t kCloseSwitch[] = L"/polite-close:";
// A process identifier is a DWORD: at most ten digits.
const size_t kMostDigits = 10;
// Reading its image path and its user.
const DWORD kRequestAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

CQBNWCharString decimalText(DWORD dwNumber)
{
    return CQBNWCharString(std::to_wstring(dwNumber).c_str());
}

bool isThisUsersPasswordManager(HANDLE hProcess)
{
    CQBNWCharString wanted;
    CQBNWCharString imagePath;
    getInstalledFilePath(wanted, CQBNWCharString(kProductProcessName));
    return readImagePath(hProcess, imagePath) && imagePath == wanted &&
           runsAsThisUser(hProcess);
}

} // namespace

CQBNWCharString closeRequestArguments(DWORD dwProcessId)
{
    return CQBNWCharString(kCloseSwitch) + decimalText(dwProcessId);
}

bool readCloseRequest(const wchar_t* szArguments, DWORD& dwProcessId)
{
    const size_t nSwitchLength = ARRAYSIZE(kCloseSwitch) - 1;
    if (szArguments == nullptr ||
        wcsncmp(szArguments, kCloseSwitch, nSwitchLength) != 0)
        return false;
    const wchar_t* szDigits = szArguments + nSwitchLength;
    ULONGLONG ullId = 0;
    size_t nDigits = 0;
    for (; szDigits[nDigits] >= L'0' && szDigits[nDigits] <= L'9'; ++nDigits) {
        if (nDigits == kMostDigits)
            return false;
        ullId = ullId * 10 + static_cast<ULONGLONG>(szDigits[nDigits] - L'0');
    }
    if (nDigits == 0 || szDigits[nDigits] != L'\0' || ullId == 0 ||
        ullId > MAXDWORD)
        return false;
    dwProcessId = static_cast<DWORD>(ullId);
    return true;
}

DWORD answerCloseRequest(DWORD dwProcessId)
{
    return qbnGuard(
        kCloseNotAllowed, esLastError, PATCH_CLOSE_REQUEST_SOURCE, __LINE__,
        [&]() {
            const CQBNScopedHandle process(
                OpenProcess(kRequestAccess, FALSE, dwProcessId));
            if (!process.isValid() ||
                !isThisUsersPasswordManager(process.get())) {
                logPatchWarning(L"PatchCloseRequest", L"answerCloseRequest",
                                CQBNWCharString(L"Not this user's password "
                                                L"manager, so not asked to "
                                                L"close: process ") +
                                    decimalText(dwProcessId),
                                PATCH_CLOSE_REQUEST_SOURCE, __LINE__);
                return kCloseNotAllowed;
            }
            return askWindowsToClose(dwProcessId,
                                     GetTickCount64() + kPoliteCloseWaitMs)
                       ? kCloseAgreed
                       : kCloseRefused;
        });
}

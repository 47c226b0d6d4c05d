#include "patch_polite_close.h"

#include <vector>

namespace {

struct WindowSearch {
    DWORD dwProcessId;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectWindowOf(HWND hWindow, LPARAM lParam)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWindow, &dwOwner);
    if (dwOwner == search.dwProcessId)
        search.windows.push_back(hWindow);
    return TRUE;
}

DWORD remainingMs(ULONGLONG ullDeadline)
{
    const ULONGLONG ullNow = GetTickCount64();
    return ullNow >= ullDeadline ? 0 : static_cast<DWORD>(ullDeadline - ullNow);
}

// The window's answer, or FALSE when it gave none in time (hung, or gone).
LRESULT sendEndSession(HWND hWindow, UINT uMessage, WPARAM wParam,
                       ULONGLONG ullDeadline)
{
    DWORD_PTR dwAnswer = FALSE;
    if (!SendMessageTimeoutW(hWindow, uMessage, wParam, ENDSESSION_CLOSEAPP,
                             SMTO_ABORTIFHUNG | SMTO_NORMAL,
                             remainingMs(ullDeadline), &dwAnswer))
        return FALSE;
    return static_cast<LRESULT>(dwAnswer);
}

} // namespace

bool askProcessToClose(HANDLE hProcess, DWORD dwProcessId, DWORD dwWaitMs)
{
    const ULONGLONG ullDeadline = GetTickCount64() + dwWaitMs;
    WindowSearch search = {dwProcessId, std::vector<HWND>()};
    EnumWindows(collectWindowOf, reinterpret_cast<LPARAM>(&search));
    bool bAgreed = !search.windows.empty();
    for (HWND hWindow : search.windows)
        bAgreed = sendEndSession(hWindow, WM_QUERYENDSESSION, 0, ullDeadline) !=
                      FALSE &&
                  bAgreed;
    if (bAgreed) {
        for (HWND hWindow : search.windows)
            sendEndSession(hWindow, WM_ENDSESSION, TRUE, ullDeadline);
    }
    return WaitForSingleObject(hProcess, remainingMs(ullDeadline)) ==
           WAIT_OBJECT_0;
}

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

// The top-level windows of this thread's desktop, as EnumWindows lists
// them; named explicitly, the desktop is not first opened for drawing,
// which on Wine loaded the display driver (15 to 25 ms) for a run that
// never draws.
std::vector<HWND> windowsOf(DWORD dwProcessId)
{
    WindowSearch search = {dwProcessId, std::vector<HWND>()};
    EnumDesktopWindows(GetThreadDesktop(GetCurrentThreadId()), collectWindowOf,
                       reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

// The window's answer, or FALSE when it gave none in time (hung, or gone).
LRESULT sendEndSession(HWND hWindow, UINT uMessage, WPARAM wParam,
                       ULONGLONG ullDeadline)
{
    DWORD_PTR dwAnswer = FALSE;
    if (!SendMessageTimeoutW(hWindow, uMessage, wParam, ENDSESSION_CLOSEAPP,
                             SMTO_ABORTIFHUNG | SMTO_NORMAL,
                             msUntil(ullDeadline), &dwAnswer))
        return FALSE;
    return static_cast<LRESULT>(dwAnswer);
}

} // namespace

DWORD msUntil(ULONGLONG ullDeadline)
{
    const ULONGLONG ullNow = GetTickCount64();
    return ullNow >= ullDeadline ? 0 : static_cast<DWORD>(ullDeadline - ullNow);
}

bool hasWindowHere(DWORD dwProcessId)
{
    return !windowsOf(dwProcessId).empty();
}

bool askWindowsToClose(DWORD dwProcessId, ULONGLONG ullDeadline)
{
    const std::vector<HWND> windows = windowsOf(dwProcessId);
    bool bAgreed = !windows.empty();
    for (HWND hWindow : windows)
        bAgreed = sendEndSession(hWindow, WM_QUERYENDSESSION, 0, ullDeadline) !=
                      FALSE &&
                  bAgreed;
    if (bAgreed) {
        for (HWND hWindow : windows)
            sendEndSession(hWindow, WM_ENDSESSION, TRUE, ullDeadline);
    }
    return bAgreed;
}

bool askProcessToClose(HANDLE hProcess, DWORD dwProcessId, DWORD dwWaitMs)
{
    const ULONGLONG ullDeadline = GetTickCount64() + dwWaitMs;
    askWindowsToClose(dwProcessId, ullDeadline);
    return WaitForSingleObject(hProcess, msUntil(ullDeadline)) == WAIT_OBJECT_0;
}

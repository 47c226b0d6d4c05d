// Asking the password manager to close the way Windows asks every program
// at log-off, so that its user's unsaved work is saved: the end-session
// messages with ENDSESSION_CLOSEAPP, which tell a program it is being
// closed so that a file it uses can be replaced. Sent with a time-out only:
// a hung program must not hang the patch.
#ifndef PATCH_POLITE_CLOSE_H
#define PATCH_POLITE_CLOSE_H

#include <windows.h>

// How long a program is given to close before it is ended.
const DWORD kPoliteCloseWaitMs = 10 * 1000;

// The milliseconds left until `ullDeadline` (a GetTickCount64 time), 0 once
// it has passed.
DWORD msUntil(ULONGLONG ullDeadline);
// Whether process `dwProcessId` has a top-level window on this desktop.
// Windows of another session or window station are never seen from here.
bool hasWindowHere(DWORD dwProcessId);
// Sends WM_QUERYENDSESSION, and when no window refused it WM_ENDSESSION, to
// every top-level window of process `dwProcessId` on this desktop, all
// before `ullDeadline`. True when it had windows and none refused.
bool askWindowsToClose(DWORD dwProcessId, ULONGLONG ullDeadline);
// Asks the windows here, then waits for `hProcess` (opened with SYNCHRONIZE)
// to exit; all within `dwWaitMs`. True when it exited. A process with no
// window on this desktop is only waited for.
bool askProcessToClose(HANDLE hProcess, DWORD dwProcessId, DWORD dwWaitMs);

#endif

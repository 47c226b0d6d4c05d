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

// Sends WM_QUERYENDSESSION, and when no window refused it WM_ENDSESSION, to
// every top-level window of process `dwProcessId`, then waits for `hProcess`
// (opened with SYNCHRONIZE) to exit; all within `dwWaitMs`. True when it
// exited. A process with no window on this desktop is only waited for.
bool askProcessToClose(HANDLE hProcess, DWORD dwProcessId, DWORD dwWaitMs);

#endif

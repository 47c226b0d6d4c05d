// The copy of the patch that asks the password manager to close from inside
// its user's session. Window messages cross neither sessions nor window
// stations: a run that a distribution tool started as SYSTEM sees none of
// the user's windows, and without this the password manager would only be
// ended, its user's unsaved work lost. So the run starts a copy of itself
// with that user's own token on the user's desktop, whose whole command
// line is one argument no person's command line holds:
// "/polite-close:<process id>". The copy patches nothing, shows nothing and
// writes no patch log. It asks only a process that is the product's
// password manager and runs as the copy's own user, so a person who starts
// it by hand can do nothing they could not do themselves. Its exit code is
// its answer.
#ifndef PATCH_CLOSE_REQUEST_H
#define PATCH_CLOSE_REQUEST_H

#include <windows.h>

#include "qbn_wchar_string.h"

// The copy's answers: its windows agreed to close; they did not (refused,
// hung, or it has none on the user's desktop); the process is not one the
// copy may ask.
const DWORD kCloseAgreed = 81041;
const DWORD kCloseRefused = 81042;
const DWORD kCloseNotAllowed = 81043;

// The arguments that make the copy ask process `dwProcessId`.
CQBNWCharString closeRequestArguments(DWORD dwProcessId);
// Whether the arguments of a command line (the program's name taken off)
// are exactly those of a close request, and for which process. Anything
// else, even with more around it, is a run of the patch.
bool readCloseRequest(const wchar_t* szArguments, DWORD& dwProcessId);
// The copy's work: asks the windows of process `dwProcessId` to close, as
// at log-off, when it is allowed to; answers one of the codes above.
DWORD answerCloseRequest(DWORD dwProcessId);

#endif

// Stops the running password manager before its libraries are replaced.
#ifndef PATCH_PROCESS_H
#define PATCH_PROCESS_H

#include <windows.h>

#include "patch_process_image.h"
#include "patch_stopped_process.h"
#include "qbn_wchar_string.h"

// Stops the first process whose image is `exeName` in the product's folder
// (exact, case-sensitive path comparison) after noting it in the patch log:
// asked to close as at log-off first, so that its user's work is saved
// (from inside its user's session when its windows cannot be reached from
// here), and terminated when it is still running after kPoliteCloseWaitMs.
// Non-zero when it was stopped (1 when it closed itself, otherwise the
// result of TerminateProcess), 0 when no such process was found. `stopped`
// keeps what starting it again takes.
int terminateProductProcess(const CQBNWCharString& exeName,
                            CPatchStoppedProcess& stopped);
// The same, for a process that is not to be started again.
int terminateProductProcess(const CQBNWCharString& exeName);

#endif

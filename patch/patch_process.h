// Stops the running password manager before its libraries are replaced.
#ifndef PATCH_PROCESS_H
#define PATCH_PROCESS_H

#include "qbn_wchar_string.h"

// Terminates the first process whose image is `exeName` in the product's
// folder (exact, case-sensitive path comparison) after noting it in the
// patch log; the non-zero result of TerminateProcess, or 0 when no such
// process was found.
int terminateProductProcess(const CQBNWCharString& exeName);

#endif

// A warning in the library's log for what a run refused or could not do
// where the user and the patch log are told less (or nothing): the
// administrator who reads the log must find why.
#ifndef PATCH_WARNING_H
#define PATCH_WARNING_H

#include "qbn_wchar_string.h"

// Written at once, with the thread's last-error value, which it keeps.
void logPatchWarning(const wchar_t* szClassName, const wchar_t* szMethodName,
                     const CQBNWCharString& message, const wchar_t* szSource,
                     unsigned long ulLine);

#endif

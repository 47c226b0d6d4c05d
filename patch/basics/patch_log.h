// The UTF-16 patch log in the product's folder: every message with its
// answer, and the notable file and process events, appended across runs.
#ifndef PATCH_LOG_H
#define PATCH_LOG_H

#include "qbn_wchar_string.h"

// Appends `entry` and its terminating 0 to the patch log; a new log starts
// with the byte-order mark. A log that cannot be opened drops the entry.
void appendPatchLog(const CQBNWCharString& entry);
// Appends string `stringId` with its first "%s" replaced by `insert`, as
// one line.
void appendPatchLogLine(int stringId, const CQBNWCharString& insert);

#endif

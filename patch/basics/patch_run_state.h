// What one run of the patch shares between its parts: whether it may show
// message boxes, and the name of the patch log it appends to.
#ifndef PATCH_RUN_STATE_H
#define PATCH_RUN_STATE_H

#include "qbn_wchar_string.h"

// The number of this patch: it names the patch log and the patch record.
const long kPatchNumber = 8104;

struct PatchRunStateRecord {
    PatchRunStateRecord();

    // Non-zero when the run shows no message box; set once from the
    // command line, before the first message.
    int silent;
    // "patchlog8104.txt"; completed by the product folder when written to.
    CQBNWCharString patchLogName;
};

// Built by static initialisation, before wWinMain runs.
extern PatchRunStateRecord PatchRunState;

#endif

// How a run ended, as the administrators' tools read it afterwards: the
// message it ended with, the path a failure named, and whether Windows was
// restarted. Every message passes through the message function, which notes
// it here; a pre-flight run (nothing changed, nothing shown or logged)
// notes what a real run would have said.
#ifndef PATCH_OUTCOME_H
#define PATCH_OUTCOME_H

#include "qbn_wchar_string.h"

struct PatchOutcomeRecord {
    // The last message of the run; 0 when it gave none.
    int messageId = 0;
    // The target the last "Failed to update file" line named.
    CQBNWCharString failedPath;
    // The restart question was answered Yes and the restart began.
    bool bRestartStarted = false;
    // Another run held the lock for the whole wait.
    bool bLockBusy = false;
    // A pre-flight: messages are noted here only, never shown or logged.
    bool bCheckOnly = false;
    // The pre-flight got as far as a real run would begin changing things.
    bool bWouldChange = false;
};

extern PatchOutcomeRecord PatchOutcome;

// Where a real run begins to change things: a pre-flight notes that it
// would, and ends there (true).
bool endsPreflight();

#endif

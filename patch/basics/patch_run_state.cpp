#include "patch_run_state.h"

#include "qbn_catch.h"

#define PATCH_RUN_STATE_SOURCE L".\\patch_run_state.cpp"

PatchRunStateRecord PatchRunState;

PatchRunStateRecord::PatchRunStateRecord() : silent(0)
{
    // Nothing may escape static initialisation: a name that cannot be built
    // stays null, and the log entries of this run are then dropped.
    qbnGuardAction(esErrno, PATCH_RUN_STATE_SOURCE, __LINE__, [&]() {
        patchLogName = CQBNWCharString(L"patchlog") +
                       CQBNWCharString(kPatchNumber) + CQBNWCharString(L".txt");
    });
}

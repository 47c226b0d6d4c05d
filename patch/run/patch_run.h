// What one run holds from its start to its end: the lock that keeps other
// runs out until the product is whole, and the password manager it
// stopped, which is started again when the run is over.
#ifndef PATCH_RUN_H
#define PATCH_RUN_H

#include "patch_run_lock.h"
#include "patch_stopped_process.h"

struct PatchRun {
    CPatchRunLock lock;
    CPatchStoppedProcess stoppedProcess;
    // Recovery finished a removal that a killed run had committed.
    bool bRemovalFinished = false;
};

#endif

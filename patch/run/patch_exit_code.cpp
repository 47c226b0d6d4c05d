#include "patch_exit_code.h"

#include "patch8104_ids.h"
#include "patch_outcome.h"
#include "patch_run_report.h"
#include "qbn_catch.h"

#define PATCH_EXIT_CODE_SOURCE L".\\patch_exit_code.cpp"

namespace {

int exitCodeOfMessage(bool bCheck)
{
    switch (PatchOutcome.messageId) {
    case IDS_PATCH_COMPLETED:
    case IDS_PATCH_REMOVED:
        return PatchOutcome.bRestartStarted ? kExitRestartStarted
                                            : kExitRestartNeeded;
    case IDS_ALREADY_INSTALLED:
    case IDS_PATCH_NOT_INSTALLED:
        return bCheck ? kExitNothingToDo : 0;
    case IDS_PRODUCT_NOT_INSTALLED:
    case IDS_WRONG_OPERATING_SYSTEM:
    case IDS_WRONG_PRODUCT_VERSION:
        return kExitNotApplicable;
    default:
        return PatchOutcome.bLockBusy ? kExitAnotherRun : kExitFailed;
    }
}

} // namespace

void reportRunOutcome(const PatchOptions& options)
{
    qbnGuardAction(esLastError, PATCH_EXIT_CODE_SOURCE, __LINE__, [&]() {
        if (options.bCheck)
            return writeResultValues(paCheck);
        writeResultValues(options.bRemoval ? paRemoval : paInstall);
        reportRunEvent();
    });
}

int exitCodeOf(const PatchOptions& options)
{
    if (options.bCheck)
        return PatchOutcome.bWouldChange ? 0 : exitCodeOfMessage(true);
    return options.bExitCodes ? exitCodeOfMessage(false) : 0;
}

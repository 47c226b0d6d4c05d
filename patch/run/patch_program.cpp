#include "patch_program.h"

#include <windows.h>

#include "patch_checks.h"
#include "patch_close_request.h"
#include "patch_exit_code.h"
#include "patch_messages.h"
#include "patch_outcome.h"
#include "patch_recovery.h"
#include "patch_removal.h"
#include "patch_run_state.h"
#include "patch_session.h"
#include "patch_target_folder.h"
#include "qbn_catch.h"

#define PATCH_PROGRAM_SOURCE L".\\patch_program.cpp"

namespace {

// Held until the product is whole: a second run starts its checks only
// once this one has recorded the patch (or changed nothing), and then finds
// its record. Without a usable product folder there is nothing a run may
// change, and the checks refuse. A pre-flight does not wait: another run
// at work is its answer.
bool takeRunLock(PatchRun& run, bool bCheck)
{
    CQBNWCharString productFolder;
    if (!readProductFolder(productFolder) ||
        run.lock.acquire(productFolder, bCheck ? 0 : kRunLockWaitMs))
        return true;
    if (run.lock.isRefused()) {
        reportFailedUpdate(run.lock.getPath());
        return false;
    }
    PatchOutcome.bLockBusy = true;
    showResultMessage(InstallFailed, MB_OK, IDOK);
    return false;
}

} // namespace

int runPatch(const wchar_t* szCommandLine)
{
    const PatchOptions options = readPatchOptions(szCommandLine);
    qbnGuardAction(esLastError, PATCH_PROGRAM_SOURCE, __LINE__, [&]() {
        // Nobody could answer a box on a desktop nobody sees: such a run,
        // as a distribution tool starts it, is as silent as one with /S.
        PatchRunState.silent =
            options.bSilent || options.bCheck || !hasVisibleDesktop() ? 1 : 0;
        PatchOutcome.bCheckOnly = options.bCheck;
        PatchRun run;
        // A pre-flight changes nothing, so it mends nothing either.
        if (!takeRunLock(run, options.bCheck) ||
            !(options.bCheck || recoverInterruptedRun(run)))
            return startStoppedProcessAgain(run);
        if (options.bRemoval)
            runRemoval(run);
        else
            checkAndInstall(run);
        startStoppedProcessAgain(run);
    });
    reportRunOutcome(options);
    return exitCodeOf(options);
}

int runProgram(const wchar_t* szArguments)
{
    DWORD dwProcessId = 0;
    if (readCloseRequest(szArguments, dwProcessId))
        return static_cast<int>(answerCloseRequest(dwProcessId));
    return runPatch(szArguments);
}

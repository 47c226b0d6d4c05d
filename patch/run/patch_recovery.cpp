#include "patch_recovery.h"

#include <vector>

#include "patch_file_bytes.h"
#include "patch_install.h"
#include "patch_install_journal.h"
#include "patch_messages.h"
#include "patch_target_folder.h"
#include "patch_uninstall_entry.h"
#include "qbn_catch.h"

#define PATCH_RECOVERY_SOURCE L".\\patch_recovery.cpp"

bool recoverInterruptedRun(PatchRun& run)
{
    CQBNWCharString unrestored;
    const bool bWhole =
        qbnGuard(false, esLastError, PATCH_RECOVERY_SOURCE, __LINE__, [&]() {
            // A journal is only ever written into usable folders; when they
            // are not, the prepare step refuses before anything moves.
            std::vector<HookTarget> ownTargets;
            CQBNWCharString productFolder;
            CQBNWCharString unusable;
            if (!locateTargets(everyHookFile(), ownTargets, productFolder,
                               unusable))
                return true;
            ownTargets.push_back(
                {&programCopyFile(), programCopyPath(productFolder)});
            // A password manager that may have loaded a half-new library
            // is stopped, as politely as for the patch, before any moves.
            CPatchInstallJournal journal(
                CPatchInstallJournal::pathIn(productFolder));
            const bool bRecovered = journal.recover(
                ownTargets, [&]() { stopPasswordManager(run); });
            run.bRemovalFinished = journal.hasFinishedRemoval();
            if (bRecovered)
                return true;
            unrestored = journal.getUnrestored();
            return false;
        });
    if (!bWhole)
        reportFailedUpdate(unrestored);
    return bWhole;
}

void startStoppedProcessAgain(PatchRun& run)
{
    if (!run.stoppedProcess.isKept())
        return;
    CQBNWCharString productFolder;
    // A journal left behind means libraries half in place: a process
    // started now would load them.
    if (readProductFolder(productFolder) &&
        fileExists(CPatchInstallJournal::pathIn(productFolder)))
        run.stoppedProcess.forget();
    run.stoppedProcess.startAgain();
}

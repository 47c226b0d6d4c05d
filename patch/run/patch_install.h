// The working half of the patch: decides from the window hook's file
// version whether this patch is newer, checks that the whole set can be
// put in place, stops the password manager, replaces the hook libraries
// through a journal, records the patch and offers a restart.
#ifndef PATCH_INSTALL_H
#define PATCH_INSTALL_H

#include "patch_hook_files.h"
#include "patch_install_journal.h"
#include "patch_pending_renames.h"
#include "patch_prepare.h"
#include "patch_run.h"
#include "qbn_wchar_string.h"

// Runs the replacement for the platform; every failure ends in a message
// (or in nothing at all) and the function returns. `runLock` is released
// as soon as the product is whole and recorded, before the restart
// question, and the password manager it stops is kept in `run` to be
// started again; without one, the run holds no lock and starts nothing.
void applyPatch(int platform);
void applyPatch(int platform, PatchRun& run);

// Replaces the installed library by its checked source, noting every step
// in `journal`; a failure is reported (message and patch log line) and
// answered with 0.
int replaceFile(const PreparedLibrary& library, CPatchInstallJournal& journal);
// Reads the renames pending for the next start into `renames`; false,
// after 1200 and the line naming it, when one names a library of
// `targets` or its backup (the restart would undo the run's work), or the
// list cannot be read.
bool checkPendingRenames(const std::vector<CQBNWCharString>& targets,
                         CPatchPendingRenames& renames);
// Where a real run begins to change things, a pre-flight ends: with 1200
// naming the first of `targets` a move would be refused for, otherwise
// noting that the run would change the machine. False for a real run.
bool endsPreflightAt(const std::vector<CQBNWCharString>& targets);
// Stops the password manager as politely as it allows, keeping what
// starting it again takes, and pauses while it lets go of its files.
void stopPasswordManager(PatchRun& run);
// Asks whether to restart now; 1 when the answer was not Yes, otherwise
// whether the restart could be started. The question and the restart are
// also there on their own.
int offerRestart();
// The end of a run that made the product whole: the lock goes first, so a
// run waiting for this one may go on while the question `questionId`
// waits for its answer. After Yes, Windows restarts and the password
// manager starts with the user's next log-on instead of from this run.
void releaseLockAndAskRestart(PatchRun& run, int questionId);
bool isRestartChosen();
int restartWindows();

#endif

// The end of a run as the administrators' tools read it: the result values
// and the event (traces/patch_run_report.h) and, when asked for, an exit code
// in the meanings installers share. Without "/ExitCodes" or "/check" the
// exit code is 0, whatever happened, as it always was.
#ifndef PATCH_EXIT_CODE_H
#define PATCH_EXIT_CODE_H

#include "patch_options.h"

// Success, a restart needed before it takes effect.
const int kExitRestartNeeded = 3010;
// Success, the restart begun.
const int kExitRestartStarted = 1641;
// The patch does not apply to this machine.
const int kExitNotApplicable = 1642;
// Another run was at work for the whole wait.
const int kExitAnotherRun = 1618;
const int kExitFailed = 1603;
// A pre-flight: nothing a run would do (already installed, not installed).
const int kExitNothingToDo = 1;

// Writes the result values and, for a real run, the event.
void reportRunOutcome(const PatchOptions& options);
int exitCodeOf(const PatchOptions& options);

#endif

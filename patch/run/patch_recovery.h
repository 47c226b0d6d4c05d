// The start and the end of every run around a killed one: the product is
// made whole from what a killed run left before anything is checked, and
// the password manager a run stopped is started again once it is over.
#ifndef PATCH_RECOVERY_H
#define PATCH_RECOVERY_H

#include "patch_run.h"

// Puts back what a killed run left half done, before this run checks
// anything, stopping the password manager first when anything moves. False,
// after message 1200 and the line naming the library that could not be put
// back, when the product could not be made whole.
bool recoverInterruptedRun(PatchRun& run);
// The end of a run: the password manager it stopped is started again as
// its own user, unless Windows restarts or libraries were left half in
// place.
void startStoppedProcessAgain(PatchRun& run);

#endif

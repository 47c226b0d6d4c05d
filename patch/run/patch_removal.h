// A removal run (patch8104.exe /uninstall): the patch comes off again as
// safely as it went on. Checks in a fixed order, a prepare step that
// changes nothing, the password manager stopped as an install stops it,
// then every library put back under the removal journal, and the patch
// forgotten only when all are back.
#ifndef PATCH_REMOVAL_H
#define PATCH_REMOVAL_H

#include "patch_run.h"

// The checks (product installed 1180, patch recorded 1195, Windows 6.1
// 1120) and the removal; every outcome ends in one message.
void runRemoval(PatchRun& run);

#endif

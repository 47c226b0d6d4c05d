// The working half of the patch: decides from the window hook's file
// version whether this patch is newer, stops the password manager, puts the
// new hook libraries in place of the installed ones, records the patch and
// offers a restart.
#ifndef PATCH_FILES_H
#define PATCH_FILES_H

#include "patch_file_journal.h"
#include "qbn_wchar_string.h"

// Platform codes of OsAndPlatform, which select the set of libraries.
const int kPlatform64Bit = 1;
const int kPlatform32Bit = 2;

// Runs the replacement for the platform; every failure ends in a message
// (or in nothing at all) and the function returns.
void applyPatch(int platform);

// Replaces the installed `targetName` by `sourcePath`, noting the step in
// `journal`; a failed copy is reported (message and patch log line) and
// answered with 0.
int replaceFile(const CQBNWCharString& sourcePath,
                const CQBNWCharString& targetName, CPatchFileJournal& journal);
// Asks whether to restart now; 1 when the answer was not Yes, otherwise
// whether the restart could be started.
int offerRestart();

#endif

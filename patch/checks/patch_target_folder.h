// The folders the hook libraries go to, as the product's registry records
// them. A folder is only used when it is an existing absolute folder: an
// empty or relative "InstallPath" would otherwise be completed against the
// current folder (the system folder, when a tool starts the patch), and a
// value too long to read in one view must not make the product model fall
// back to the other view's folder.
#ifndef PATCH_TARGET_FOLDER_H
#define PATCH_TARGET_FOLDER_H

#include <vector>

#include "patch_hook_files.h"
#include "qbn_wchar_string.h"

// The product's own folder (the 32-bit libraries, the patch log, the
// journal). False, with `folder` as far as it could be read, when it is
// not a usable target folder.
bool readProductFolder(CQBNWCharString& folder);
// The 64-bit view's "InstallPath" (64-bit Windows). `bPresent` is false
// when the view has no such value: the 64-bit libraries then go to the
// product's own folder. False when the value is there but not usable.
bool read64BitProductFolder(CQBNWCharString& folder, bool& bPresent);
// An existing folder given as "X:\..." whose longest file name of the
// patch still fits a Windows path.
bool isUsableTargetFolder(const CQBNWCharString& folder);

// Where each library of `files` goes, in its order, and the product's own
// folder: the 64-bit libraries to the 64-bit view's folder when it names
// one, everything else to the product's folder. False, with `unusable`
// naming the first target whose folder is not usable.
bool locateTargets(const HookFileSet& files, std::vector<HookTarget>& targets,
                   CQBNWCharString& productFolder, CQBNWCharString& unusable);

#endif

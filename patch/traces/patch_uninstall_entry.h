// The patch as Windows lists it under "View installed updates", below the
// product, with an Uninstall button that runs a copy of this program with
// /uninstall. The copy lives in a folder of the product's own installation
// folder, which only administrators can write (as Program Files): a copy in
// a folder others can write to would be started elevated by the next
// administrator who removes the patch.
#ifndef PATCH_UNINSTALL_ENTRY_H
#define PATCH_UNINSTALL_ENTRY_H

#include "patch_hook_files.h"
#include "qbn_wchar_string.h"

// The program copy as a target of the journal, like a library.
const HookFile& programCopyFile();
bool isProgramCopy(const HookFile& file);
// Where the copy goes for the product in `productFolder`.
CQBNWCharString programCopyPath(const CQBNWCharString& productFolder);
// The copy's folder, and whether a run may put the copy there: nothing
// under its name yet, or a plain folder holding nothing but the patch's own
// copy and its backups (anything else there was not put there by the
// patch, and might be loaded by the copy).
CQBNWCharString programCopyFolder(const CQBNWCharString& productFolder);
bool isProgramCopyFolderUsable(const CQBNWCharString& productFolder);
// The folder with an access list of its own: Administrators and SYSTEM
// may change it, users only read and run it, nothing inherited from the
// product's folder (whose list an administrator may have opened). A usable
// folder that carries another list is made again. False when there is no
// such folder after.
bool makeProgramCopyFolder(const CQBNWCharString& productFolder);

// Writes the entry (in the registry view a 32-bit program sees, which
// Programs and Features reads as well); false when any value was refused.
bool writeUninstallEntry(const CQBNWCharString& productFolder);
// The patch is removed: the entry and the program copy go; a copy that is
// running (the Uninstall button started it) is deleted when Windows next
// starts. True when nothing of either is left or scheduled to go.
bool deleteUninstallEntry(const CQBNWCharString& productFolder);
// An install is undone: the entry and the copy go now, and the folder when
// it is left empty. Nothing is left scheduled for the next start. True
// when the entry and the copy are gone.
bool withdrawUninstallEntry(const CQBNWCharString& productFolder);

#endif

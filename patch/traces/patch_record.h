// The two traces the patch leaves: the patch record under the product's
// registry key, whose existence tells a later run that the patch is
// installed (the patch log has a unit of its own, patch_log).
#ifndef PATCH_RECORD_H
#define PATCH_RECORD_H

#include "qbn_dbllist.h"
#include "qbn_wchar_string.h"

// 1 when the patch record key can be opened for reading.
int isPatchInstalled();
// Creates the record key with the description and the replaced files'
// names; always 0, since nothing is reported when the registry refuses.
int writePatchRecord(const CQBNWCharString& description,
                     const CQBNWCharStringList& fileList);

// Forgets the patch: the record key, the Installed Updates entry and the
// program copy go. True when they are gone (or the copy is to go when
// Windows next starts).
bool forgetPatch();

#endif

// File versions of the hook libraries: whether the patch's window hook is
// newer than the installed one.
#ifndef PATCH_FILE_VERSION_H
#define PATCH_FILE_VERSION_H

#include <windows.h>

#include "qbn_wchar_string.h"

// 1 with the two halves of the file's fixed version, 0 (outputs untouched)
// when the file has no readable version resource.
int getFileVersion(const CQBNWCharString& path, DWORD& versionMS,
                   DWORD& versionLS);
// The version as Windows shows it, "8.30.0.12"; "0.0.0.0" without one.
CQBNWCharString fileVersionText(const CQBNWCharString& path);
// The same for the program that runs.
CQBNWCharString programVersionText();
// The patch's library against the installed `targetName`: 1 newer, 0 the
// same, -1 older, 2 when either version is missing or 0.
int compareFileVersions(const CQBNWCharString& patchFilePath,
                        const CQBNWCharString& targetName);

#endif

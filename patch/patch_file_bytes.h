// Whole-file reads and comparisons for the libraries the patch replaces.
// Hook libraries are small, so a file is always handled as one block of
// bytes; that is what lets every backup and every copy be checked against
// the exact bytes it must hold.
#ifndef PATCH_FILE_BYTES_H
#define PATCH_FILE_BYTES_H

#include <windows.h>

#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

// True for an existing file (not a folder).
bool fileExists(const CQBNWCharString& path);
// True for an existing folder.
bool folderExists(const CQBNWCharString& path);
// The whole file; false when it cannot be opened or read in full, or is
// larger than a hook library can reasonably be.
bool readFileBytes(const CQBNWCharString& path,
                   CQBNBuffer<unsigned char>& bytes);
// Writes all of `pData` at the file's position; false when Windows wrote
// less.
bool writeAllBytes(HANDLE hFile, const void* pData, DWORD dwSize);
// True when the file can be read and holds exactly `bytes`.
bool fileHolds(const CQBNWCharString& path,
               const CQBNBuffer<unsigned char>& bytes);

#endif

// Whole-file reads and comparisons for the libraries the patch replaces.
// Hook libraries are small, so a file is always handled as one block of
// bytes; that is what lets every backup and every copy be checked against
// the exact bytes it must hold.
#ifndef PATCH_FILE_BYTES_H
#define PATCH_FILE_BYTES_H

#include <windows.h>

#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

// What lies at a path: nothing, a plain file that a move can replace, or
// anything else (a folder, a reparse point, a read-only file, or a path
// Windows will not describe).
enum PathKind { pkMissing, pkFile, pkOther };
PathKind pathKindOf(const CQBNWCharString& path);

// False for a file with a second name (a hard link) or a reparse point:
// what is written through it would land in a place other than the folder
// it was meant for.
bool isSingleNamedPlainFile(HANDLE hFile);

// True for an existing file (not a folder).
bool fileExists(const CQBNWCharString& path);
// The whole file; false when it cannot be opened or read in full, or is
// larger than a hook library can reasonably be.
bool readFileBytes(const CQBNWCharString& path,
                   CQBNBuffer<unsigned char>& bytes);
// Appends all of `pData` to a UTF-16LE file, made with its byte-order mark
// when new or empty; with `bThroughToDisk` it returns once the bytes are on
// the disk. False when the file cannot be opened or Windows wrote less, and
// (with a warning in the library's log) when the name is a hard link to a
// file that has others or a reparse point: nothing is written through it.
bool appendToUnicodeFile(const CQBNWCharString& path, const void* pData,
                         DWORD dwSize, bool bThroughToDisk);
// Writes `bytes` as a new plain file under a free name (never over anything
// that is there), dated `pLastWrite` when given. False when the name is
// taken or Windows wrote less; a file left part-written is the caller's.
bool writeNewFile(const CQBNWCharString& path,
                  const CQBNBuffer<unsigned char>& bytes,
                  const FILETIME* pLastWrite);
// The file's last-write time; false when it cannot be read.
bool readLastWriteTime(const CQBNWCharString& path, FILETIME& lastWrite);
// True when the file can be read and holds exactly `bytes`.
bool fileHolds(const CQBNWCharString& path,
               const CQBNBuffer<unsigned char>& bytes);
// A move that never replaces: false when anything is at `to`.
bool moveOntoFreeName(const CQBNWCharString& from, const CQBNWCharString& to);
// MoveFileExW with `dwFlags`, after which `to` must hold exactly the bytes
// `from` held before: false when they cannot be read first, or the move
// failed, lost or changed them.
bool moveFileChecked(const CQBNWCharString& from, const CQBNWCharString& to,
                     DWORD dwFlags);
// True when no file is left at `path`, whether it was deleted now or was
// never there.
bool removeFileIfPresent(const CQBNWCharString& path);
// The same, except that a file in use (a library another program has
// loaded) is deleted when Windows next starts: true when it is gone or
// scheduled to go.
bool removeFileNowOrAtRestart(const CQBNWCharString& path);

#endif

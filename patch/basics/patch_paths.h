// Where the patch's files are: the new libraries beside the patch program,
// the installed ones (and the patch log) in the product's folder.
#ifndef PATCH_PATHS_H
#define PATCH_PATHS_H

#include <windows.h>

#include "qbn_wchar_string.h"

// Room for every path Windows hands back, terminator included.
const DWORD kPathBufferLength = 260;

// A name holding ":\" is taken as a full path wherever a name is completed.
bool isFullPath(const CQBNWCharString& name);
// The full path of the running program. False when Windows cannot give it
// in full.
bool getProgramPath(CQBNWCharString& out);
// `name` beside the patch program (names here begin with a backslash); a
// full path (one holding ":\") is taken as it is. 0, with `out` emptied,
// when the program's folder cannot be read in full: a guessed folder could
// be one that others write to.
int getPatchFilePath(const CQBNWCharString& name, CQBNWCharString& out);
// `name` in the product's installation folder, or `name` alone when that
// folder cannot be read; a full path is taken as it is.
int getInstalledFilePath(CQBNWCharString& out, const CQBNWCharString& name);

// Whether two full paths name the same file as Windows resolves a path:
// each made whole by Windows ("." and ".." taken out, separators unified)
// and compared without regard to letter case. Forms Windows leaves as they
// are (\\?\, \\.\, a share) never equal a drive path; a path Windows
// cannot make whole within a path buffer equals nothing.
bool isSameWindowsPath(const CQBNWCharString& first,
                       const CQBNWCharString& second);

// The folder of a path, with its final backslash; empty for a path that
// has none.
CQBNWCharString folderOf(const CQBNWCharString& path);

// The folder and the name with one backslash between them: a folder as
// stored in the registry may or may not end with one. An empty folder
// gives the name alone.
CQBNWCharString joinFolderAndName(const CQBNWCharString& folder,
                                  const CQBNWCharString& name);

// The text a Windows call writes into a path buffer: `fill(buffer, size)`
// answers the length it wrote. A length that fills the buffer may be a cut
// path and counts as a failure, as 0 does.
template <class Fill>
bool readPathText(CQBNWCharString& out, Fill fill)
{
    wchar_t szPath[kPathBufferLength] = {};
    const DWORD dwLength = fill(szPath, kPathBufferLength);
    if (dwLength == 0 || dwLength >= kPathBufferLength - 1)
        return false;
    szPath[dwLength] = L'\0';
    out = CQBNWCharString(szPath);
    return true;
}

#endif

// The hook libraries the patch replaces, per Windows platform, and where
// each one lives: beside the patch program (source) and in the product's
// folders (target).
#ifndef PATCH_HOOK_FILES_H
#define PATCH_HOOK_FILES_H

#include <windows.h>

#include <vector>

#include "patch_paths.h"
#include "qbn_dbllist.h"
#include "qbn_wchar_string.h"

// Platform codes of OsAndPlatform, which select the set of libraries.
const int kPlatform64Bit = 1;
const int kPlatform32Bit = 2;

struct HookFile {
    // The bare name: in the product folder, in the patch record and (after
    // a leading backslash) beside the patch program.
    const wchar_t* szName;
    // In the folder of the 64-bit view's "InstallPath" rather than in the
    // one the product model reads.
    bool bSixtyFourBitFolder;
    // The machine its image must be built for.
    WORD wMachine;
};

// The first library of each set is the one whose version is compared.
struct HookFileSet {
    const HookFile* pFiles;
    unsigned long ulCount;
};

// A library where this run puts it: in the product's folders as the
// registry names them, after the checks of the prepare step.
struct HookTarget {
    const HookFile* pFile = nullptr;
    CQBNWCharString path;
};

// The target among `targets` that `path` names as Windows compares paths;
// null for any other path.
const HookTarget* findOwnTarget(const std::vector<HookTarget>& targets,
                                const CQBNWCharString& path);
// A journal's note line read back: `noted` (anything with getTarget) joins
// the journal's `files`, and its library `libraries`, only when it names one
// of the run's own `targets` that no earlier line noted (each library is
// noted once per run); false for anything else.
template <class File>
bool addOwnNote(const File& noted, const std::vector<HookTarget>& targets,
                std::vector<File>& files,
                std::vector<const HookFile*>& libraries)
{
    const HookTarget* pTarget = findOwnTarget(targets, noted.getTarget());
    if (pTarget == nullptr)
        return false;
    for (const File& file : files) {
        if (isSameWindowsPath(file.getTarget(), noted.getTarget()))
            return false;
    }
    files.push_back(noted);
    libraries.push_back(pTarget->pFile);
    return true;
}
// The path each of a run's `libraries` names through its member `pPath`,
// in their order.
template <class Library>
std::vector<CQBNWCharString> pathsOf(const std::vector<Library>& libraries,
                                     CQBNWCharString Library::*pPath)
{
    std::vector<CQBNWCharString> paths;
    for (const Library& library : libraries)
        paths.push_back(library.*pPath);
    return paths;
}
// The library of that name, null for any other.
const HookFile* findHookFile(const CQBNWCharString& name);

// Every library the patch may move on any platform (the 64-bit set holds
// the 32-bit one): what a journal of an earlier run may name.
HookFileSet everyHookFile();
// False for a platform code that has no set.
bool findHookFileSet(int platform, HookFileSet& files);
// The name getPatchFilePath completes with the patch program's folder.
CQBNWCharString sourceNameOf(const HookFile& file);
// The names the patch record lists for the platform, in their fixed order.
void listReplacedFiles(int platform, CQBNWCharStringList& names);

#endif

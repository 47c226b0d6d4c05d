// Everything a run checks before it changes anything: where each library
// of the set goes and that each one beside the patch program is whole. A
// run that cannot finish must find out before it stops the password manager
// (whose user may have unsaved work) or moves a single file.
#ifndef PATCH_PREPARE_H
#define PATCH_PREPARE_H

#include <vector>

#include "patch_hook_files.h"
#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

struct PreparedLibrary {
    const HookFile* pFile = nullptr;
    // Full paths: beside the patch program, and in the product's folder.
    CQBNWCharString source;
    CQBNWCharString target;
    // The source as it was checked; every copy must hold exactly these.
    CQBNBuffer<unsigned char> bytes;
};

// The target of every library of the set, in its order, and the product's
// own folder. A folder that is not usable is reported (1200 and the line
// naming the target) and answered with false.
bool resolveTargets(const HookFileSet& files,
                    std::vector<PreparedLibrary>& libraries,
                    CQBNWCharString& productFolder);
// Reads every source and checks it is a whole library for its machine,
// with a file version. The first one that is not is reported as above.
bool loadSources(std::vector<PreparedLibrary>& libraries);

#endif

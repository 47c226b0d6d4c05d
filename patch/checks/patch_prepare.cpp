#include "patch_prepare.h"

#include "patch_file_bytes.h"
#include "patch_image_check.h"
#include "patch_image_version.h"
#include "patch_messages.h"
#include "patch_paths.h"
#include "patch_payload_digest.h"
#include "patch_target_folder.h"
#include "qbn_catch.h"

#define PATCH_PREPARE_SOURCE L".\\patch_prepare.cpp"

namespace {

bool hasFileVersion(const CQBNBuffer<unsigned char>& bytes)
{
    DWORD dwVersionMS = 0;
    DWORD dwVersionLS = 0;
    return readImageFileVersion(bytes, dwVersionMS, dwVersionLS) &&
           (dwVersionMS != 0 || dwVersionLS != 0);
}

// The digest is checked on the very bytes every copy is compared with, so
// a library swapped beside the program after this check is caught too.
bool isWholeSource(PreparedLibrary& library)
{
    return getPatchFilePath(sourceNameOf(*library.pFile), library.source) &&
           readFileBytes(library.source, library.bytes) &&
           isWholeLibraryImage(library.bytes, library.pFile->wMachine) &&
           hasFileVersion(library.bytes) &&
           matchesShippedDigest(CQBNWCharString(library.pFile->szName),
                                library.bytes);
}

} // namespace

bool resolveTargets(const HookFileSet& files,
                    std::vector<PreparedLibrary>& libraries,
                    CQBNWCharString& productFolder)
{
    std::vector<HookTarget> targets;
    CQBNWCharString unusable;
    if (!locateTargets(files, targets, productFolder, unusable)) {
        reportFailedUpdate(unusable);
        return false;
    }
    libraries.assign(targets.size(), PreparedLibrary());
    for (std::size_t index = 0; index < targets.size(); ++index) {
        libraries[index].pFile = targets[index].pFile;
        libraries[index].target = targets[index].path;
    }
    return true;
}

bool loadSources(std::vector<PreparedLibrary>& libraries)
{
    for (PreparedLibrary& library : libraries) {
        const bool bWhole =
            qbnGuard(false, esLastError, PATCH_PREPARE_SOURCE, __LINE__,
                     [&]() { return isWholeSource(library); });
        if (!bWhole) {
            reportFailedUpdate(library.target);
            return false;
        }
    }
    return true;
}

#include "patch_prepare.h"

#include "patch_file_bytes.h"
#include "patch_file_version.h"
#include "patch_image_check.h"
#include "patch_messages.h"
#include "patch_paths.h"
#include "patch_payload_digest.h"
#include "patch_target_folder.h"
#include "qbn_catch.h"

#define PATCH_PREPARE_SOURCE L".\\patch_prepare.cpp"

namespace {

bool hasFileVersion(const CQBNWCharString& path)
{
    DWORD dwVersionMS = 0;
    DWORD dwVersionLS = 0;
    return getFileVersion(path, dwVersionMS, dwVersionLS) &&
           (dwVersionMS != 0 || dwVersionLS != 0);
}

// The digest is checked on the very bytes every copy is compared with, so
// a library swapped beside the program after this check is caught too.
bool isWholeSource(PreparedLibrary& library)
{
    return getPatchFilePath(sourceNameOf(*library.pFile), library.source) &&
           readFileBytes(library.source, library.bytes) &&
           isWholeLibraryImage(library.bytes, library.pFile->wMachine) &&
           hasFileVersion(library.source) &&
           matchesShippedDigest(CQBNWCharString(library.pFile->szName),
                                library.bytes);
}

// Where the 64-bit libraries go: the 64-bit view's folder when it names
// one, the product's own folder otherwise.
bool read64BitFolder(const CQBNWCharString& productFolder,
                     bool bProductFolderUsable, CQBNWCharString& folder)
{
    bool bPresent = false;
    const bool bUsable = read64BitProductFolder(folder, bPresent);
    if (bPresent)
        return bUsable;
    folder = productFolder;
    return bProductFolderUsable;
}

} // namespace

bool resolveTargets(const HookFileSet& files,
                    std::vector<PreparedLibrary>& libraries,
                    CQBNWCharString& productFolder)
{
    libraries.assign(files.ulCount, PreparedLibrary());
    CQBNWCharString folder64;
    const bool bProductFolderUsable = readProductFolder(productFolder);
    const bool bFolder64Usable =
        read64BitFolder(productFolder, bProductFolderUsable, folder64);
    for (unsigned long ulIndex = 0; ulIndex < files.ulCount; ++ulIndex) {
        const HookFile& file = files.pFiles[ulIndex];
        PreparedLibrary& library = libraries[ulIndex];
        library.pFile = &file;
        const CQBNWCharString& folder =
            file.bSixtyFourBitFolder ? folder64 : productFolder;
        const bool bUsable =
            file.bSixtyFourBitFolder ? bFolder64Usable : bProductFolderUsable;
        library.target =
            joinFolderAndName(folder, CQBNWCharString(file.szName));
        if (!bUsable) {
            reportFailedUpdate(library.target);
            return false;
        }
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

#include "patch_recovery_evidence.h"

#include "patch_file_bytes.h"
#include "patch_image_check.h"
#include "patch_payload_digest.h"
#include "patch_uninstall_entry.h"
#include "qbn_buffer.h"

bool holdsReleaseLibrary(const CQBNWCharString& path, const HookFile& file)
{
    CQBNBuffer<unsigned char> bytes;
    return pathKindOf(path) == pkFile && readFileBytes(path, bytes) &&
           matchesShippedDigest(CQBNWCharString(file.szName), bytes);
}

bool isDisposableLibrary(const CQBNWCharString& path, const HookFile& file)
{
    const PathKind kind = pathKindOf(path);
    if (kind == pkMissing)
        return true;
    CQBNBuffer<unsigned char> bytes;
    if (kind != pkFile || !readFileBytes(path, bytes))
        return false;
    // The program ships no digest of itself: its copy is judged by its
    // form, in a folder only administrators write.
    if (isProgramCopy(file))
        return bytes.getNumElems() == 0 ||
               isWholeProgramImage(bytes, file.wMachine);
    return bytes.getNumElems() == 0 ||
           matchesShippedDigest(CQBNWCharString(file.szName), bytes);
}

bool holdsWholeLibraryFor(const CQBNWCharString& path, const HookFile& file)
{
    CQBNBuffer<unsigned char> bytes;
    return pathKindOf(path) == pkFile && readFileBytes(path, bytes) &&
           isWholeLibraryImage(bytes, file.wMachine);
}

#include "patch_recovery_evidence.h"

#include "patch_file_bytes.h"
#include "patch_image_check.h"
#include "patch_payload_digest.h"
#include "patch_uninstall_entry.h"
#include "qbn_buffer.h"

// The program ships no digest of itself: its copy is judged by its form,
// in a folder only administrators write.
bool isReleaseBytes(const CQBNBuffer<unsigned char>& bytes,
                    const HookFile& file)
{
    if (isProgramCopy(file))
        return isWholeProgramImage(bytes, file.wMachine);
    return matchesShippedDigest(CQBNWCharString(file.szName), bytes);
}

bool holdsReleaseLibrary(const CQBNWCharString& path, const HookFile& file)
{
    CQBNBuffer<unsigned char> bytes;
    return pathKindOf(path) == pkFile && readFileBytes(path, bytes) &&
           isReleaseBytes(bytes, file);
}

bool isDisposableLibrary(const CQBNWCharString& path, const HookFile& file)
{
    const PathKind kind = pathKindOf(path);
    if (kind == pkMissing)
        return true;
    CQBNBuffer<unsigned char> bytes;
    return kind == pkFile && readFileBytes(path, bytes) &&
           (bytes.getNumElems() == 0 || isReleaseBytes(bytes, file));
}

bool holdsWholeLibraryFor(const CQBNWCharString& path, const HookFile& file)
{
    CQBNBuffer<unsigned char> bytes;
    return pathKindOf(path) == pkFile && readFileBytes(path, bytes) &&
           isWholeLibraryImage(bytes, file.wMachine);
}

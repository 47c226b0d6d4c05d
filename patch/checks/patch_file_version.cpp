#include "patch_file_version.h"

#include "patch_file_bytes.h"
#include "patch_image_version.h"
#include "patch_paths.h"
#include "qbn_buffer.h"
#include "qbn_catch.h"

#define PATCH_FILE_VERSION_SOURCE L".\\patch_file_version.cpp"

namespace {

const int kVersionsUnknown = 2;

// 0 when the file has no readable version: 0 counts as no version.
unsigned long long readVersionNumber(const CQBNWCharString& path)
{
    CQBNBuffer<unsigned char> bytes;
    return readFileBytes(path, bytes) ? imageVersionNumber(bytes) : 0;
}

} // namespace

int getFileVersion(const CQBNWCharString& path, DWORD& versionMS,
                   DWORD& versionLS)
{
    return qbnGuard(0, esLastError, PATCH_FILE_VERSION_SOURCE, __LINE__, [&]() {
        CQBNBuffer<unsigned char> bytes;
        return readFileBytes(path, bytes) &&
                       readImageFileVersion(bytes, versionMS, versionLS)
                   ? 1
                   : 0;
    });
}

int compareFileVersions(const CQBNWCharString& patchFilePath,
                        const CQBNWCharString& targetName)
{
    return qbnGuard(kVersionsUnknown, esLastError, PATCH_FILE_VERSION_SOURCE,
                    __LINE__, [&]() {
                        CQBNWCharString target;
                        getInstalledFilePath(target, targetName);
                        const unsigned long long ullPatch =
                            readVersionNumber(patchFilePath);
                        const unsigned long long ullInstalled =
                            readVersionNumber(target);
                        if (ullPatch == 0 || ullInstalled == 0)
                            return kVersionsUnknown;
                        if (ullPatch < ullInstalled)
                            return -1;
                        return ullPatch == ullInstalled ? 0 : 1;
                    });
}

namespace {

CQBNWCharString versionText(DWORD dwMS, DWORD dwLS)
{
    wchar_t szVersion[48] = {};
    wsprintfW(szVersion, L"%u.%u.%u.%u", HIWORD(dwMS), LOWORD(dwMS),
              HIWORD(dwLS), LOWORD(dwLS));
    return CQBNWCharString(szVersion);
}

} // namespace

CQBNWCharString fileVersionText(const CQBNWCharString& path)
{
    DWORD dwMS = 0;
    DWORD dwLS = 0;
    getFileVersion(path, dwMS, dwLS);
    return versionText(dwMS, dwLS);
}

// Its own version resource is in memory already: nothing to read.
CQBNWCharString programVersionText()
{
    DWORD dwMS = 0;
    DWORD dwLS = 0;
    const HRSRC hInfo =
        FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    const HGLOBAL hBlock =
        hInfo != nullptr ? LoadResource(nullptr, hInfo) : nullptr;
    if (hBlock != nullptr)
        readVersionBlock(
            static_cast<const unsigned char*>(LockResource(hBlock)),
            SizeofResource(nullptr, hInfo), dwMS, dwLS);
    return versionText(dwMS, dwLS);
}

#include "patch_file_version.h"

#include "patch_paths.h"
#include "patch_version_library.h"
#include "qbn_buffer.h"
#include "qbn_catch.h"

#define PATCH_FILE_VERSION_SOURCE L".\\patch_file_version.cpp"

namespace {

const int kVersionsUnknown = 2;

unsigned long long versionNumber(DWORD dwVersionMS, DWORD dwVersionLS)
{
    return (static_cast<unsigned long long>(dwVersionMS) << 32) | dwVersionLS;
}

// 0 when the file has no readable version: 0 counts as no version.
unsigned long long readVersionNumber(const CQBNWCharString& path)
{
    DWORD dwVersionMS = 0;
    DWORD dwVersionLS = 0;
    if (!getFileVersion(path, dwVersionMS, dwVersionLS))
        return 0;
    return versionNumber(dwVersionMS, dwVersionLS);
}

} // namespace

int getFileVersion(const CQBNWCharString& path, DWORD& versionMS,
                   DWORD& versionLS)
{
    return qbnGuard(0, esLastError, PATCH_FILE_VERSION_SOURCE, __LINE__, [&]() {
        const CPatchVersionLibrary version;
        const DWORD dwSize = version.getFileVersionInfoSize(path.getText());
        if (dwSize == 0)
            return 0;
        CQBNBuffer<unsigned char> block(dwSize);
        void* pValue = nullptr;
        UINT uLength = 0;
        if (!version.getFileVersionInfo(path.getText(), dwSize,
                                        block.getBuffer()) ||
            !version.queryValue(block.getBuffer(), L"\\", &pValue, &uLength) ||
            pValue == nullptr || uLength < sizeof(VS_FIXEDFILEINFO))
            return 0;
        const VS_FIXEDFILEINFO* pInfo =
            static_cast<const VS_FIXEDFILEINFO*>(pValue);
        versionMS = pInfo->dwFileVersionMS;
        versionLS = pInfo->dwFileVersionLS;
        return 1;
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

CQBNWCharString fileVersionText(const CQBNWCharString& path)
{
    DWORD dwMS = 0;
    DWORD dwLS = 0;
    getFileVersion(path, dwMS, dwLS);
    wchar_t szVersion[48] = {};
    wsprintfW(szVersion, L"%u.%u.%u.%u", HIWORD(dwMS), LOWORD(dwMS),
              HIWORD(dwLS), LOWORD(dwLS));
    return CQBNWCharString(szVersion);
}

#include "patch_target_folder.h"

#include <windows.h>

#include "patch_paths.h"
#include "qbn_catch.h"
#include "qbn_directory.h"
#include "qbn_product_vrn.h"
#include "qbn_registry_key.h"
#include "qbn_registry_string.h"

#define PATCH_TARGET_FOLDER_SOURCE L".\\patch_target_folder.cpp"

namespace {

const wchar_t kProductKey[] = L"Software\\Ostrel\\Vaultrion";
const wchar_t kInstallPathValue[] = L"InstallPath";
// The longest name the patch puts into a target folder: a hook library's
// previous backup, kept while a run is under way.
const unsigned long kLongestFileName =
    sizeof("qbnpwm_keyboard_hook_x64.dll.bak.old") - 1;

bool isDriveLetter(wchar_t wcUnit)
{
    return (wcUnit >= L'A' && wcUnit <= L'Z') ||
           (wcUnit >= L'a' && wcUnit <= L'z');
}

bool isDriveAbsolute(const CQBNWCharString& folder)
{
    const wchar_t* szFolder = folder.getText();
    return folder.getLength() >= 3 && isDriveLetter(szFolder[0]) &&
           szFolder[1] == L':' && szFolder[2] == L'\\' &&
           !folder.contains(CQBNWCharString(L"\\..\\"));
}

bool valueIsPresent(const CQBNWCharString& keyPath, REGSAM view)
{
    CQBNRegistryKey key(HKEY_LOCAL_MACHINE, keyPath, kQbnKeyRead | view, false,
                        0);
    return key.open() &&
           RegQueryValueExW(key.getHandle(), kInstallPathValue, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The "InstallPath" of one view only; `bPresent` tells a missing value
// from one that cannot be read.
bool readInstallPathInView(const CQBNWCharString& keyPath, REGSAM view,
                           CQBNWCharString& folder, bool& bPresent)
{
    folder = CQBNWCharString();
    bPresent = valueIsPresent(keyPath, view);
    if (!bPresent)
        return false;
    CQBNRegistryString value(HKEY_LOCAL_MACHINE, keyPath,
                             CQBNWCharString(kInstallPathValue), kQbnKeyRead,
                             false, 0);
    value.setAccess(kQbnKeyRead | view);
    return value.getValue(folder, false);
}

} // namespace

bool isUsableTargetFolder(const CQBNWCharString& folder)
{
    return isDriveAbsolute(folder) &&
           folder.getLength() + 1 + kLongestFileName < MAX_PATH &&
           CQBNDirectory(folder).isValidDirectory();
}

bool readProductFolder(CQBNWCharString& folder)
{
    return qbnGuard(
        false, esLastError, PATCH_TARGET_FOLDER_SOURCE, __LINE__, [&]() {
            CQBNProduct_VRN product;
            CQBNWCharString location;
            if (!product.getRegistryLocation(location))
                return false;
            bool bPresent = false;
            // The product model falls back to the other view
            // when this one cannot be read; for a value that is
            // there but unreadable that would be another folder.
            if (!readInstallPathInView(location, 0, folder, bPresent) &&
                (bPresent || !product.getInstallDirectory(folder)))
                return false;
            return isUsableTargetFolder(folder);
        });
}

bool read64BitProductFolder(CQBNWCharString& folder, bool& bPresent)
{
    bPresent = false;
    return qbnGuard(
        false, esLastError, PATCH_TARGET_FOLDER_SOURCE, __LINE__, [&]() {
            if (!readInstallPathInView(CQBNWCharString(kProductKey),
                                       KEY_WOW64_64KEY, folder, bPresent))
                return false;
            // An empty value names no folder, as a missing one.
            if (folder.getLength() == 0) {
                bPresent = false;
                return false;
            }
            return isUsableTargetFolder(folder);
        });
}

namespace {

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

bool locateTargets(const HookFileSet& files, std::vector<HookTarget>& targets,
                   CQBNWCharString& productFolder, CQBNWCharString& unusable)
{
    targets.assign(files.ulCount, HookTarget());
    CQBNWCharString folder64;
    const bool bProductFolderUsable = readProductFolder(productFolder);
    const bool bFolder64Usable =
        read64BitFolder(productFolder, bProductFolderUsable, folder64);
    for (unsigned long ulIndex = 0; ulIndex < files.ulCount; ++ulIndex) {
        const HookFile& file = files.pFiles[ulIndex];
        const bool bIn64BitFolder = file.bSixtyFourBitFolder;
        targets[ulIndex].pFile = &file;
        targets[ulIndex].path =
            joinFolderAndName(bIn64BitFolder ? folder64 : productFolder,
                              CQBNWCharString(file.szName));
        if (!(bIn64BitFolder ? bFolder64Usable : bProductFolderUsable)) {
            unusable = targets[ulIndex].path;
            return false;
        }
    }
    return true;
}

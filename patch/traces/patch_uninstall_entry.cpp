#include "patch_uninstall_entry.h"

#include <windows.h>

#include "patch_access_list.h"
#include "patch_file_bytes.h"
#include "patch_file_version.h"
#include "patch_paths.h"
#include "patch_registry_values.h"
#include "patch_run_report.h"
#include "qbn_unique_handle.h"

namespace {

const HookFile kProgramCopy = {L"patch8104.exe", false,
                               IMAGE_FILE_MACHINE_I386};
const wchar_t kCopyFolder[] = L"Patch8104";
// Administrators and SYSTEM may change the copy, users only run it; nothing
// comes from the product's folder, whose list an administrator may have
// opened to users.
const wchar_t kCopyFolderAccessList[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const wchar_t kEntryKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"Vaultrion_Patch8104";
const wchar_t kProductName[] = L"Vaultrion - Password Manager";
// The libraries and the copy, in KiB, as Programs and Features shows it.
const DWORD kEstimatedSizeKiB = 800;

// The version of the window hook now installed: this release's. The
// 32-bit set's window hook is in the product folder on either platform.
CQBNWCharString installedVersion(const CQBNWCharString& productFolder)
{
    HookFileSet files32 = {};
    if (!findHookFileSet(kPlatform32Bit, files32))
        return fileVersionText(CQBNWCharString());
    return fileVersionText(joinFolderAndName(
        productFolder, CQBNWCharString(files32.pFiles[0].szName)));
}

CQBNWCharString today()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t szDate[16] = {};
    wsprintfW(szDate, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return CQBNWCharString(szDate);
}

bool writeValues(HKEY hKey, const CQBNWCharString& productFolder)
{
    const CQBNWCharString command = CQBNWCharString(L"\"") +
                                    programCopyPath(productFolder) +
                                    CQBNWCharString(L"\" /uninstall");
    const CQBNWCharString product(kProductName);
    return setRegistryText(hKey, L"DisplayName",
                           CQBNWCharString(L"Patch 8104 for ") + product) &&
           setRegistryText(hKey, L"DisplayVersion",
                           installedVersion(productFolder)) &&
           setRegistryText(hKey, L"Publisher", CQBNWCharString(L"Ostrel")) &&
           setRegistryText(hKey, L"InstallDate", today()) &&
           setRegistryNumber(hKey, L"EstimatedSize", kEstimatedSizeKiB) &&
           setRegistryNumber(hKey, L"NoModify", 1) &&
           setRegistryNumber(hKey, L"NoRepair", 1) &&
           setRegistryText(hKey, L"UninstallString", command) &&
           setRegistryText(hKey, L"QuietUninstallString",
                           command + CQBNWCharString(L" /S")) &&
           setRegistryText(hKey, L"ParentKeyName", product) &&
           setRegistryText(hKey, L"ParentDisplayName", product) &&
           setRegistryText(hKey, L"ReleaseType", CQBNWCharString(L"Hotfix"));
}

// The copy that is running (the Uninstall button started it) cannot go
// before Windows next starts; its folder goes with it.
bool deleteProgramCopy(const CQBNWCharString& productFolder)
{
    const CQBNWCharString folder = programCopyFolder(productFolder);
    if (!removeFileNowOrAtRestart(programCopyPath(productFolder)))
        return false;
    if (RemoveDirectoryW(folder.getText()) || pathKindOf(folder) == pkMissing)
        return true;
    return MoveFileExW(folder.getText(), nullptr,
                       MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

// The entry and the event source registered with it go together.
bool deleteEntryKey()
{
    return unregisterEventSource() && deleteMachineKey(kEntryKey);
}

// The names a run of the patch leaves in the copy's folder: the copy and
// the backups the journal makes of an earlier one.
const wchar_t* const kCopyFolderNames[] = {
    L"patch8104.exe", L"patch8104.exe.bak", L"patch8104.exe.bak.old"};

bool isOwnCopyName(const wchar_t* szName)
{
    for (const wchar_t* szOwn : kCopyFolderNames) {
        if (CompareStringOrdinal(szName, -1, szOwn, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

bool isCopyFolderEntry(const CQBNWCharString& folder, const wchar_t* szName)
{
    if (wcscmp(szName, L".") == 0 || wcscmp(szName, L"..") == 0)
        return true;
    return isOwnCopyName(szName) &&
           pathKindOf(joinFolderAndName(folder, CQBNWCharString(szName))) ==
               pkFile;
}

bool removeCopyFolder(const CQBNWCharString& folder)
{
    for (const wchar_t* szOwn : kCopyFolderNames) {
        if (!removeFileIfPresent(
                joinFolderAndName(folder, CQBNWCharString(szOwn))))
            return false;
    }
    return RemoveDirectoryW(folder.getText()) != FALSE;
}

bool isFolder(const CQBNWCharString& path)
{
    const DWORD dwAttributes = GetFileAttributesW(path.getText());
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

} // namespace

const HookFile& programCopyFile()
{
    return kProgramCopy;
}

bool isProgramCopy(const HookFile& file)
{
    return &file == &kProgramCopy;
}

CQBNWCharString programCopyPath(const CQBNWCharString& productFolder)
{
    return joinFolderAndName(programCopyFolder(productFolder),
                             CQBNWCharString(kProgramCopy.szName));
}

CQBNWCharString programCopyFolder(const CQBNWCharString& productFolder)
{
    return joinFolderAndName(productFolder, CQBNWCharString(kCopyFolder));
}

bool isProgramCopyFolderUsable(const CQBNWCharString& productFolder)
{
    const CQBNWCharString folder = programCopyFolder(productFolder);
    if (pathKindOf(folder) == pkMissing)
        return true;
    if (!isFolder(folder))
        return false;
    WIN32_FIND_DATAW found = {};
    const CQBNUniqueFind search(FindFirstFileW(
        joinFolderAndName(folder, CQBNWCharString(L"*")).getText(), &found));
    if (!search.isValid())
        return false;
    do {
        found.cFileName[MAX_PATH - 1] = L'\0';
        if (!isCopyFolderEntry(folder, found.cFileName))
            return false;
    } while (FindNextFileW(search.get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

bool makeProgramCopyFolder(const CQBNWCharString& productFolder)
{
    const CQBNWCharString folder = programCopyFolder(productFolder);
    CPatchAccessList accessList(kCopyFolderAccessList);
    if (!accessList.isValid() || !isProgramCopyFolderUsable(productFolder))
        return false;
    if (accessList.isOn(folder))
        return true;
    // Made with another access list (by hand, or by a system that does not
    // keep the patch's): only the patch's own files can be in it, and they
    // go with it, so that nobody else's copy is ever run from there.
    if (pathKindOf(folder) != pkMissing && !removeCopyFolder(folder))
        return false;
    return CreateDirectoryW(folder.getText(), accessList.attributes()) != FALSE;
}

bool writeUninstallEntry(const CQBNWCharString& productFolder)
{
    CQBNUniqueRegKey key;
    if (!createMachineKey(kEntryKey, key))
        return false;
    return writeValues(key.get(), productFolder) &&
           registerEventSource(programCopyPath(productFolder));
}

bool deleteUninstallEntry(const CQBNWCharString& productFolder)
{
    return deleteProgramCopy(productFolder) && deleteEntryKey();
}

bool withdrawUninstallEntry(const CQBNWCharString& productFolder)
{
    const bool bCopyGone = removeFileIfPresent(programCopyPath(productFolder));
    // The prepare step let the run go on only with a folder that holds
    // nothing but the patch's own files: empty now, it is the patch's.
    RemoveDirectoryW(programCopyFolder(productFolder).getText());
    return deleteEntryKey() && bCopyGone;
}

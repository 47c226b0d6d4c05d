#include "patch_uninstall_entry.h"

#include <windows.h>

#include "patch_file_bytes.h"
#include "patch_file_version.h"
#include "patch_paths.h"
#include "qbn_unique_handle.h"

namespace {

const HookFile kProgramCopy = {L"patch8104.exe", false,
                               IMAGE_FILE_MACHINE_I386};
const wchar_t kCopyFolder[] = L"Patch8104";
const wchar_t kEntryKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"Vaultrion_Patch8104";
const wchar_t kProductName[] = L"Vaultrion - Password Manager";
// The libraries and the copy, in KiB, as Programs and Features shows it.
const DWORD kEstimatedSizeKiB = 800;

CQBNWCharString copyFolderOf(const CQBNWCharString& productFolder)
{
    return joinFolderAndName(productFolder, CQBNWCharString(kCopyFolder));
}

bool setText(HKEY hKey, const wchar_t* szName, const CQBNWCharString& text)
{
    return RegSetValueExW(hKey, szName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.getText()),
                          (text.getLength() + 1) * sizeof(wchar_t)) ==
           ERROR_SUCCESS;
}

bool setNumber(HKEY hKey, const wchar_t* szName, DWORD dwValue)
{
    return RegSetValueExW(hKey, szName, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&dwValue),
                          sizeof(dwValue)) == ERROR_SUCCESS;
}

// The version of the window hook now installed: this release's. The
// 32-bit set's window hook is in the product folder on either platform.
CQBNWCharString installedVersion(const CQBNWCharString& productFolder)
{
    HookFileSet files32 = {};
    DWORD dwMS = 0;
    DWORD dwLS = 0;
    if (findHookFileSet(kPlatform32Bit, files32))
        getFileVersion(
            joinFolderAndName(productFolder,
                              CQBNWCharString(files32.pFiles[0].szName)),
            dwMS, dwLS);
    wchar_t szVersion[48] = {};
    wsprintfW(szVersion, L"%u.%u.%u.%u", HIWORD(dwMS), LOWORD(dwMS),
              HIWORD(dwLS), LOWORD(dwLS));
    return CQBNWCharString(szVersion);
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
    return setText(hKey, L"DisplayName",
                   CQBNWCharString(L"Patch 8104 for ") + product) &&
           setText(hKey, L"DisplayVersion", installedVersion(productFolder)) &&
           setText(hKey, L"Publisher", CQBNWCharString(L"Ostrel")) &&
           setText(hKey, L"InstallDate", today()) &&
           setNumber(hKey, L"EstimatedSize", kEstimatedSizeKiB) &&
           setNumber(hKey, L"NoModify", 1) && setNumber(hKey, L"NoRepair", 1) &&
           setText(hKey, L"UninstallString", command) &&
           setText(hKey, L"QuietUninstallString",
                   command + CQBNWCharString(L" /S")) &&
           setText(hKey, L"ParentKeyName", product) &&
           setText(hKey, L"ParentDisplayName", product) &&
           setText(hKey, L"ReleaseType", CQBNWCharString(L"Hotfix"));
}

bool deleteProgramCopy(const CQBNWCharString& productFolder)
{
    const CQBNWCharString copy = programCopyPath(productFolder);
    const CQBNWCharString folder = copyFolderOf(productFolder);
    const bool bCopyGone =
        DeleteFileW(copy.getText()) || pathKindOf(copy) == pkMissing ||
        MoveFileExW(copy.getText(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (RemoveDirectoryW(folder.getText()) || pathKindOf(folder) == pkMissing)
        return bCopyGone;
    return bCopyGone &&
           MoveFileExW(folder.getText(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
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
    return joinFolderAndName(copyFolderOf(productFolder),
                             CQBNWCharString(kProgramCopy.szName));
}

bool makeProgramCopyFolder(const CQBNWCharString& productFolder)
{
    const CQBNWCharString folder = copyFolderOf(productFolder);
    return CreateDirectoryW(folder.getText(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeUninstallEntry(const CQBNWCharString& productFolder)
{
    CQBNUniqueRegKey key;
    if (!key.received(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEntryKey, 0, nullptr,
                                      0, KEY_SET_VALUE, nullptr, key.receive(),
                                      nullptr) == ERROR_SUCCESS))
        return false;
    return writeValues(key.get(), productFolder);
}

bool deleteUninstallEntry(const CQBNWCharString& productFolder)
{
    const LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEntryKey);
    const bool bEntryGone =
        status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    return deleteProgramCopy(productFolder) && bEntryGone;
}

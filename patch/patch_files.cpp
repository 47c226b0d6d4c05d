#include "patch_files.h"

#include "patch8104_ids.h"
#include "patch_file_version.h"
#include "patch_messages.h"
#include "patch_paths.h"
#include "patch_process.h"
#include "patch_record.h"
#include "qbn_catch.h"
#include "qbn_dbllist.h"
#include "qbn_registry_key.h"
#include "qbn_registry_string.h"
#include "qbn_win_reboot.h"

#define PATCH_FILES_SOURCE L".\\patch_files.cpp"

namespace {

// Each library by its bare name: in the product folder, in the patch record
// and (after a leading backslash) beside the patch program.
const wchar_t kWindowsHook[] = L"qbnpwm_windows_hook.dll";
const wchar_t kKeyboardHook[] = L"qbnpwm_keyboard_hook.dll";
const wchar_t kWindowsHook64[] = L"qbnpwm_windows_hook_x64.dll";
const wchar_t kKeyboardHook64[] = L"qbnpwm_keyboard_hook_x64.dll";

const wchar_t kProductProcess[] = L"password_manager.exe";
const DWORD kPauseAfterTerminationMs = 5000;

const wchar_t kPatchDescription[] =
    L"Resolve the problem that Password Manager cause that text can not be "
    L"highlighted by cursor in Office 2007.";

// Where the 64-bit libraries go: the product's folder as the 64-bit
// registry view records it.
const wchar_t kProductKey[] = L"Software\\Ostrel\\Vaultrion";
const wchar_t kInstallPathValue[] = L"InstallPath";

struct HookFile {
    const wchar_t* szName;
    // In the folder of the 64-bit view's "InstallPath" rather than in the
    // one the product model reads.
    bool bSixtyFourBitFolder;
};

// The first library of each set is the one whose version is compared.
const HookFile kFilesOf32BitWindows[] = {
    {kWindowsHook, false},
    {kKeyboardHook, false},
};
const HookFile kFilesOf64BitWindows[] = {
    {kWindowsHook64, true},
    {kKeyboardHook64, true},
    {kWindowsHook, false},
    {kKeyboardHook, false},
};

struct HookFileSet {
    const HookFile* pFiles;
    unsigned long ulCount;
};

bool findHookFileSet(int platform, HookFileSet& files)
{
    if (platform == kPlatform32Bit)
        files = {kFilesOf32BitWindows, ARRAYSIZE(kFilesOf32BitWindows)};
    else if (platform == kPlatform64Bit)
        files = {kFilesOf64BitWindows, ARRAYSIZE(kFilesOf64BitWindows)};
    else
        return false;
    return true;
}

// Empty when the 64-bit view has no readable "InstallPath".
CQBNWCharString read64BitInstallPath()
{
    CQBNRegistryString value(HKEY_LOCAL_MACHINE, CQBNWCharString(kProductKey),
                             CQBNWCharString(kInstallPathValue), kQbnKeyRead,
                             false, 0);
    value.setAccess(kQbnKeyRead | KEY_WOW64_64KEY);
    CQBNWCharString folder;
    if (!value.getValue(folder, false))
        return CQBNWCharString();
    return folder;
}

// A 64-bit library carries the 64-bit folder when there is one; every other
// name is completed by getInstalledFilePath.
CQBNWCharString targetNameOf(const HookFile& file, const CQBNWCharString& dir64)
{
    const CQBNWCharString name(file.szName);
    if (file.bSixtyFourBitFolder)
        return joinFolderAndName(dir64, name);
    return name;
}

// The name getPatchFilePath completes with the patch program's folder.
CQBNWCharString sourceNameOf(const HookFile& file)
{
    return CQBNWCharString(L"\\") + CQBNWCharString(file.szName);
}

CQBNWCharString sourcePathOf(const HookFile& file)
{
    CQBNWCharString source;
    getPatchFilePath(sourceNameOf(file), source);
    return source;
}

bool isPatchNewer(const HookFile& versionFile, const CQBNWCharString& dir64)
{
    const int comparison = compareFileVersions(
        sourcePathOf(versionFile), targetNameOf(versionFile, dir64));
    if (comparison == 0) {
        showMessage(IDS_ALREADY_INSTALLED, MB_OK, IDOK);
        return false;
    }
    if (comparison < 0) {
        showMessage(IDS_WRONG_PRODUCT_VERSION, MB_OK, IDOK);
        return false;
    }
    return true;
}

void stopProductProcess()
{
    if (terminateProductProcess(CQBNWCharString(kProductProcess)))
        Sleep(kPauseAfterTerminationMs);
}

// All libraries of the set or none: the first failed copy puts back every
// library replaced so far.
bool replaceHookFiles(const HookFileSet& files, const CQBNWCharString& dir64)
{
    CPatchFileJournal journal;
    for (unsigned long ulIndex = 0; ulIndex < files.ulCount; ++ulIndex) {
        const HookFile& file = files.pFiles[ulIndex];
        if (!replaceFile(sourceNameOf(file), targetNameOf(file, dir64),
                         journal)) {
            journal.rollBack();
            return false;
        }
    }
    journal.commit();
    return true;
}

void listReplacedFiles(int platform, CQBNWCharStringList& names)
{
    names.add(CQBNWCharString(kWindowsHook), 0);
    names.add(CQBNWCharString(kKeyboardHook), 0);
    if (platform == kPlatform64Bit) {
        names.add(CQBNWCharString(kWindowsHook64), 0);
        names.add(CQBNWCharString(kKeyboardHook64), 0);
    }
}

} // namespace

void applyPatch(int platform)
{
    qbnGuardAction(esLastError, PATCH_FILES_SOURCE, __LINE__, [&]() {
        HookFileSet files = {nullptr, 0};
        if (!findHookFileSet(platform, files)) {
            showMessage(IDS_WRONG_OPERATING_SYSTEM, MB_OK, IDOK);
            return;
        }
        const CQBNWCharString dir64 = platform == kPlatform64Bit
                                          ? read64BitInstallPath()
                                          : CQBNWCharString();
        if (!isPatchNewer(files.pFiles[0], dir64))
            return;
        stopProductProcess();
        if (!replaceHookFiles(files, dir64))
            return;
        CQBNWCharStringList replaced;
        listReplacedFiles(platform, replaced);
        writePatchRecord(CQBNWCharString(kPatchDescription), replaced);
        offerRestart();
    });
}

int replaceFile(const CQBNWCharString& sourcePath,
                const CQBNWCharString& targetName, CPatchFileJournal& journal)
{
    return qbnGuard(0, esLastError, PATCH_FILES_SOURCE, __LINE__, [&]() {
        CQBNWCharString source;
        getPatchFilePath(sourcePath, source);
        CQBNWCharString target;
        getInstalledFilePath(target, targetName);
        const int copied = journal.replace(source, target);
        if (!copied) {
            showMessage(IDS_INSTALL_FAILED, MB_OK, IDOK);
            appendPatchLogLine(IDS_UPDATE_FILE_FAILED, target);
        }
        return copied;
    });
}

int offerRestart()
{
    return qbnGuard(0, esLastError, PATCH_FILES_SOURCE, __LINE__, [&]() {
        if (showMessage(IDS_PATCH_COMPLETED, MB_YESNO, IDNO) != IDYES)
            return 1;
        CQBNWinReboot reboot;
        return reboot.rebootSystem(false, CQBNWCharString(), CQBNWCharString(),
                                   0)
                   ? 1
                   : 0;
    });
}

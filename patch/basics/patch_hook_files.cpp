#include "patch_hook_files.h"

namespace {

const wchar_t kWindowsHook[] = L"qbnpwm_windows_hook.dll";
const wchar_t kKeyboardHook[] = L"qbnpwm_keyboard_hook.dll";
const wchar_t kWindowsHook64[] = L"qbnpwm_windows_hook_x64.dll";
const wchar_t kKeyboardHook64[] = L"qbnpwm_keyboard_hook_x64.dll";

const HookFile kFilesOf32BitWindows[] = {
    {kWindowsHook, false, IMAGE_FILE_MACHINE_I386},
    {kKeyboardHook, false, IMAGE_FILE_MACHINE_I386},
};
const HookFile kFilesOf64BitWindows[] = {
    {kWindowsHook64, true, IMAGE_FILE_MACHINE_AMD64},
    {kKeyboardHook64, true, IMAGE_FILE_MACHINE_AMD64},
    {kWindowsHook, false, IMAGE_FILE_MACHINE_I386},
    {kKeyboardHook, false, IMAGE_FILE_MACHINE_I386},
};

} // namespace

HookFileSet everyHookFile()
{
    return {kFilesOf64BitWindows, ARRAYSIZE(kFilesOf64BitWindows)};
}

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

CQBNWCharString sourceNameOf(const HookFile& file)
{
    return CQBNWCharString(L"\\") + CQBNWCharString(file.szName);
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

const HookTarget* findOwnTarget(const std::vector<HookTarget>& targets,
                                const CQBNWCharString& path)
{
    for (const HookTarget& target : targets) {
        if (isSameWindowsPath(target.path, path))
            return &target;
    }
    return nullptr;
}

const HookFile* findHookFile(const CQBNWCharString& name)
{
    for (const HookFile& file : kFilesOf64BitWindows) {
        if (name == CQBNWCharString(file.szName))
            return &file;
    }
    return nullptr;
}

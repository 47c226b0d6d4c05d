#include "patch_paths.h"

#include "qbn_catch.h"
#include "qbn_product_vrn.h"

#define PATCH_PATHS_SOURCE L".\\patch_paths.cpp"

bool isFullPath(const CQBNWCharString& name)
{
    return name.contains(CQBNWCharString(L":\\"));
}

namespace {

// The folder of the running program, without its trailing backslash; a
// program path without any backslash gives the current directory.
bool getProgramFolder(CQBNWCharString& folder)
{
    CQBNWCharString program;
    if (!getProgramPath(program))
        return false;
    const CQBNWCharString programFolder = folderOf(program);
    if (programFolder.getLength() != 0)
        return programFolder.dropLast(1, folder);
    return readPathText(folder, [](wchar_t* szBuffer, DWORD dwSize) {
        return GetCurrentDirectoryW(dwSize, szBuffer);
    });
}

bool fullPathOf(const CQBNWCharString& path, CQBNWCharString& full)
{
    return readPathText(full, [&](wchar_t* szBuffer, DWORD dwSize) {
        return GetFullPathNameW(path.getText(), dwSize, szBuffer, nullptr);
    });
}

} // namespace

bool getProgramPath(CQBNWCharString& out)
{
    return readPathText(out, [](wchar_t* szBuffer, DWORD dwSize) {
        return GetModuleFileNameW(nullptr, szBuffer, dwSize);
    });
}

CQBNWCharString folderOf(const CQBNWCharString& path)
{
    unsigned long ulLastBackslash = 0;
    CQBNWCharString folder;
    if (!path.find(CQBNWCharString(L"\\"), 1, pmBackward, ulLastBackslash) ||
        !path.dropLast(path.getLength() - ulLastBackslash - 1, folder))
        return CQBNWCharString();
    return folder;
}

bool isSameWindowsPath(const CQBNWCharString& first,
                       const CQBNWCharString& second)
{
    CQBNWCharString fullFirst;
    CQBNWCharString fullSecond;
    return isFullPath(first) && isFullPath(second) &&
           fullPathOf(first, fullFirst) && fullPathOf(second, fullSecond) &&
           CompareStringOrdinal(fullFirst.getText(), -1, fullSecond.getText(),
                                -1, TRUE) == CSTR_EQUAL;
}

CQBNWCharString joinFolderAndName(const CQBNWCharString& folder,
                                  const CQBNWCharString& name)
{
    const CQBNWCharString backslash(L"\\");
    if (folder.getLength() == 0)
        return name;
    if (folder.endsWith(backslash))
        return folder + name;
    return folder + backslash + name;
}

int getPatchFilePath(const CQBNWCharString& name, CQBNWCharString& out)
{
    return qbnGuard(0, esLastError, PATCH_PATHS_SOURCE, __LINE__, [&]() {
        if (isFullPath(name)) {
            out = name;
            return 1;
        }
        CQBNWCharString folder;
        if (!getProgramFolder(folder)) {
            out = CQBNWCharString();
            return 0;
        }
        out = folder + name;
        return 1;
    });
}

int getInstalledFilePath(CQBNWCharString& out, const CQBNWCharString& name)
{
    return qbnGuard(0, esLastError, PATCH_PATHS_SOURCE, __LINE__, [&]() {
        if (isFullPath(name)) {
            out = name;
            return 1;
        }
        CQBNProduct_VRN product;
        CQBNWCharString directory;
        if (product.getInstallDirectory(directory))
            out = joinFolderAndName(directory, name);
        else
            out = name;
        return 1;
    });
}

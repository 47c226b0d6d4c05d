#include "qbn_system_library.h"

CQBNSystemLibrary::CQBNSystemLibrary(const wchar_t* szFileName)
{
    const CQBNWCharString path = pathOf(szFileName);
    if (path.getLength() > 0)
        m_module.reset(LoadLibraryW(path.getText()));
}

FARPROC CQBNSystemLibrary::findExport(const char* szName) const
{
    return isLoaded() ? GetProcAddress(m_module.get(), szName) : nullptr;
}

CQBNWCharString CQBNSystemLibrary::pathOf(const wchar_t* szFileName)
{
    wchar_t szFolder[MAX_PATH] = {};
    const UINT uLength = GetSystemDirectoryW(szFolder, MAX_PATH);
    // A folder that does not fit is reported as the size it would need,
    // which is never below MAX_PATH.
    if (uLength == 0 || uLength >= MAX_PATH || szFileName == nullptr)
        return CQBNWCharString();
    szFolder[uLength] = L'\0';
    CQBNWCharString path(szFolder);
    path += CQBNWCharString(L"\\");
    path += CQBNWCharString(szFileName);
    if (path.getLength() >= MAX_PATH)
        return CQBNWCharString();
    return path;
}

#include "patch_version_library.h"

#include "patch_paths.h"
#include "qbn_catch.h"
#include "qbn_wchar_string.h"

#define PATCH_VERSION_LIBRARY_SOURCE L".\\patch_version_library.cpp"

namespace {

HMODULE loadFromSystemFolder(const wchar_t* szFileName)
{
    HMODULE hModule = nullptr;
    qbnGuardAction(esLastError, PATCH_VERSION_LIBRARY_SOURCE, __LINE__, [&]() {
        CQBNWCharString folder;
        if (!readPathText(folder, [](wchar_t* szBuffer, DWORD dwSize) {
                return static_cast<DWORD>(
                    GetSystemDirectoryW(szBuffer, dwSize));
            }))
            return;
        const CQBNWCharString path =
            joinFolderAndName(folder, CQBNWCharString(szFileName));
        if (path.getLength() < kPathBufferLength)
            hModule = LoadLibraryW(path.getText());
    });
    return hModule;
}

} // namespace

CPatchVersionLibrary::CPatchVersionLibrary()
    : m_hModule(loadFromSystemFolder(L"version.dll")),
      m_pGetSize(findFunction<GetSizeFunction>("GetFileVersionInfoSizeW")),
      m_pGetInfo(findFunction<GetInfoFunction>("GetFileVersionInfoW")),
      m_pQueryValue(findFunction<QueryValueFunction>("VerQueryValueW"))
{
}

CPatchVersionLibrary::~CPatchVersionLibrary()
{
    if (m_hModule != nullptr)
        FreeLibrary(m_hModule);
}

template <class Function>
Function CPatchVersionLibrary::findFunction(const char* szName) const
{
    if (m_hModule == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(m_hModule, szName)));
}

bool CPatchVersionLibrary::isLoaded() const
{
    return m_pGetSize != nullptr && m_pGetInfo != nullptr &&
           m_pQueryValue != nullptr;
}

DWORD CPatchVersionLibrary::getFileVersionInfoSize(const wchar_t* szPath) const
{
    DWORD dwHandle = 0;
    return isLoaded() ? m_pGetSize(szPath, &dwHandle) : 0;
}

bool CPatchVersionLibrary::getFileVersionInfo(const wchar_t* szPath,
                                              DWORD dwSize, void* pBlock) const
{
    return isLoaded() && m_pGetInfo(szPath, 0, dwSize, pBlock) != FALSE;
}

bool CPatchVersionLibrary::queryValue(const void* pBlock,
                                      const wchar_t* szSubBlock, void** ppValue,
                                      UINT* puLength) const
{
    return isLoaded() &&
           m_pQueryValue(pBlock, szSubBlock, ppValue, puLength) != FALSE;
}

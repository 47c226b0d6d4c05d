#include "patch_version_library.h"

CPatchVersionLibrary::CPatchVersionLibrary()
    : m_library(L"version.dll"),
      m_pGetSize(findFunction<GetSizeFunction>("GetFileVersionInfoSizeW")),
      m_pGetInfo(findFunction<GetInfoFunction>("GetFileVersionInfoW")),
      m_pQueryValue(findFunction<QueryValueFunction>("VerQueryValueW"))
{
}

template <class Function>
Function CPatchVersionLibrary::findFunction(const char* szName) const
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(m_library.findExport(szName)));
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

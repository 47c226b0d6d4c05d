// The file version functions of version.dll, loaded by full path from the
// system folder. version.dll is not among the libraries Windows always
// takes from the system folder, and this program runs elevated, often from
// a download folder that others can write to: an import by name would load
// a version.dll planted beside it.
#ifndef PATCH_VERSION_LIBRARY_H
#define PATCH_VERSION_LIBRARY_H

#include <windows.h>

#include "qbn_system_library.h"

class CPatchVersionLibrary {
public:
    CPatchVersionLibrary();

    // Whether the library and all three functions were found.
    bool isLoaded() const;

    DWORD getFileVersionInfoSize(const wchar_t* szPath) const;
    bool getFileVersionInfo(const wchar_t* szPath, DWORD dwSize,
                            void* pBlock) const;
    bool queryValue(const void* pBlock, const wchar_t* szSubBlock,
                    void** ppValue, UINT* puLength) const;

private:
    CPatchVersionLibrary(const CPatchVersionLibrary&) = delete;
    CPatchVersionLibrary& operator=(const CPatchVersionLibrary&) = delete;

    typedef DWORD(WINAPI* GetSizeFunction)(LPCWSTR, LPDWORD);
    typedef BOOL(WINAPI* GetInfoFunction)(LPCWSTR, DWORD, DWORD, LPVOID);
    typedef BOOL(WINAPI* QueryValueFunction)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

    template <class Function>
    Function findFunction(const char* szName) const;

    CQBNSystemLibrary m_library;
    GetSizeFunction m_pGetSize;
    GetInfoFunction m_pGetInfo;
    QueryValueFunction m_pQueryValue;
};

#endif

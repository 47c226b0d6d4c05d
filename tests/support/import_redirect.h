// Points this test program's own import of one function at a replacement
// for as long as the object lives, so that a test can observe or steer a
// Windows call the library makes (ExitWindowsEx must not really end the
// session; a close that Wine never fails can be made to fail). Only calls
// made through the program's import table are redirected: the library is
// linked into the test program, so its calls are; Windows' own are not.
//
//   CImportRedirect redirect("user32.dll", "ExitWindowsEx",
//                            reinterpret_cast<void*>(&recordExitWindowsEx));
//   ASSERT_TRUE(redirect.isActive());
//
// The original entry is put back when the object is destroyed.
#ifndef QBN_TEST_IMPORT_REDIRECT_H
#define QBN_TEST_IMPORT_REDIRECT_H

#include <windows.h>

namespace qbntest {

class CImportRedirect {
public:
    CImportRedirect(const char* szDll, const char* szFunction,
                    void* pReplacement)
        : m_pSlot(findSlot(GetModuleHandleW(nullptr), szDll, szFunction)),
          m_pOriginal(nullptr)
    {
        if (m_pSlot == nullptr)
            return;
        m_pOriginal = *m_pSlot;
        if (!store(m_pSlot, pReplacement))
            m_pSlot = nullptr;
    }

    ~CImportRedirect()
    {
        if (m_pSlot != nullptr)
            store(m_pSlot, m_pOriginal);
    }

    CImportRedirect(const CImportRedirect&) = delete;
    CImportRedirect& operator=(const CImportRedirect&) = delete;

    bool isActive() const { return m_pSlot != nullptr; }
    // The real function, for a replacement that passes calls on.
    void* original() const { return m_pOriginal; }

private:
    template <class T>
    static T* at(BYTE* pBase, DWORD dwOffset)
    {
        return reinterpret_cast<T*>(pBase + dwOffset);
    }

    // The import address table entry of szDll!szFunction, found by the
    // function's name in the lookup table that runs beside it.
    static void** findSlot(HMODULE hModule, const char* szDll,
                           const char* szFunction)
    {
        BYTE* pBase = reinterpret_cast<BYTE*>(hModule);
        const IMAGE_NT_HEADERS* pNt = at<IMAGE_NT_HEADERS>(
            pBase, reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0)
            return nullptr;
        for (IMAGE_IMPORT_DESCRIPTOR* pDll =
                 at<IMAGE_IMPORT_DESCRIPTOR>(pBase, imports.VirtualAddress);
             pDll->Name != 0; ++pDll) {
            if (lstrcmpiA(at<char>(pBase, pDll->Name), szDll) != 0 ||
                pDll->OriginalFirstThunk == 0)
                continue;
            void** pSlot = findInDll(pBase, *pDll, szFunction);
            if (pSlot != nullptr)
                return pSlot;
        }
        return nullptr;
    }

    static void** findInDll(BYTE* pBase, const IMAGE_IMPORT_DESCRIPTOR& dll,
                            const char* szFunction)
    {
        IMAGE_THUNK_DATA* pName =
            at<IMAGE_THUNK_DATA>(pBase, dll.OriginalFirstThunk);
        IMAGE_THUNK_DATA* pAddress =
            at<IMAGE_THUNK_DATA>(pBase, dll.FirstThunk);
        for (; pName->u1.AddressOfData != 0; ++pName, ++pAddress) {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            const IMAGE_IMPORT_BY_NAME* pImport = at<IMAGE_IMPORT_BY_NAME>(
                pBase, static_cast<DWORD>(pName->u1.AddressOfData));
            if (lstrcmpA(reinterpret_cast<const char*>(pImport->Name),
                         szFunction) == 0)
                return reinterpret_cast<void**>(&pAddress->u1.Function);
        }
        return nullptr;
    }

    // The table may lie in read-only memory once the loader is done with it.
    static bool store(void** pSlot, void* pValue)
    {
        DWORD dwOld = 0;
        if (!VirtualProtect(pSlot, sizeof(*pSlot), PAGE_READWRITE, &dwOld))
            return false;
        *pSlot = pValue;
        VirtualProtect(pSlot, sizeof(*pSlot), dwOld, &dwOld);
        return true;
    }

    void** m_pSlot;
    void* m_pOriginal;
};

} // namespace qbntest

#endif

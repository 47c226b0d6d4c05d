// A system DLL loaded by its full path in the system folder and freed when
// the object goes out of scope. Programs of this library run elevated, often
// from folders that others can write to: loading by bare name would let a
// file planted beside the program, or in the current folder, be loaded in
// the system DLL's place.
#ifndef QBN_SYSTEM_LIBRARY_H
#define QBN_SYSTEM_LIBRARY_H

#include <windows.h>

#include "qbn_unique_handle.h"
#include "qbn_wchar_string.h"

class CQBNSystemLibrary {
public:
    explicit CQBNSystemLibrary(const wchar_t* szFileName);

    HMODULE get() const { return m_module.get(); }
    bool isLoaded() const { return m_module.isValid(); }

    // The address of an export, or null when the library or export is
    // missing.
    FARPROC findExport(const char* szName) const;
    // The same, as the function type the caller knows it to have.
    template <class Function>
    Function findFunction(const char* szName) const
    {
        return reinterpret_cast<Function>(
            reinterpret_cast<void*>(findExport(szName)));
    }

    // The full path of a file in the system folder; a null string when the
    // path would not fit in MAX_PATH characters.
    static CQBNWCharString pathOf(const wchar_t* szFileName);

private:
    CQBNUniqueModule m_module;
};

#endif

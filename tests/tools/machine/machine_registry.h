// Registry access of the machine tool, in an explicit view: on 64-bit
// Windows this 32-bit tool sees the 32-bit view unless it asks for the other.
#ifndef QBN_MACHINE_REGISTRY_H
#define QBN_MACHINE_REGISTRY_H

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

const REGSAM kView32 = KEY_WOW64_32KEY;
const REGSAM kView64 = KEY_WOW64_64KEY;

bool setString(HKEY hRoot, const std::wstring& path, REGSAM view,
               const std::wstring& name, const std::wstring& value);
bool setDword(HKEY hRoot, const std::wstring& path, REGSAM view,
              const std::wstring& name, DWORD dwValue);
bool keyExists(HKEY hRoot, const std::wstring& path, REGSAM view);
// REG_SZ or REG_EXPAND_SZ as stored (not expanded).
bool readString(HKEY hRoot, const std::wstring& path, REGSAM view,
                const std::wstring& name, std::wstring& value);
// A REG_DWORD as its decimal text, or a text value as it is.
bool readValueText(HKEY hRoot, const std::wstring& path, REGSAM view,
                   const std::wstring& name, std::wstring& value);
bool readMultiString(HKEY hRoot, const std::wstring& path, REGSAM view,
                     const std::wstring& name,
                     std::vector<std::wstring>& values);

} // namespace machine

#endif

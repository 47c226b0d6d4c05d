// Plain Win32 registry access for the tests and benchmarks, independent of
// the classes under test. Bytes are any contiguous byte container:
// std::string or std::vector<unsigned char>.
#ifndef QBN_TEST_REGISTRY_RAW_H
#define QBN_TEST_REGISTRY_RAW_H

#include <windows.h>

#include <string>

#include "qbn_unique_handle.h"

namespace qbntest {

// Unique among the test programs running side by side and within one.
inline std::wstring uniqueName()
{
    static unsigned long ulNext = 0;
    return L"T" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++ulNext);
}

// Creates the key (and the keys on the way) when missing.
inline LONG createKey(HKEY hRoot, const std::wstring& path, REGSAM view,
                      CQBNUniqueRegKey& key)
{
    return RegCreateKeyExW(hRoot, path.c_str(), 0, nullptr, 0,
                           KEY_ALL_ACCESS | view, nullptr, key.receive(),
                           nullptr);
}

inline LONG writeValue(HKEY hRoot, const std::wstring& path,
                       const std::wstring& name, DWORD dwType,
                       const void* pData, DWORD dwSize, REGSAM view = 0)
{
    CQBNUniqueRegKey key;
    const LONG lResult = createKey(hRoot, path, view, key);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    return RegSetValueExW(key.get(), name.c_str(), 0, dwType,
                          static_cast<const BYTE*>(pData), dwSize);
}

// The text with its terminator.
inline LONG writeText(HKEY hRoot, const std::wstring& path,
                      const std::wstring& name, const std::wstring& text,
                      DWORD dwType = REG_SZ, REGSAM view = 0)
{
    return writeValue(hRoot, path, name, dwType, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                      view);
}

inline LONG deleteValue(HKEY hRoot, const std::wstring& path,
                        const std::wstring& name, REGSAM view = 0)
{
    CQBNUniqueRegKey key;
    const LONG lResult = RegOpenKeyExW(hRoot, path.c_str(), 0,
                                       KEY_SET_VALUE | view, key.receive());
    return lResult != ERROR_SUCCESS ? lResult
                                    : RegDeleteValueW(key.get(), name.c_str());
}

inline bool keyExists(HKEY hRoot, const std::wstring& path, REGSAM view = 0)
{
    CQBNUniqueRegKey key;
    return RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ | view,
                         key.receive()) == ERROR_SUCCESS;
}

// The value's type and its bytes exactly as stored (nothing expanded, no
// terminator added); false when it does not exist.
template <class Bytes>
bool readValue(HKEY hRoot, const std::wstring& path, const std::wstring& name,
               DWORD& dwType, Bytes& bytes, REGSAM view = 0)
{
    CQBNUniqueRegKey key;
    if (RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ | view, key.receive()) !=
        ERROR_SUCCESS)
        return false;
    DWORD dwSize = 0;
    LONG lResult = RegQueryValueExW(key.get(), name.c_str(), nullptr, &dwType,
                                    nullptr, &dwSize);
    bytes.assign(dwSize, 0);
    if (lResult == ERROR_SUCCESS && dwSize != 0)
        lResult = RegQueryValueExW(key.get(), name.c_str(), nullptr, &dwType,
                                   reinterpret_cast<BYTE*>(&bytes[0]), &dwSize);
    bytes.resize(dwSize);
    return lResult == ERROR_SUCCESS;
}

inline bool hasValue(HKEY hRoot, const std::wstring& path,
                     const std::wstring& name, REGSAM view = 0)
{
    DWORD dwType = 0;
    std::string bytes;
    return readValue(hRoot, path, name, dwType, bytes, view);
}

// The key at `path` and everything below it.
inline void deleteTree(HKEY hRoot, const std::wstring& path, REGSAM view = 0)
{
    const size_t cut = path.rfind(L'\\');
    const std::wstring parent =
        cut == std::wstring::npos ? L"" : path.substr(0, cut);
    CQBNUniqueRegKey parentKey;
    if (RegOpenKeyExW(hRoot, parent.c_str(), 0, KEY_ALL_ACCESS | view,
                      parentKey.receive()) != ERROR_SUCCESS)
        return;
    const std::wstring name = path.substr(cut + 1);
    RegDeleteTreeW(parentKey.get(), name.c_str());
    RegDeleteKeyW(parentKey.get(), name.c_str());
}

} // namespace qbntest

#endif

#include "machine_registry.h"

#include "qbn_unique_handle.h"

namespace machine {

namespace {

CQBNUniqueRegKey openKey(HKEY hRoot, const std::wstring& path, REGSAM access,
                         bool bCreate)
{
    CQBNUniqueRegKey key;
    const LONG lResult =
        bCreate ? RegCreateKeyExW(hRoot, path.c_str(), 0, nullptr, 0, access,
                                  nullptr, key.receive(), nullptr)
                : RegOpenKeyExW(hRoot, path.c_str(), 0, access, key.receive());
    key.received(lResult == ERROR_SUCCESS);
    return key;
}

bool setValue(HKEY hRoot, const std::wstring& path, REGSAM view,
              const std::wstring& name, DWORD dwType, const void* pData,
              DWORD dwSize)
{
    const CQBNUniqueRegKey key =
        openKey(hRoot, path, KEY_SET_VALUE | view, true);
    return key.isValid() && RegSetValueExW(key.get(), name.c_str(), 0, dwType,
                                           static_cast<const BYTE*>(pData),
                                           dwSize) == ERROR_SUCCESS;
}

// The value's data as UTF-16 units, without any terminators it was stored
// with.
bool readUnits(HKEY hRoot, const std::wstring& path, REGSAM view,
               const std::wstring& name, DWORD& dwType, std::wstring& units)
{
    const CQBNUniqueRegKey key =
        openKey(hRoot, path, KEY_QUERY_VALUE | view, false);
    DWORD dwSize = 0;
    if (!key.isValid() ||
        RegQueryValueExW(key.get(), name.c_str(), nullptr, &dwType, nullptr,
                         &dwSize) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> data(dwSize / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &dwType,
                         reinterpret_cast<BYTE*>(data.data()),
                         &dwSize) != ERROR_SUCCESS)
        return false;
    units.assign(data.data(), dwSize / sizeof(wchar_t));
    while (!units.empty() && units.back() == L'\0')
        units.pop_back();
    return true;
}

} // namespace

bool setString(HKEY hRoot, const std::wstring& path, REGSAM view,
               const std::wstring& name, const std::wstring& value)
{
    return setValue(hRoot, path, view, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool setDword(HKEY hRoot, const std::wstring& path, REGSAM view,
              const std::wstring& name, DWORD dwValue)
{
    return setValue(hRoot, path, view, name, REG_DWORD, &dwValue,
                    sizeof(dwValue));
}

bool keyExists(HKEY hRoot, const std::wstring& path, REGSAM view)
{
    const CQBNUniqueRegKey key = openKey(hRoot, path, KEY_READ | view, false);
    return key.isValid();
}

bool readString(HKEY hRoot, const std::wstring& path, REGSAM view,
                const std::wstring& name, std::wstring& value)
{
    DWORD dwType = 0;
    return readUnits(hRoot, path, view, name, dwType, value) &&
           (dwType == REG_SZ || dwType == REG_EXPAND_SZ);
}

bool readValueText(HKEY hRoot, const std::wstring& path, REGSAM view,
                   const std::wstring& name, std::wstring& value)
{
    DWORD dwType = 0;
    if (!readUnits(hRoot, path, view, name, dwType, value))
        return false;
    if (dwType != REG_DWORD)
        return dwType == REG_SZ || dwType == REG_EXPAND_SZ;
    // Read as two units, the trailing zero units taken off.
    value.resize(2, L'\0');
    value = std::to_wstring(static_cast<DWORD>(value[0]) |
                            static_cast<DWORD>(value[1]) << 16);
    return true;
}

bool readMultiString(HKEY hRoot, const std::wstring& path, REGSAM view,
                     const std::wstring& name,
                     std::vector<std::wstring>& values)
{
    DWORD dwType = 0;
    std::wstring units;
    if (!readUnits(hRoot, path, view, name, dwType, units) ||
        dwType != REG_MULTI_SZ)
        return false;
    values.clear();
    size_t start = 0;
    while (start < units.size()) {
        const size_t end = units.find(L'\0', start);
        values.push_back(units.substr(start, end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return true;
}

} // namespace machine

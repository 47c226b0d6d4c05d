#include "patch_registry_values.h"

bool setRegistryText(HKEY hKey, const wchar_t* szName,
                     const CQBNWCharString& text, DWORD dwType)
{
    return RegSetValueExW(hKey, szName, 0, dwType,
                          reinterpret_cast<const BYTE*>(text.getText()),
                          (text.getLength() + 1) * sizeof(wchar_t)) ==
           ERROR_SUCCESS;
}

bool setRegistryNumber(HKEY hKey, const wchar_t* szName, DWORD dwValue)
{
    return RegSetValueExW(hKey, szName, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&dwValue),
                          sizeof(dwValue)) == ERROR_SUCCESS;
}

bool createMachineKey(const wchar_t* szPath, CQBNUniqueRegKey& key)
{
    return key.received(RegCreateKeyExW(HKEY_LOCAL_MACHINE, szPath, 0, nullptr,
                                        0, KEY_SET_VALUE, nullptr,
                                        key.receive(),
                                        nullptr) == ERROR_SUCCESS);
}

bool deleteMachineKey(const wchar_t* szPath)
{
    const LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, szPath);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

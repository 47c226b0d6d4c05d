// Values the patch writes into keys it opened itself (the Installed Updates
// entry, the event source, the result values): each written whole, in one
// call, so that a reader never sees half of one.
#ifndef PATCH_REGISTRY_VALUES_H
#define PATCH_REGISTRY_VALUES_H

#include <windows.h>

#include "qbn_unique_handle.h"
#include "qbn_wchar_string.h"

// A text value, REG_SZ unless `dwType` says REG_EXPAND_SZ.
bool setRegistryText(HKEY hKey, const wchar_t* szName,
                     const CQBNWCharString& text, DWORD dwType = REG_SZ);
bool setRegistryNumber(HKEY hKey, const wchar_t* szName, DWORD dwValue);
// Opens HKEY_LOCAL_MACHINE\`szPath` for writing values, made when missing,
// in the view a 32-bit program sees.
bool createMachineKey(const wchar_t* szPath, CQBNUniqueRegKey& key);
// The key HKEY_LOCAL_MACHINE\`szPath` goes, in the view a 32-bit program
// sees; true when it is gone or was never there.
bool deleteMachineKey(const wchar_t* szPath);

#endif

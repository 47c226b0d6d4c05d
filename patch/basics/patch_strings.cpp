#include "patch_strings.h"

#include <windows.h>

CQBNWCharString loadPatchString(int stringId)
{
    wchar_t szText[kMessageTextLength] = {};
    LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(stringId), szText,
                kMessageTextLength);
    szText[kMessageTextLength - 1] = L'\0';
    return CQBNWCharString(szText);
}

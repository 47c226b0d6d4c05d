#include "patch_warning.h"

#include <windows.h>

#include "qbn_detailed_log.h"

void logPatchWarning(const wchar_t* szClassName, const wchar_t* szMethodName,
                     const CQBNWCharString& message, const wchar_t* szSource,
                     unsigned long ulLine)
{
    const DWORD dwError = GetLastError();
    CQBNDetailedLog warning(llWarning, message.getText(), dwError, rtErrorCode,
                            szClassName, szMethodName, szSource, ulLine, true,
                            false, loText);
    SetLastError(dwError);
}

#include "patch_process_image.h"

#include <psapi.h>

#include "patch_paths.h"

bool readImagePath(HANDLE hProcess, CQBNWCharString& imagePath)
{
    return readPathText(imagePath, [&](wchar_t* szBuffer, DWORD dwSize) {
        return GetModuleFileNameExW(hProcess, nullptr, szBuffer, dwSize);
    });
}

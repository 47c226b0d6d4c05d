// Which program a process is: the product's own process, and the image a
// process was started from.
#ifndef PATCH_PROCESS_IMAGE_H
#define PATCH_PROCESS_IMAGE_H

#include <windows.h>

#include "qbn_wchar_string.h"

// The product's own process, in the product's folder.
const wchar_t kProductProcessName[] = L"password_manager.exe";

// The image path of `hProcess` (opened with PROCESS_QUERY_INFORMATION and
// PROCESS_VM_READ) as it was started; false when it cannot be read in full.
bool readImagePath(HANDLE hProcess, CQBNWCharString& imagePath);

#endif

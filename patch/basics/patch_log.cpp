#include "patch_log.h"

#include <windows.h>

#include "patch_file_bytes.h"
#include "patch_paths.h"
#include "patch_run_state.h"
#include "patch_strings.h"
#include "qbn_catch.h"

#define PATCH_LOG_SOURCE L".\\patch_log.cpp"

void appendPatchLog(const CQBNWCharString& entry)
{
    qbnGuardAction(esLastError, PATCH_LOG_SOURCE, __LINE__, [&]() {
        CQBNWCharString path;
        getInstalledFilePath(path, PatchRunState.patchLogName);
        // The terminator goes with the text: every entry ends in a 0 unit.
        const DWORD dwBytes =
            static_cast<DWORD>((entry.getLength() + 1) * sizeof(wchar_t));
        appendToUnicodeFile(path, entry.getText(), dwBytes, false);
    });
}

void appendPatchLogLine(int stringId, const CQBNWCharString& insert)
{
    qbnGuardAction(esLastError, PATCH_LOG_SOURCE, __LINE__, [&]() {
        CQBNWCharString line = loadPatchString(stringId);
        line.replace(CQBNWCharString(L"%s"), insert, 1, ssmOccur);
        appendPatchLog(line + CQBNWCharString(L"\r\n"));
    });
}

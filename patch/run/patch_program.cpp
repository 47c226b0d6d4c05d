#include "patch_program.h"

#include "patch_checks.h"
#include "patch_close_request.h"

int runProgram(const wchar_t* szArguments)
{
    DWORD dwProcessId = 0;
    if (readCloseRequest(szArguments, dwProcessId))
        return static_cast<int>(answerCloseRequest(dwProcessId));
    return runPatch(szArguments);
}

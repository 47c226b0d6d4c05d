// The patch program's entry point. The run itself lives in the patch core,
// which the tests link as well.
#include <windows.h>

#include "patch_checks.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance,
                    LPWSTR commandLine, int showCommand)
{
    (void)instance;
    (void)previousInstance;
    (void)showCommand;
    runPatch(commandLine);
    // The installer's callers read no result: every outcome has been shown
    // (or logged) already.
    return 0;
}

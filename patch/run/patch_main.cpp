// The patch program's entry point. The run itself lives in the patch core,
// which the tests link as well.
#include <windows.h>

#include "patch_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance,
                    LPWSTR commandLine, int showCommand)
{
    (void)instance;
    (void)previousInstance;
    (void)showCommand;
    // The installer's callers read no result: every outcome of a run has
    // been shown (or logged) already, and it exits with 0.
    return runProgram(commandLine);
}

// What the program does for the arguments it was started with.
#ifndef PATCH_PROGRAM_H
#define PATCH_PROGRAM_H

// A close request from a run of the patch in another session (see
// patch_close_request.h), answered with its exit code; otherwise one run
// of the patch, whose exit code is 0 unless its switches ask for another.
int runProgram(const wchar_t* szArguments);

#endif

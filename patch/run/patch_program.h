// What the program does for the arguments it was started with.
#ifndef PATCH_PROGRAM_H
#define PATCH_PROGRAM_H

// A close request from a run of the patch in another session (see
// patch_close_request.h), answered with its exit code; otherwise one run
// of the patch, whose exit code is 0 unless its switches ask for another.
int runProgram(const wchar_t* szArguments);
// One whole run of the patch for the given command line: the lock, the
// recovery of a killed run, then the install or the removal, the outcome
// written where administrators' tools look. Its exit code: 0 unless the
// command line asks for one that says how the run ended ("/ExitCodes") or
// is a pre-flight ("/check").
int runPatch(const wchar_t* szCommandLine);

#endif

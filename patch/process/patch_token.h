// What a process's token says about it: who it runs as, what it may do.
#ifndef PATCH_TOKEN_H
#define PATCH_TOKEN_H

#include <windows.h>

#include <vector>

// One class of information about `hToken` (opened with TOKEN_QUERY), as
// GetTokenInformation fills it. False when Windows gives none.
bool readTokenInformation(HANDLE hToken, TOKEN_INFORMATION_CLASS what,
                          std::vector<unsigned char>& information);
// Whether `hProcess` (opened with PROCESS_QUERY_INFORMATION) runs as the
// user this process runs as. False when either user cannot be read.
bool runsAsThisUser(HANDLE hProcess);

#endif

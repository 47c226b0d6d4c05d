// The command line, read once into what the run is asked to do. The silent
// switch keeps its old rule (the text anywhere in the line); every other
// switch is a whole argument, in any letter case, after "/" or "-", as
// Windows splits the line.
#ifndef PATCH_OPTIONS_H
#define PATCH_OPTIONS_H

#include "qbn_wchar_string.h"

struct PatchOptions {
    // No message box ("/s", "/S", "-s" or "-S" anywhere).
    bool bSilent = false;
    // "/uninstall": the patch is taken back.
    bool bRemoval = false;
    // "/check": the run only says what it would do, changing nothing.
    bool bCheck = false;
    // "/ExitCodes": the exit code says how the run ended.
    bool bExitCodes = false;
};

PatchOptions readPatchOptions(const wchar_t* szCommandLine);

// Whether the command line holds "/s", "/S", "-s" or "-S" anywhere.
bool isSilentCommandLine(const CQBNWCharString& commandLine);
// Whether one whole argument of the command line is "/uninstall" or
// "-uninstall", in any letter case (quotes around it taken off, as
// Windows splits a command line): the run then removes the patch. A path or
// an argument that only contains the word does not.
bool isUninstallCommandLine(const CQBNWCharString& commandLine);

#endif

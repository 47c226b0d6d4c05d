// The program's own string table, in the thread's language.
#ifndef PATCH_STRINGS_H
#define PATCH_STRINGS_H

#include "qbn_wchar_string.h"

// Room for every text loaded from the string table, terminator included.
const int kMessageTextLength = 300;

// A string of the program's own table in the thread's language; empty when
// that language lacks it.
CQBNWCharString loadPatchString(int stringId);

#endif

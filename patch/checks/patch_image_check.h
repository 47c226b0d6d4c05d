// Whether a file's bytes are a whole Windows library for the machine a hook
// library is built for. The patch copies what lies beside it into the
// product's folder, where the hook libraries are loaded into every desktop
// program: a text file, a cut download or a library for the other machine
// must be refused before anything is changed.
#ifndef PATCH_IMAGE_CHECK_H
#define PATCH_IMAGE_CHECK_H

#include <windows.h>

#include "qbn_buffer.h"

// True when `bytes` hold a DLL image for `wMachine` (IMAGE_FILE_MACHINE_I386
// or IMAGE_FILE_MACHINE_AMD64) whose headers and every section's data lie
// inside the file.
bool isWholeLibraryImage(const CQBNBuffer<unsigned char>& bytes, WORD wMachine);
// The same for a program (an image that is not a DLL).
bool isWholeProgramImage(const CQBNBuffer<unsigned char>& bytes, WORD wMachine);

#endif

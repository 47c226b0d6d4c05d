// The fixed file version of a Windows image, read from its bytes as
// GetFileVersionInfoW and VerQueryValueW(L"\\") read it: the version
// resource (type RT_VERSION, name 1) in its first language. Read in place
// from the bytes the patch holds anyway, instead of version.dll mapping
// each file twice for every question.
#ifndef PATCH_IMAGE_VERSION_H
#define PATCH_IMAGE_VERSION_H

#include <windows.h>

#include "qbn_buffer.h"

// True with the two halves of the version; the outputs are untouched when
// the image has no readable version resource.
bool readImageFileVersion(const CQBNBuffer<unsigned char>& bytes,
                          DWORD& versionMS, DWORD& versionLS);
// Both halves as one number that orders versions; 0 (no version) when the
// image has no readable version resource.
unsigned long long imageVersionNumber(const CQBNBuffer<unsigned char>& bytes);
// The same from a VS_VERSIONINFO block itself, as a module's own resource
// gives it.
bool readVersionBlock(const unsigned char* pBlock, unsigned long ulSize,
                      DWORD& versionMS, DWORD& versionLS);

#endif

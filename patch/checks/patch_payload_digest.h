// The libraries the patch installs are checked against the SHA-256 digests
// of the ones it was released with, which the build writes into the
// program. The program runs elevated, often from a download folder others
// can write to, and what it copies is loaded into every desktop program:
// a library changed or swapped beside it must not be installed.
#ifndef PATCH_PAYLOAD_DIGEST_H
#define PATCH_PAYLOAD_DIGEST_H

#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

// True when `bytes` (the whole file) have the SHA-256 digest built into
// the program for the library `libraryName` (bare file name, e.g.
// L"qbnpwm_windows_hook.dll"); false for any other bytes, for a name the
// program ships no library of, and when the digest cannot be computed.
bool matchesShippedDigest(const CQBNWCharString& libraryName,
                          const CQBNBuffer<unsigned char>& bytes);

#endif

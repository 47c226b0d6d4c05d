// What the disk must show before recovery may destroy bytes or put a backup
// in a library's place. A journal (or the lack of a readable one) tells what
// a killed run meant to do; the disk tells what is there. A journal can be
// damaged or planted, so recovery goes only as far as the disk agrees, and
// never removes bytes it cannot account for.
#ifndef PATCH_RECOVERY_EVIDENCE_H
#define PATCH_RECOVERY_EVIDENCE_H

#include "patch_hook_files.h"
#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

// True when `bytes` are this release's own `file`, as built into the
// program by its digest.
bool isReleaseBytes(const CQBNBuffer<unsigned char>& bytes,
                    const HookFile& file);

// The same for the file at `path`.
bool holdsReleaseLibrary(const CQBNWCharString& path, const HookFile& file);
// Bytes recovery may remove or overwrite: nothing at all, an empty file (a
// copy cut short), or this release's own `file`.
bool isDisposableLibrary(const CQBNWCharString& path, const HookFile& file);
// The only kind of backup recovery puts in a library's place: a whole
// library for `file`'s machine.
bool holdsWholeLibraryFor(const CQBNWCharString& path, const HookFile& file);

#endif

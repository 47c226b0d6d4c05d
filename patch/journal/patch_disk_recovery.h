// Putting a product back together from the disk alone, when a killed run's
// journal cannot be read whole (a damaged disk, a journal cut or
// overwritten). Without the journal's notes, the only evidence is the bytes:
// a library that holds this release's own bytes, or is empty (a copy cut
// short) or missing, beside a ".bak" that is a whole library, was being
// replaced; it gets its backup back, and the older backup kept aside
// returns to ".bak". Deleting the journal on trust instead would leave the
// product half patched for good: the next version test would find the
// window hook new and refuse.
#ifndef PATCH_DISK_RECOVERY_H
#define PATCH_DISK_RECOVERY_H

#include <functional>
#include <vector>

#include "patch_hook_files.h"

// True when no library of `targets` is left holding this release's bytes
// or an empty file. Every step is planned against the disk first: when any
// library cannot be put back that way (its backup missing or not a whole
// library, a folder in its place), nothing is changed and the answer is
// false. `beforeMoving` runs once before the first change, if there is one.
bool recoverFromDisk(const std::vector<HookTarget>& targets,
                     const std::function<void()>& beforeMoving);

#endif

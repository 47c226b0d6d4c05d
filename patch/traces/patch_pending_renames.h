// The renames and deletions Windows carries out when it next starts
// (PendingFileRenameOperations). A setup that could not replace a file in
// use schedules them, and so does a removal of this patch for its own
// running program copy. They act by name, on whatever is at that name at
// the restart: a scheduled rename of a hook library would undo the patch's
// work, and a scheduled deletion of the program copy would take a copy a
// later install placed there. A run reads them once, before it changes
// anything.
#ifndef PATCH_PENDING_RENAMES_H
#define PATCH_PENDING_RENAMES_H

#include <string>
#include <vector>

#include "qbn_wchar_string.h"

class CPatchPendingRenames {
public:
    CPatchPendingRenames() = default;

    // The list as it stands; none scheduled is an empty list. False when
    // it is there but cannot be read.
    bool read();
    // The first of `paths` that a pending rename or deletion names, as its
    // source or its destination; empty when none does.
    CQBNWCharString findNamed(const std::vector<CQBNWCharString>& paths) const;
    // Takes every pair out that names `folder` or anything in it, leaving
    // the others as they are. True when none is left.
    bool takeOutUnder(const CQBNWCharString& folder);

    // Where the list is kept, for a report that it cannot be read.
    static CQBNWCharString location();

private:
    CPatchPendingRenames(const CPatchPendingRenames&) = delete;
    CPatchPendingRenames& operator=(const CPatchPendingRenames&) = delete;

    bool write() const;

    // Source, destination, source, destination...; a destination is empty
    // for a deletion. As Windows stores them: "\??\C:\...", a destination
    // that may replace a file with "!" before it.
    std::vector<std::wstring> m_names;
};

#endif

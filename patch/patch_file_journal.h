// The replacements of one run, kept so that a run which cannot replace
// every library of its set leaves the product's libraries exactly as it
// found them. A half-replaced set would be worse than none: the next run
// would find the window hook at the patch's version and refuse to go on,
// with the keyboard hook never replaced.
#ifndef PATCH_FILE_JOURNAL_H
#define PATCH_FILE_JOURNAL_H

#include <memory>
#include <vector>

#include "patch_replaced_file.h"
#include "qbn_wchar_string.h"

class CPatchFileJournal {
public:
    CPatchFileJournal();
    // Rolls back whatever was neither committed nor rolled back, so that
    // an exception part-way through a set does not leave it half replaced.
    ~CPatchFileJournal();

    // Replaces `target` by `source` (CPatchReplacedFile::replaceFrom) and
    // remembers how to undo it; answers the result of the copy.
    int replace(const CQBNWCharString& source, const CQBNWCharString& target);
    // Every replacement stays, backups included.
    void commit();
    // Undoes every replacement, the latest first; true when all of them
    // could be undone.
    bool rollBack();

private:
    CPatchFileJournal(const CPatchFileJournal&) = delete;
    CPatchFileJournal& operator=(const CPatchFileJournal&) = delete;

    std::vector<std::unique_ptr<CPatchReplacedFile>> m_replaced;
};

#endif

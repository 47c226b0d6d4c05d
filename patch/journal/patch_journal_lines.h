// The write-ahead journal of a run on disk: one line per step, each written
// through to the disk before the step it announces is taken, so that a run
// killed at any point (power cut, taskkill /f, a crash) leaves behind what
// the next run needs to put the product back together. UTF-16LE with a
// byte-order mark and CR LF line ends, like the patch log beside it.
#ifndef PATCH_JOURNAL_LINES_H
#define PATCH_JOURNAL_LINES_H

#include <string>
#include <vector>

#include "qbn_wchar_string.h"

class CPatchJournalLines {
public:
    explicit CPatchJournalLines(const CQBNWCharString& path);

    const CQBNWCharString& getPath() const { return m_path; }
    bool exists() const;
    // Appends one line and waits until it is on the disk.
    bool append(const std::wstring& line);
    // Appends the lines in one write and waits once until they are all on
    // the disk: a wait for the disk costs more than the rest of a step.
    bool append(const std::vector<std::wstring>& lines);
    // Every complete line; a last line cut off by a kill is left out. False
    // for a journal that cannot be read whole: no UTF-16LE byte-order mark,
    // cut inside a unit, no complete line, or a line end or 0 unit anywhere
    // but at the end of a line.
    bool readLines(std::vector<std::wstring>& lines) const;
    // True when the journal is gone afterwards.
    bool remove();

private:
    CQBNWCharString m_path;
};

// The warning of a journal that could not be fully undone: the library
// (or the journal) named is not back, and the journal stays.
void warnJournalKept(const wchar_t* szClassName, const wchar_t* szMethodName,
                     const CQBNWCharString& unrestored,
                     const wchar_t* szSourceFile, unsigned long ulLine);

#endif

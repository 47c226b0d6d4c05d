// The journal of a removal run: the same file, written ahead in the same
// way as an install's (CPatchInstallJournal), with steps of its own. Until
// the removal is committed, a failed step or a killed run puts the patched
// state back, record and all; once committed, a killed run's successor
// finishes it. Either way the product ends in one whole state.
#ifndef PATCH_REMOVAL_JOURNAL_H
#define PATCH_REMOVAL_JOURNAL_H

#include <functional>
#include <string>
#include <vector>

#include "patch_hook_files.h"
#include "patch_journal_lines.h"
#include "patch_removed_file.h"
#include "qbn_wchar_string.h"

class CPatchRemovalJournal {
public:
    explicit CPatchRemovalJournal(const CQBNWCharString& journalPath);
    // Undoes whatever was neither committed nor undone.
    ~CPatchRemovalJournal();

    // Puts each backup back in its library's place (verified), in stages
    // for the whole set: every library noted, then every backup put back,
    // then every step noted as done; each stage's lines on the disk in one
    // wait. False, with `failed` the library whose step failed; what was
    // done so far is in the journal.
    bool removeAll(const std::vector<CQBNWCharString>& targets,
                   CQBNWCharString& failed);
    // Every original is back: from here on the removal only goes forward.
    bool markCommitting();
    // The patch is forgotten (record, entry, program copy), the aside
    // copies and the journal go.
    bool finish();
    // Puts the patched state back, the latest library first; the journal
    // goes when all are back, otherwise it stays and getUnrestored names
    // the library.
    bool undo();
    const CQBNWCharString& getUnrestored() const { return m_unrestored; }
    bool isCommitted() const { return m_bCommitted; }

    // Whether a journal's lines are a removal's.
    static bool isRemovalJournal(const std::vector<std::wstring>& lines);
    // Finishes a committed removal or undoes one that was not, as the
    // journal's `lines` (untrusted, as CPatchInstallJournal::recover says)
    // and the disk agree; `refused` names the line otherwise, and nothing
    // changes. A committed removal is finished only when no library of
    // `ownTargets` holds this release's bytes, whatever the lines name;
    // otherwise getUnrestored names the first that does.
    bool recover(const std::vector<std::wstring>& lines,
                 const std::vector<HookTarget>& ownTargets,
                 const std::function<void()>& beforeMoving,
                 std::wstring& refused);

private:
    CPatchRemovalJournal(const CPatchRemovalJournal&) = delete;
    CPatchRemovalJournal& operator=(const CPatchRemovalJournal&) = delete;

    bool load(const std::vector<std::wstring>& lines,
              const std::vector<HookTarget>& ownTargets,
              std::vector<const HookFile*>& files, std::wstring& refused);
    bool applyLine(const std::wstring& line,
                   const std::vector<HookTarget>& ownTargets,
                   std::vector<const HookFile*>& files);
    std::wstring contradictedLine(
        const std::vector<const HookFile*>& files) const;
    bool isAnyLibraryPatched(const std::vector<HookTarget>& ownTargets);

    CPatchJournalLines m_file;
    std::vector<CPatchRemovedFile> m_removed;
    bool m_bCommitted = false;
    CQBNWCharString m_unrestored;
};

#endif

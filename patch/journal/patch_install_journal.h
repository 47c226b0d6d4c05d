// The replacements of one run, written ahead to a journal on disk, so that
// the product's libraries are never left half replaced. A half-replaced set
// would be worse than none: the next run would find the window hook at the
// patch's version and refuse to go on. Within a run, a failed step puts
// back every library replaced so far; a run killed part-way leaves its
// journal, and the next run puts the product back from it before anything
// else (recover). A journal that cannot be fully undone stays for the run
// after that.
#ifndef PATCH_INSTALL_JOURNAL_H
#define PATCH_INSTALL_JOURNAL_H

#include <functional>
#include <string>
#include <vector>

#include "patch_hook_files.h"
#include "patch_journal_lines.h"
#include "patch_prepare.h"
#include "patch_replaced_file.h"
#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

// The journal's name in the product's folder, beside the patch log.
const wchar_t kPatchJournalName[] = L"patch8104.journal";

class CPatchInstallJournal {
public:
    explicit CPatchInstallJournal(const CQBNWCharString& journalPath);
    // The journal of the product in `productFolder`.
    static CQBNWCharString pathIn(const CQBNWCharString& productFolder);
    // Rolls back whatever was neither finished nor rolled back, so that
    // an exception part-way through a set does not leave it half replaced.
    ~CPatchInstallJournal();

    // Replaces each of `libraries` by its checked source, in three stages
    // for the whole set: every target noted, then every installed library
    // backed up (verified) and the backups noted, then every source copied
    // in and checked to hold its bytes. Each stage's lines reach the disk
    // before the next stage touches a file, in one wait for the set rather
    // than two for each library. False, with `failed` the target whose step
    // failed; what was done so far is in the journal.
    bool replaceAll(const std::vector<const PreparedLibrary*>& libraries,
                    CQBNWCharString& failed);
    // Every library is in place and verified: from here on a killed run is
    // complete once its patch record exists.
    bool markCommitting();
    // Every replacement stays, with its backup; the journal is removed.
    void finish();
    // Undoes every replacement, the latest first. True when all of them
    // were undone; otherwise the journal stays and getUnrestored names the
    // first library that could not be put back.
    bool rollBack();
    const CQBNWCharString& getUnrestored() const { return m_unrestored; }

    // Brings the product back to a whole state from a journal an earlier
    // run left: rolled back, or kept when that run had committed and its
    // patch record exists. The journal is untrusted: it is followed only
    // when every line names one of `ownTargets` and the disk agrees with
    // it; otherwise nothing is moved, the journal stays and getUnrestored
    // names it. A journal that cannot be read whole is put aside for the
    // disk itself (recoverFromDisk). `beforeMoving` runs once, after every
    // check and before the first library moves. True when there was
    // nothing to do or it is done.
    bool recover(const std::vector<HookTarget>& ownTargets,
                 const std::function<void()>& beforeMoving = nullptr);
    // The journal recover followed was a removal's, committed, and the
    // removal is now finished: the libraries put back wait for a restart.
    bool hasFinishedRemoval() const { return m_bFinishedRemoval; }

private:
    CPatchInstallJournal(const CPatchInstallJournal&) = delete;
    bool noteTargets(const std::vector<const PreparedLibrary*>& libraries);
    bool backUpNoted(std::size_t ulFirst, CQBNWCharString& failed);
    CPatchInstallJournal& operator=(const CPatchInstallJournal&) = delete;

    // The libraries the lines name, each with the target it is; false, with
    // `refused` the first line that is not a step of a run on
    // `ownTargets`.
    bool load(const std::vector<std::wstring>& lines,
              const std::vector<HookTarget>& ownTargets,
              std::vector<const HookFile*>& files, bool& bCommitted,
              std::wstring& refused);
    bool applyLine(const std::wstring& line,
                   const std::vector<HookTarget>& ownTargets,
                   std::vector<const HookFile*>& files, bool& bCommitted);
    // The note of the first library the disk contradicts: one that cannot
    // be put back safely or, for a recorded patch, that does not hold this
    // release's bytes. Empty when there is none.
    std::wstring contradictedLine(const std::vector<const HookFile*>& files,
                                  bool bRecorded) const;
    // The journal lies in the product's folder.
    CQBNWCharString productFolder() const;
    bool ensureUninstallEntry();
    bool recoverRemoval(const std::vector<std::wstring>& lines,
                        const std::vector<HookTarget>& ownTargets,
                        const std::function<void()>& beforeMoving);
    bool recoverWithoutLines(const std::vector<HookTarget>& ownTargets,
                             const std::function<void()>& beforeMoving);
    // Nothing is moved: the journal stays, named by getUnrestored, and the
    // library's log names the line it was refused at.
    bool refuse(const wchar_t* szReason, const std::wstring& line);
    // The warning names the method that met the failure.
    void warnUnrestored(const wchar_t* szMethodName);

    CPatchJournalLines m_file;
    std::vector<CPatchReplacedFile> m_replaced;
    CQBNWCharString m_unrestored;
    bool m_bFinishedRemoval = false;
};

#endif

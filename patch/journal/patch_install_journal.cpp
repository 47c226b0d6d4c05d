#include "patch_install_journal.h"

#include "patch_disk_recovery.h"
#include "patch_file_bytes.h"
#include "patch_paths.h"
#include "patch_record.h"
#include "patch_recovery_evidence.h"
#include "patch_removal_journal.h"
#include "patch_uninstall_entry.h"
#include "patch_warning.h"
#include "qbn_catch.h"

#define PATCH_INSTALL_JOURNAL_SOURCE L".\\patch_install_journal.cpp"

namespace {

const wchar_t kClassName[] = L"CPatchInstallJournal";
const wchar_t kCommittingLine[] = L"committing";

} // namespace

CPatchInstallJournal::CPatchInstallJournal(const CQBNWCharString& journalPath)
    : m_file(journalPath)
{
}

CPatchInstallJournal::~CPatchInstallJournal()
{
    if (!m_replaced.empty())
        rollBack();
}

bool CPatchInstallJournal::replaceAll(
    const std::vector<const PreparedLibrary*>& libraries,
    CQBNWCharString& failed)
{
    failed = libraries.empty() ? CQBNWCharString() : libraries.front()->target;
    return qbnGuard(
        false, esLastError, PATCH_INSTALL_JOURNAL_SOURCE, __LINE__, [&]() {
            const std::size_t ulFirst = m_replaced.size();
            // On the disk before anything is touched, so that even a
            // replacement killed half-way is undone.
            if (!noteTargets(libraries) || !backUpNoted(ulFirst, failed))
                return false;
            for (std::size_t index = 0; index < libraries.size(); ++index) {
                const PreparedLibrary& library = *libraries[index];
                failed = library.target;
                if (!m_replaced[ulFirst + index].copyFrom(library.source,
                                                          library.bytes))
                    return false;
            }
            return true;
        });
}

bool CPatchInstallJournal::noteTargets(
    const std::vector<const PreparedLibrary*>& libraries)
{
    std::vector<CPatchReplacedFile> observed;
    std::vector<std::wstring> notes;
    for (const PreparedLibrary* pLibrary : libraries) {
        observed.push_back(CPatchReplacedFile::observe(pLibrary->target));
        notes.push_back(observed.back().noteLine());
    }
    if (!m_file.append(notes))
        return false;
    m_replaced.insert(m_replaced.end(), observed.begin(), observed.end());
    return true;
}

// Every noted library moved to its backup, then the backups noted at once:
// a copy may only begin over a library whose backup the journal names.
bool CPatchInstallJournal::backUpNoted(std::size_t ulFirst,
                                       CQBNWCharString& failed)
{
    std::vector<std::wstring> backedUp;
    for (std::size_t index = ulFirst; index < m_replaced.size(); ++index) {
        CPatchReplacedFile& file = m_replaced[index];
        failed = file.getTarget();
        if (!file.backUp())
            return false;
        backedUp.push_back(file.backedUpLine());
    }
    return m_file.append(backedUp);
}

bool CPatchInstallJournal::markCommitting()
{
    return m_file.append(kCommittingLine);
}

void CPatchInstallJournal::finish()
{
    qbnGuardAction(esLastError, PATCH_INSTALL_JOURNAL_SOURCE, __LINE__, [&]() {
        const CQBNWCharString copy = programCopyPath(productFolder());
        for (CPatchReplacedFile& file : m_replaced) {
            file.discardPreviousBackup();
            // An earlier copy of this program is no original to keep.
            if (isSameWindowsPath(file.getTarget(), copy))
                file.discardBackup();
        }
        m_replaced.clear();
        m_file.remove();
    });
}

bool CPatchInstallJournal::rollBack()
{
    m_unrestored = CQBNWCharString();
    const bool bAllRestored = qbnGuard(
        false, esLastError, PATCH_INSTALL_JOURNAL_SOURCE, __LINE__, [&]() {
            bool bAll = true;
            for (auto it = m_replaced.rbegin(); it != m_replaced.rend(); ++it) {
                if (it->restore())
                    continue;
                bAll = false;
                m_unrestored = it->getTarget();
            }
            // Never an entry without the patch: it goes with the files,
            // even when one of them could not be put back.
            const bool bWithdrawn = withdrawUninstallEntry(productFolder());
            return bAll && bWithdrawn && m_file.remove();
        });
    if (!bAllRestored && m_unrestored.getLength() == 0)
        m_unrestored = m_file.getPath();
    m_replaced.clear();
    if (!bAllRestored)
        warnUnrestored(L"rollBack");
    return bAllRestored;
}

CQBNWCharString CPatchInstallJournal::pathIn(
    const CQBNWCharString& productFolder)
{
    return joinFolderAndName(productFolder, CQBNWCharString(kPatchJournalName));
}

bool CPatchInstallJournal::recover(const std::vector<HookTarget>& ownTargets,
                                   const std::function<void()>& beforeMoving)
{
    if (!m_file.exists())
        return true;
    std::vector<std::wstring> lines;
    if (!m_file.readLines(lines))
        return recoverWithoutLines(ownTargets, beforeMoving);
    if (CPatchRemovalJournal::isRemovalJournal(lines))
        return recoverRemoval(lines, ownTargets, beforeMoving);
    std::vector<const HookFile*> files;
    bool bCommitted = false;
    std::wstring refused;
    if (!load(lines, ownTargets, files, bCommitted, refused))
        return refuse(L"names what no run of this patch does: ", refused);
    const bool bRecorded = isPatchInstalled() != 0;
    if (bRecorded && !bCommitted)
        return refuse(L"was not committed, yet the patch record exists: ",
                      lines.back());
    const std::wstring contradicted = contradictedLine(files, bRecorded);
    if (!contradicted.empty())
        return refuse(L"is contradicted by the disk at: ", contradicted);
    if (bRecorded) {
        finish();
        return ensureUninstallEntry();
    }
    if (beforeMoving && !m_replaced.empty())
        beforeMoving();
    return rollBack();
}

// A killed removal's journal is followed by the removal's own rules.
bool CPatchInstallJournal::recoverRemoval(
    const std::vector<std::wstring>& lines,
    const std::vector<HookTarget>& ownTargets,
    const std::function<void()>& beforeMoving)
{
    CPatchRemovalJournal removal(m_file.getPath());
    std::wstring refused;
    if (removal.recover(lines, ownTargets, beforeMoving, refused)) {
        m_bFinishedRemoval = removal.isCommitted();
        return true;
    }
    if (!refused.empty())
        return refuse(L"names what no removal does, or the disk contradicts: ",
                      refused);
    m_unrestored = removal.getUnrestored();
    return false;
}

// Without lines to follow, only the disk can tell what a killed run left.
// A recorded patch was complete; otherwise the libraries are put back from
// their backups where the disk shows this release half in place. Only a
// product made whole lets the journal go.
bool CPatchInstallJournal::recoverWithoutLines(
    const std::vector<HookTarget>& ownTargets,
    const std::function<void()>& beforeMoving)
{
    logPatchWarning(kClassName, L"recover",
                    CQBNWCharString(L"Cannot read the journal whole, the "
                                    L"libraries are judged by the disk: ") +
                        m_file.getPath(),
                    PATCH_INSTALL_JOURNAL_SOURCE, __LINE__);
    if (isPatchInstalled())
        return true;
    if (!recoverFromDisk(ownTargets, beforeMoving) || !m_file.remove())
        return refuse(L"cannot be read, and the disk cannot be made whole: ",
                      std::wstring());
    return true;
}

CQBNWCharString CPatchInstallJournal::productFolder() const
{
    return folderOf(m_file.getPath());
}

// A recorded patch has its entry: a run killed between the two is brought
// forward. A patch from before the entry existed has no copy to point it
// at, and stays without one.
bool CPatchInstallJournal::ensureUninstallEntry()
{
    const CQBNWCharString folder = productFolder();
    return !fileExists(programCopyPath(folder)) || writeUninstallEntry(folder);
}

bool CPatchInstallJournal::load(const std::vector<std::wstring>& lines,
                                const std::vector<HookTarget>& ownTargets,
                                std::vector<const HookFile*>& files,
                                bool& bCommitted, std::wstring& refused)
{
    m_replaced.clear();
    files.clear();
    bCommitted = false;
    for (const std::wstring& line : lines) {
        if (!applyLine(line, ownTargets, files, bCommitted)) {
            m_replaced.clear();
            refused = line;
            return false;
        }
    }
    return true;
}

// Each line must be a step of one run on this product's own targets, in
// the order a run writes them: each library noted once, its backup only
// after its note, nothing after the commit.
bool CPatchInstallJournal::applyLine(const std::wstring& line,
                                     const std::vector<HookTarget>& ownTargets,
                                     std::vector<const HookFile*>& files,
                                     bool& bCommitted)
{
    if (bCommitted)
        return false;
    if (line == kCommittingLine) {
        bCommitted = true;
        return true;
    }
    CPatchReplacedFile noted(CQBNWCharString(), false, false);
    if (CPatchReplacedFile::fromNoteLine(line, noted))
        return addOwnNote(noted, ownTargets, m_replaced, files);
    for (CPatchReplacedFile& file : m_replaced) {
        if (file.isBackedUpLine(line) && !file.isBackedUp()) {
            file.markBackedUp();
            return true;
        }
    }
    return false;
}

std::wstring CPatchInstallJournal::contradictedLine(
    const std::vector<const HookFile*>& files, bool bRecorded) const
{
    for (std::size_t index = 0; index < m_replaced.size(); ++index) {
        const CPatchReplacedFile& file = m_replaced[index];
        const bool bAgrees =
            bRecorded ? holdsReleaseLibrary(file.getTarget(), *files[index])
                      : file.canRestoreSafely(*files[index]);
        if (!bAgrees)
            return file.noteLine();
    }
    return std::wstring();
}

bool CPatchInstallJournal::refuse(const wchar_t* szReason,
                                  const std::wstring& line)
{
    m_replaced.clear();
    m_unrestored = m_file.getPath();
    logPatchWarning(kClassName, L"recover",
                    CQBNWCharString(L"Not followed, the journal ") +
                        m_file.getPath() + CQBNWCharString(L" ") +
                        CQBNWCharString(szReason) +
                        CQBNWCharString(line.c_str()),
                    PATCH_INSTALL_JOURNAL_SOURCE, __LINE__);
    return false;
}

void CPatchInstallJournal::warnUnrestored(const wchar_t* szMethodName)
{
    warnJournalKept(kClassName, szMethodName, m_unrestored,
                    PATCH_INSTALL_JOURNAL_SOURCE, __LINE__);
}

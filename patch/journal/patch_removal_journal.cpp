#include "patch_removal_journal.h"

#include "patch_paths.h"
#include "patch_record.h"
#include "patch_recovery_evidence.h"
#include "patch_uninstall_entry.h"
#include "qbn_catch.h"

#define PATCH_REMOVAL_JOURNAL_SOURCE L".\\patch_removal_journal.cpp"

namespace {

const wchar_t kClassName[] = L"CPatchRemovalJournal";
const wchar_t kCommittingLine[] = L"removal-committing";

} // namespace

CPatchRemovalJournal::CPatchRemovalJournal(const CQBNWCharString& journalPath)
    : m_file(journalPath)
{
}

CPatchRemovalJournal::~CPatchRemovalJournal()
{
    if (!m_removed.empty() && !m_bCommitted)
        undo();
}

bool CPatchRemovalJournal::removeAll(
    const std::vector<CQBNWCharString>& targets, CQBNWCharString& failed)
{
    failed = targets.empty() ? CQBNWCharString() : targets.front();
    return qbnGuard(false, esLastError, PATCH_REMOVAL_JOURNAL_SOURCE, __LINE__,
                    [&]() {
                        std::vector<CPatchRemovedFile> noted;
                        std::vector<std::wstring> notes;
                        std::vector<std::wstring> done;
                        for (const CQBNWCharString& target : targets) {
                            noted.push_back(CPatchRemovedFile(target));
                            notes.push_back(noted.back().noteLine());
                            done.push_back(noted.back().doneLine());
                        }
                        if (!m_file.append(notes))
                            return false;
                        for (const CPatchRemovedFile& file : noted) {
                            m_removed.push_back(file);
                            failed = file.getTarget();
                            if (!file.putBackupBack())
                                return false;
                        }
                        return m_file.append(done);
                    });
}

bool CPatchRemovalJournal::markCommitting()
{
    m_bCommitted = m_file.append(kCommittingLine);
    return m_bCommitted;
}

bool CPatchRemovalJournal::finish()
{
    bool bAll = forgetPatch();
    for (CPatchRemovedFile& file : m_removed)
        bAll = file.discardAside() && bAll;
    if (!bAll) {
        m_unrestored = m_file.getPath();
        return false;
    }
    m_removed.clear();
    return m_file.remove();
}

bool CPatchRemovalJournal::undo()
{
    m_unrestored = CQBNWCharString();
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it) {
        if (!it->undo() && m_unrestored.getLength() == 0)
            m_unrestored = it->getTarget();
    }
    m_removed.clear();
    if (m_unrestored.getLength() == 0 && m_file.remove())
        return true;
    if (m_unrestored.getLength() == 0)
        m_unrestored = m_file.getPath();
    warnJournalKept(kClassName, L"undo", m_unrestored,
                    PATCH_REMOVAL_JOURNAL_SOURCE, __LINE__);
    return false;
}

bool CPatchRemovalJournal::isRemovalJournal(
    const std::vector<std::wstring>& lines)
{
    CPatchRemovedFile first(CQBNWCharString{});
    return !lines.empty() && CPatchRemovedFile::fromNoteLine(lines[0], first);
}

// A committed removal goes forward (its originals must be back); one that
// was not goes back to the patched state, which still has its record.
bool CPatchRemovalJournal::recover(const std::vector<std::wstring>& lines,
                                   const std::vector<HookTarget>& ownTargets,
                                   const std::function<void()>& beforeMoving,
                                   std::wstring& refused)
{
    std::vector<const HookFile*> files;
    if (!load(lines, ownTargets, files, refused))
        return false;
    if (!m_bCommitted && !isPatchInstalled()) {
        refused = lines.back();
        return false;
    }
    refused = contradictedLine(files);
    if (!refused.empty()) {
        m_removed.clear();
        m_bCommitted = false;
        return false;
    }
    if (m_bCommitted && isAnyLibraryPatched(ownTargets)) {
        m_removed.clear();
        m_bCommitted = false;
        warnJournalKept(kClassName, L"recover", m_unrestored,
                        PATCH_REMOVAL_JOURNAL_SOURCE, __LINE__);
        return false;
    }
    if (m_bCommitted)
        return finish();
    if (beforeMoving)
        beforeMoving();
    return undo();
}

bool CPatchRemovalJournal::load(const std::vector<std::wstring>& lines,
                                const std::vector<HookTarget>& ownTargets,
                                std::vector<const HookFile*>& files,
                                std::wstring& refused)
{
    m_removed.clear();
    m_bCommitted = false;
    for (const std::wstring& line : lines) {
        if (!applyLine(line, ownTargets, files)) {
            m_removed.clear();
            m_bCommitted = false;
            refused = line;
            return false;
        }
    }
    return true;
}

// Each library noted once, its step done once and only after its note,
// nothing after the commit.
bool CPatchRemovalJournal::applyLine(const std::wstring& line,
                                     const std::vector<HookTarget>& ownTargets,
                                     std::vector<const HookFile*>& files)
{
    if (m_bCommitted)
        return false;
    if (line == kCommittingLine) {
        m_bCommitted = true;
        return true;
    }
    CPatchRemovedFile noted(CQBNWCharString{});
    if (CPatchRemovedFile::fromNoteLine(line, noted))
        return addOwnNote(noted, ownTargets, m_removed, files);
    for (CPatchRemovedFile& file : m_removed) {
        if (file.isDoneLine(line) && !file.isDone()) {
            file.markDone();
            return true;
        }
    }
    return false;
}

// A journal may name fewer libraries than the run had to put back (it may
// have been written by hand): the disk alone says whether the patch is
// gone.
bool CPatchRemovalJournal::isAnyLibraryPatched(
    const std::vector<HookTarget>& ownTargets)
{
    for (const HookTarget& target : ownTargets) {
        if (isProgramCopy(*target.pFile) ||
            !holdsReleaseLibrary(target.path, *target.pFile))
            continue;
        m_unrestored = target.path;
        return true;
    }
    return false;
}

std::wstring CPatchRemovalJournal::contradictedLine(
    const std::vector<const HookFile*>& files) const
{
    for (std::size_t index = 0; index < m_removed.size(); ++index) {
        const CPatchRemovedFile& file = m_removed[index];
        const bool bAgrees = m_bCommitted ? file.isRemovedSafely(*files[index])
                                          : file.canUndoSafely(*files[index]);
        if (!bAgrees)
            return file.noteLine();
    }
    return std::wstring();
}

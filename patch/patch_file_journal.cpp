#include "patch_file_journal.h"

#include "patch_hook_files.h"
#include "patch_record.h"
#include "qbn_catch.h"
#include "qbn_detailed_log.h"

#define PATCH_FILE_JOURNAL_SOURCE L".\\patch_file_journal.cpp"

namespace {

const wchar_t kClassName[] = L"CPatchFileJournal";
const wchar_t kCommittingLine[] = L"committing";

} // namespace

CPatchFileJournal::CPatchFileJournal(const CQBNWCharString& journalPath)
    : m_file(journalPath)
{
}

CPatchFileJournal::~CPatchFileJournal()
{
    if (!m_replaced.empty())
        rollBack();
}

int CPatchFileJournal::replace(const CQBNWCharString& source,
                               const CQBNWCharString& target,
                               const CQBNBuffer<unsigned char>& bytes)
{
    return qbnGuard(0, esLastError, PATCH_FILE_JOURNAL_SOURCE, __LINE__, [&]() {
        const CPatchReplacedFile observed = CPatchReplacedFile::observe(target);
        // On the disk before anything is touched, so that even a
        // replacement killed half-way is undone.
        if (!m_file.append(observed.noteLine()))
            return 0;
        m_replaced.push_back(observed);
        CPatchReplacedFile& file = m_replaced.back();
        if (!file.backUp() || !m_file.append(file.backedUpLine()))
            return 0;
        return file.copyFrom(source, bytes) ? 1 : 0;
    });
}

bool CPatchFileJournal::markCommitting()
{
    return m_file.append(kCommittingLine);
}

void CPatchFileJournal::finish()
{
    qbnGuardAction(esLastError, PATCH_FILE_JOURNAL_SOURCE, __LINE__, [&]() {
        for (CPatchReplacedFile& file : m_replaced)
            file.discardPreviousBackup();
        m_replaced.clear();
        m_file.remove();
    });
}

bool CPatchFileJournal::rollBack()
{
    m_unrestored = CQBNWCharString();
    const bool bAllRestored = qbnGuard(
        false, esLastError, PATCH_FILE_JOURNAL_SOURCE, __LINE__, [&]() {
            bool bAll = true;
            for (auto it = m_replaced.rbegin(); it != m_replaced.rend(); ++it) {
                if (it->restore())
                    continue;
                bAll = false;
                m_unrestored = it->getTarget();
            }
            return bAll && m_file.remove();
        });
    if (!bAllRestored && m_unrestored.getLength() == 0)
        m_unrestored = m_file.getPath();
    m_replaced.clear();
    if (!bAllRestored)
        warnUnrestored(L"rollBack");
    return bAllRestored;
}

bool CPatchFileJournal::recover()
{
    if (!m_file.exists())
        return true;
    bool bCommitted = false;
    if (!load(bCommitted)) {
        m_unrestored = m_file.getPath();
        warnUnrestored(L"recover");
        return false;
    }
    if (bCommitted && isPatchInstalled()) {
        finish();
        return true;
    }
    return rollBack();
}

bool CPatchFileJournal::load(bool& bCommitted)
{
    m_replaced.clear();
    std::vector<std::wstring> lines;
    if (!m_file.readLines(lines))
        return false;
    for (const std::wstring& line : lines)
        applyLine(line, bCommitted);
    return true;
}

// Only the product's hook libraries are ever moved back, whatever else a
// damaged or planted journal may name.
void CPatchFileJournal::applyLine(const std::wstring& line, bool& bCommitted)
{
    CPatchReplacedFile noted(CQBNWCharString(), false, false);
    if (CPatchReplacedFile::fromNoteLine(line, noted) &&
        isHookLibraryPath(noted.getTarget())) {
        m_replaced.push_back(noted);
        return;
    }
    if (line == kCommittingLine) {
        bCommitted = true;
        return;
    }
    for (CPatchReplacedFile& file : m_replaced) {
        if (file.isBackedUpLine(line))
            file.markBackedUp();
    }
}

void CPatchFileJournal::warnUnrestored(const wchar_t* szMethodName)
{
    const DWORD dwError = GetLastError();
    const CQBNWCharString message =
        CQBNWCharString(L"Unable to put back ") + m_unrestored +
        CQBNWCharString(L"; the journal is kept for the next run");
    CQBNDetailedLog warning(llWarning, message.getText(), dwError, rtErrorCode,
                            kClassName, szMethodName, PATCH_FILE_JOURNAL_SOURCE,
                            __LINE__, true, false, loText);
}

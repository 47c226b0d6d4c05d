#include "patch_file_journal.h"

#include "qbn_catch.h"

#define PATCH_FILE_JOURNAL_SOURCE L".\\patch_file_journal.cpp"

CPatchFileJournal::CPatchFileJournal() {}

CPatchFileJournal::~CPatchFileJournal()
{
    rollBack();
}

int CPatchFileJournal::replace(const CQBNWCharString& source,
                               const CQBNWCharString& target)
{
    return qbnGuard(0, esLastError, PATCH_FILE_JOURNAL_SOURCE, __LINE__, [&]() {
        // Noted before anything is touched, so that even a
        // replacement that fails half-way is undone.
        std::unique_ptr<CPatchReplacedFile> pFile =
            std::make_unique<CPatchReplacedFile>(target);
        CPatchReplacedFile& file = *pFile;
        m_replaced.push_back(std::move(pFile));
        return file.replaceFrom(source);
    });
}

void CPatchFileJournal::commit()
{
    m_replaced.clear();
}

bool CPatchFileJournal::rollBack()
{
    bool bAllRestored = true;
    qbnGuardAction(esLastError, PATCH_FILE_JOURNAL_SOURCE, __LINE__, [&]() {
        while (!m_replaced.empty()) {
            if (!m_replaced.back()->restore())
                bAllRestored = false;
            m_replaced.pop_back();
        }
    });
    return bAllRestored;
}

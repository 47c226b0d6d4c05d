#include "patch_replaced_file.h"

#include <windows.h>

#include "patch_file_bytes.h"
#include "patch_recovery_evidence.h"

namespace {

const wchar_t kNoteTag[] = L"target|";
const wchar_t kBackedUpTag[] = L"backed-up|";

bool moveReplacing(const CQBNWCharString& from, const CQBNWCharString& to)
{
    return MoveFileExW(from.getText(), to.getText(),
                       MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool isFlag(wchar_t wcUnit)
{
    return wcUnit == L'0' || wcUnit == L'1';
}

bool beginsWith(const std::wstring& line, const wchar_t* szTag)
{
    return line.compare(0, wcslen(szTag), szTag) == 0;
}

const wchar_t* flagText(bool bFlag)
{
    return bFlag ? L"1|" : L"0|";
}

} // namespace

CPatchReplacedFile CPatchReplacedFile::observe(const CQBNWCharString& target)
{
    CPatchReplacedFile file(target, false, false);
    file.m_bTargetExisted = fileExists(file.m_target);
    file.m_bBackupExisted = fileExists(file.m_backup);
    return file;
}

CPatchReplacedFile::CPatchReplacedFile(const CQBNWCharString& target,
                                       bool bTargetExisted, bool bBackupExisted)
    : m_target(target), m_backup(target + CQBNWCharString(L".bak")),
      m_previousBackup(target + CQBNWCharString(L".bak.old")),
      m_bTargetExisted(bTargetExisted), m_bBackupExisted(bBackupExisted),
      m_bBackedUp(false)
{
}

std::wstring CPatchReplacedFile::noteLine() const
{
    return std::wstring(kNoteTag) + flagText(m_bTargetExisted) +
           flagText(m_bBackupExisted) + m_target.getText();
}

std::wstring CPatchReplacedFile::backedUpLine() const
{
    return std::wstring(kBackedUpTag) + m_target.getText();
}

// "target|<installed existed>|<backup existed>|<path>"
bool CPatchReplacedFile::fromNoteLine(const std::wstring& line,
                                      CPatchReplacedFile& file)
{
    const std::wstring::size_type ulFlags = wcslen(kNoteTag);
    if (!beginsWith(line, kNoteTag) || line.size() < ulFlags + 5 ||
        !isFlag(line[ulFlags]) || line[ulFlags + 1] != L'|' ||
        !isFlag(line[ulFlags + 2]) || line[ulFlags + 3] != L'|')
        return false;
    file = CPatchReplacedFile(CQBNWCharString(line.c_str() + ulFlags + 4),
                              line[ulFlags] == L'1', line[ulFlags + 2] == L'1');
    return true;
}

bool CPatchReplacedFile::isBackedUpLine(const std::wstring& line) const
{
    return line == backedUpLine();
}

bool CPatchReplacedFile::backUp()
{
    if (!m_bTargetExisted)
        return true;
    CQBNBuffer<unsigned char> installed;
    if (!readFileBytes(m_target, installed))
        return false;
    if (m_bBackupExisted && !moveReplacing(m_backup, m_previousBackup))
        return false;
    if (!moveReplacing(m_target, m_backup) || !fileHolds(m_backup, installed))
        return false;
    m_bBackedUp = true;
    return true;
}

// The very bytes whose digest was checked go into place, dated as a copy
// keeps them, and nothing else of the source: no read-only attribute from
// the medium, no download's zone mark (a stream of the file, which would
// mark the program copy and the libraries as files from the Internet).
// The name is free: the backup has just taken the installed file. A
// source gone since its check means the package is changing under the
// run: that stops it as a failed copy did.
bool CPatchReplacedFile::copyFrom(const CQBNWCharString& source,
                                  const CQBNBuffer<unsigned char>& bytes)
{
    FILETIME sourceDate = {};
    return readLastWriteTime(source, sourceDate) &&
           writeNewFile(m_target, bytes, &sourceDate) &&
           fileHolds(m_target, bytes);
}

bool CPatchReplacedFile::restore()
{
    if (!m_bTargetExisted)
        return removeFileIfPresent(m_target);
    // While the older backup is kept aside, ".bak" is this run's; once it
    // is back (or was never moved), the installed file is in place.
    if (m_bBackupExisted && !fileExists(m_previousBackup))
        return fileExists(m_target);
    if (!putInstalledFileBack())
        return false;
    // Never over anything: the older backup goes back only onto a free name.
    return !m_bBackupExisted || moveOntoFreeName(m_previousBackup, m_backup);
}

bool CPatchReplacedFile::canRestoreSafely(const HookFile& file) const
{
    if (!m_bTargetExisted)
        return isDisposableLibrary(m_target, file);
    if (m_bBackupExisted && !fileExists(m_previousBackup))
        return fileExists(m_target);
    const bool bMovesBack = movesBackupBack();
    if (bMovesBack && !(holdsWholeLibraryFor(m_backup, file) &&
                        isDisposableLibrary(m_target, file)))
        return false;
    if (!bMovesBack && !fileExists(m_target))
        return false;
    return !m_bBackupExisted || bMovesBack || pathKindOf(m_backup) == pkMissing;
}

// The backup is the installed file once it was made, or, before that was
// recorded, when the target is gone (the move happened, the copy not).
bool CPatchReplacedFile::movesBackupBack() const
{
    return fileExists(m_backup) && (m_bBackedUp || !fileExists(m_target));
}

bool CPatchReplacedFile::putInstalledFileBack()
{
    if (movesBackupBack() && !moveReplacing(m_backup, m_target))
        return false;
    return fileExists(m_target);
}

bool CPatchReplacedFile::discardPreviousBackup()
{
    if (!m_bTargetExisted || !m_bBackupExisted)
        return true;
    return removeFileNowOrAtRestart(m_previousBackup);
}

bool CPatchReplacedFile::discardBackup()
{
    return !m_bTargetExisted || removeFileNowOrAtRestart(m_backup);
}

#include "patch_removed_file.h"

#include <windows.h>

#include "patch_file_bytes.h"
#include "patch_recovery_evidence.h"

namespace {

const wchar_t kNoteTag[] = L"removing|";
const wchar_t kDoneTag[] = L"removed|";

} // namespace

CPatchRemovedFile::CPatchRemovedFile(const CQBNWCharString& target)
    : m_target(target), m_backup(target + CQBNWCharString(L".bak")),
      m_aside(target + CQBNWCharString(L".removed"))
{
}

std::wstring CPatchRemovedFile::noteLine() const
{
    return std::wstring(kNoteTag) + m_target.getText();
}

std::wstring CPatchRemovedFile::doneLine() const
{
    return std::wstring(kDoneTag) + m_target.getText();
}

bool CPatchRemovedFile::fromNoteLine(const std::wstring& line,
                                     CPatchRemovedFile& file)
{
    const std::wstring::size_type ulTag = wcslen(kNoteTag);
    if (line.compare(0, ulTag, kNoteTag) != 0 || line.size() == ulTag)
        return false;
    file = CPatchRemovedFile(CQBNWCharString(line.c_str() + ulTag));
    return true;
}

bool CPatchRemovedFile::isDoneLine(const std::wstring& line) const
{
    return line == doneLine();
}

bool CPatchRemovedFile::putBackupBack() const
{
    return moveOntoFreeName(m_target, m_aside) &&
           moveFileChecked(m_backup, m_target, 0);
}

bool CPatchRemovedFile::undo()
{
    if (!fileExists(m_aside))
        return fileExists(m_target);
    if (fileExists(m_target) && !moveOntoFreeName(m_target, m_backup))
        return false;
    return moveOntoFreeName(m_aside, m_target);
}

bool CPatchRemovedFile::canUndoSafely(const HookFile& file) const
{
    if (pathKindOf(m_aside) == pkMissing)
        return fileExists(m_target);
    if (!holdsReleaseLibrary(m_aside, file))
        return false;
    return pathKindOf(m_target) == pkMissing ||
           (holdsWholeLibraryFor(m_target, file) &&
            pathKindOf(m_backup) == pkMissing);
}

bool CPatchRemovedFile::isRemovedSafely(const HookFile& file) const
{
    return holdsWholeLibraryFor(m_target, file) &&
           !holdsReleaseLibrary(m_target, file) &&
           (pathKindOf(m_aside) == pkMissing ||
            holdsReleaseLibrary(m_aside, file));
}

bool CPatchRemovedFile::discardAside()
{
    return removeFileNowOrAtRestart(m_aside);
}

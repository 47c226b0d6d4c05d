// One installed library that a run replaces, and how to put it back. The
// installed file is moved to its ".bak" name, which works even while other
// processes have it loaded, and moving it back restores it exactly; an
// older ".bak" is first moved aside to ".bak.old" so that it, too, can be
// put back. Every step is checked against the bytes it must leave, and
// putting back works from what is on the disk, so it can be repeated after
// a run was killed at any point, including during an earlier attempt to
// put back.
#ifndef PATCH_REPLACED_FILE_H
#define PATCH_REPLACED_FILE_H

#include <string>

#include "patch_hook_files.h"
#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

class CPatchReplacedFile {
public:
    // As a run finds `target` before touching it.
    static CPatchReplacedFile observe(const CQBNWCharString& target);
    CPatchReplacedFile(const CQBNWCharString& target, bool bTargetExisted,
                       bool bBackupExisted);

    const CQBNWCharString& getTarget() const { return m_target; }
    const CQBNWCharString& getBackup() const { return m_backup; }
    const CQBNWCharString& getPreviousBackup() const
    {
        return m_previousBackup;
    }

    // The journal lines that announce the backup and record that it was
    // made, and the reading of the first.
    std::wstring noteLine() const;
    std::wstring backedUpLine() const;
    static bool fromNoteLine(const std::wstring& line,
                             CPatchReplacedFile& file);
    bool isBackedUpLine(const std::wstring& line) const;
    void markBackedUp() { m_bBackedUp = true; }
    bool isBackedUp() const { return m_bBackedUp; }

    // The installed file becomes its backup; true when the backup holds
    // exactly the bytes that were installed. Nothing to back up is true.
    bool backUp();
    // Puts `bytes`, what `source` was checked to hold, under the target's
    // free name, dated as `source`; true when the target then holds
    // exactly them.
    bool copyFrom(const CQBNWCharString& source,
                  const CQBNBuffer<unsigned char>& bytes);
    // Puts the installed file and the older backup back where they were; a
    // target that did not exist is removed. True when they are back.
    bool restore();
    // Whether restore, as the disk stands, would remove or overwrite the
    // library only where it is missing, empty or this release's `file`, put
    // only a whole library of `file`'s machine in its place, and bring the
    // older backup back only onto a free ".bak". Checked for every library
    // before recovery moves any of them.
    bool canRestoreSafely(const HookFile& file) const;
    // The replacement stays: the older backup kept aside is not needed.
    bool discardPreviousBackup();
    // The installed file was not worth keeping (an earlier copy of this
    // program, say): its backup goes as well.
    bool discardBackup();

private:
    bool movesBackupBack() const;
    bool putInstalledFileBack();

    CQBNWCharString m_target;
    CQBNWCharString m_backup;
    CQBNWCharString m_previousBackup;
    bool m_bTargetExisted;
    bool m_bBackupExisted;
    bool m_bBackedUp;
};

#endif

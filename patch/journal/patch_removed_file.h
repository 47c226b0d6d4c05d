// One library a removal run puts back as it was before the patch: the
// patched library waits aside under "<name>.removed" while the ".bak" the
// install made takes the library's name again, so that until the removal
// is committed the patched state can be restored exactly. Every move goes
// onto a free name only: nothing a removal or its undoing does can
// overwrite a file.
#ifndef PATCH_REMOVED_FILE_H
#define PATCH_REMOVED_FILE_H

#include <string>

#include "patch_hook_files.h"
#include "qbn_wchar_string.h"

class CPatchRemovedFile {
public:
    explicit CPatchRemovedFile(const CQBNWCharString& target);

    const CQBNWCharString& getTarget() const { return m_target; }
    const CQBNWCharString& getBackup() const { return m_backup; }
    const CQBNWCharString& getAside() const { return m_aside; }

    // The journal lines that announce the step and record that it is done,
    // and their reading.
    std::wstring noteLine() const;
    std::wstring doneLine() const;
    static bool fromNoteLine(const std::wstring& line, CPatchRemovedFile& file);
    bool isDoneLine(const std::wstring& line) const;
    // Whether the journal already read this library's done line.
    bool isDone() const { return m_bDone; }
    void markDone() { m_bDone = true; }

    // The patched library aside, the backup in its place; true when the
    // library then holds exactly the backup's bytes.
    bool putBackupBack() const;
    // The patched library back in place and the original back to ".bak",
    // from whatever step a run reached. True when the patched state is
    // back.
    bool undo();
    // Whether undo, as the disk stands, moves only this release's `file`
    // into the library's place and the library only onto a free ".bak".
    bool canUndoSafely(const HookFile& file) const;
    // After the commit: whether the library is a whole library other than
    // this release's, with nothing but this release's bytes aside; and
    // the aside copy's removal.
    bool isRemovedSafely(const HookFile& file) const;
    bool discardAside();

private:
    CQBNWCharString m_target;
    CQBNWCharString m_backup;
    CQBNWCharString m_aside;
    bool m_bDone = false;
};

#endif

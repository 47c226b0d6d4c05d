// One installed library that a run replaces, with what it takes to put the
// old one back. The installed file is normally moved aside to its ".bak"
// name, which works even while other processes have it loaded, and moving
// it back restores it exactly. A file that cannot be moved is kept as a
// copy of its bytes instead, and so is the older backup the move replaces.
#ifndef PATCH_REPLACED_FILE_H
#define PATCH_REPLACED_FILE_H

#include "qbn_buffer.h"
#include "qbn_wchar_string.h"

class CPatchReplacedFile {
public:
    explicit CPatchReplacedFile(const CQBNWCharString& target);

    // Moves the installed file to its backup, replacing an older backup,
    // and copies `source` in its place whether or not the move succeeded;
    // answers the result of the copy (non-zero on success).
    int replaceFrom(const CQBNWCharString& source);
    // Puts the installed file and its backup back as replaceFrom found
    // them; a target that did not exist is removed again. True when
    // everything that needed it was put back.
    bool restore();

private:
    CPatchReplacedFile(const CPatchReplacedFile&) = delete;
    CPatchReplacedFile& operator=(const CPatchReplacedFile&) = delete;

    void rememberBeforeMove();
    bool restoreMovedFile();
    bool restoreUnmovedFile();

    CQBNWCharString m_target;
    CQBNWCharString m_backup;
    bool m_bTargetExisted;
    bool m_bMovedAside;
    bool m_bKeptBackupBytes;
    bool m_bKeptTargetBytes;
    CQBNBuffer<unsigned char> m_backupBytes;
    CQBNBuffer<unsigned char> m_targetBytes;
};

#endif

// Access lists the patch gives to what it creates where other users must
// not write: its run lock, and the folder of the program copy that the
// Installed Updates entry runs elevated. Written as security descriptor
// text, so that the list made and the list checked are one text.
#ifndef PATCH_ACCESS_LIST_H
#define PATCH_ACCESS_LIST_H

#include <windows.h>

#include "qbn_unique_handle.h"
#include "qbn_wchar_string.h"

class CPatchAccessList {
public:
    // `szDescriptorText` in Windows' security descriptor language ("D:P...").
    explicit CPatchAccessList(const wchar_t* szDescriptorText);

    bool isValid() const { return m_descriptor.isValid(); }
    // For CreateFileW and CreateDirectoryW; not inherited by children.
    SECURITY_ATTRIBUTES* attributes() { return &m_attributes; }
    // Whether the object at `path` carries exactly this access list: the
    // same entries in the same order, and nothing inherited from its
    // folder. False when it cannot be read.
    bool isOn(const CQBNWCharString& path) const;

private:
    CPatchAccessList(const CPatchAccessList&) = delete;
    CPatchAccessList& operator=(const CPatchAccessList&) = delete;

    CQBNUniqueLocalMemory m_descriptor;
    SECURITY_ATTRIBUTES m_attributes;
};

#endif

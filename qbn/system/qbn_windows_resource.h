// Strings from the string table of the program's own module. A string that
// cannot be loaded is logged and answered with false; the caller's text is
// then left as it was.
#ifndef QBN_WINDOWS_RESOURCE_H
#define QBN_WINDOWS_RESOURCE_H

#include <windows.h>

#include "qbn_wchar_string.h"

class CQBNWindowsResource {
public:
    // Reads the program's own module; finding it never fails loudly, a
    // module that cannot be found only makes every loadString fail.
    CQBNWindowsResource();
    ~CQBNWindowsResource();

    // Longer strings are cut to kMaxStringLength characters, as Windows
    // cuts them to the buffer it is given.
    bool loadString(unsigned int uStringId, CQBNWCharString& out);

    // What one loadString can hand back at most.
    static constexpr unsigned long kMaxStringLength = 1023;

private:
    CQBNWindowsResource(const CQBNWindowsResource&) = delete;
    CQBNWindowsResource& operator=(const CQBNWindowsResource&) = delete;

    static HMODULE findOwnModule();

    HMODULE m_module;
    CQBNWCharString m_dllName;
};

#endif

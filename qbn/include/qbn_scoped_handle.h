// Owns one kernel handle and closes it when it goes out of scope, so that no
// path out of a function, early return or exception, leaks it.
#ifndef QBN_SCOPED_HANDLE_H
#define QBN_SCOPED_HANDLE_H

#include <windows.h>

class CQBNScopedHandle {
public:
    explicit CQBNScopedHandle(HANDLE hHandle = INVALID_HANDLE_VALUE)
        : m_hHandle(hHandle)
    {
    }
    ~CQBNScopedHandle() { reset(); }
    CQBNScopedHandle(const CQBNScopedHandle&) = delete;
    CQBNScopedHandle& operator=(const CQBNScopedHandle&) = delete;

    HANDLE get() const { return m_hHandle; }
    bool isValid() const
    {
        return m_hHandle != INVALID_HANDLE_VALUE && m_hHandle != nullptr;
    }
    // Closes the handle now; false when Windows refused to close it.
    bool reset(HANDLE hHandle = INVALID_HANDLE_VALUE)
    {
        bool bClosed = true;
        if (isValid())
            bClosed = CloseHandle(m_hHandle) != FALSE;
        m_hHandle = hHandle;
        return bClosed;
    }

private:
    HANDLE m_hHandle;
};

#endif

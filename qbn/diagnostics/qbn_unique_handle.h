// One owner for every kind of Windows handle: it closes what it holds when
// it goes out of scope, so that no path out of a function, early return or
// exception, leaks it; it can be moved but not copied, so that exactly one
// owner closes each handle. What differs between kinds (the empty value,
// the close call) is a traits class.
#ifndef QBN_UNIQUE_HANDLE_H
#define QBN_UNIQUE_HANDLE_H

#include <windows.h>

template <class Traits>
class CQBNUniqueHandle {
public:
    typedef typename Traits::Handle Handle;

    explicit CQBNUniqueHandle(Handle hHandle = Traits::empty())
        : m_hHandle(hHandle)
    {
    }
    ~CQBNUniqueHandle() { reset(); }
    CQBNUniqueHandle(CQBNUniqueHandle&& other) : m_hHandle(other.release()) {}
    CQBNUniqueHandle& operator=(CQBNUniqueHandle&& other)
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    CQBNUniqueHandle(const CQBNUniqueHandle&) = delete;
    CQBNUniqueHandle& operator=(const CQBNUniqueHandle&) = delete;

    Handle get() const { return m_hHandle; }
    bool isValid() const { return Traits::isValid(m_hHandle); }
    // The handle is the caller's to close from now on.
    Handle release()
    {
        const Handle hHandle = m_hHandle;
        m_hHandle = Traits::empty();
        return hHandle;
    }
    // Closes the handle held and takes `hHandle`; false when Windows
    // refused to close.
    bool reset(Handle hHandle = Traits::empty())
    {
        const bool bClosed = !isValid() || Traits::close(m_hHandle);
        m_hHandle = hHandle;
        return bClosed;
    }
    // For a Windows call that hands a new handle back through a pointer:
    // whatever was held is closed first.
    Handle* receive()
    {
        reset();
        return &m_hHandle;
    }
    // After the call that `receive()` served: keeps what it handed back when
    // it succeeded; a failed call may leave anything in the handle, and that
    // is forgotten, never closed. Answers bSucceeded.
    bool received(bool bSucceeded)
    {
        if (!bSucceeded)
            m_hHandle = Traits::empty();
        return bSucceeded;
    }

private:
    Handle m_hHandle;
};

// Kernel objects: files, processes, tokens, mutexes. Some calls answer
// INVALID_HANDLE_VALUE on failure, others null: both are empty.
struct CQBNKernelHandleTraits {
    typedef HANDLE Handle;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool isValid(HANDLE hHandle)
    {
        return hHandle != INVALID_HANDLE_VALUE && hHandle != nullptr;
    }
    static bool close(HANDLE hHandle) { return CloseHandle(hHandle) != FALSE; }
};

struct CQBNRegKeyTraits {
    typedef HKEY Handle;
    static HKEY empty() { return nullptr; }
    static bool isValid(HKEY hKey) { return hKey != nullptr; }
    static bool close(HKEY hKey) { return RegCloseKey(hKey) == ERROR_SUCCESS; }
};

struct CQBNModuleTraits {
    typedef HMODULE Handle;
    static HMODULE empty() { return nullptr; }
    static bool isValid(HMODULE hModule) { return hModule != nullptr; }
    static bool close(HMODULE hModule) { return FreeLibrary(hModule) != FALSE; }
};

// FindFirstFileW's search handles, closed with FindClose.
struct CQBNFindTraits {
    typedef HANDLE Handle;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool isValid(HANDLE hFind) { return hFind != INVALID_HANDLE_VALUE; }
    static bool close(HANDLE hFind) { return FindClose(hFind) != FALSE; }
};

// Memory Windows hands out with LocalAlloc (security descriptors made from
// text, formatted messages), given back with LocalFree.
struct CQBNLocalMemoryTraits {
    typedef HLOCAL Handle;
    static HLOCAL empty() { return nullptr; }
    static bool isValid(HLOCAL hMemory) { return hMemory != nullptr; }
    static bool close(HLOCAL hMemory) { return LocalFree(hMemory) == nullptr; }
};

// Event sources (RegisterEventSourceW), given back with
// DeregisterEventSource.
struct CQBNEventSourceTraits {
    typedef HANDLE Handle;
    static HANDLE empty() { return nullptr; }
    static bool isValid(HANDLE hSource) { return hSource != nullptr; }
    static bool close(HANDLE hSource)
    {
        return DeregisterEventSource(hSource) != FALSE;
    }
};

typedef CQBNUniqueHandle<CQBNKernelHandleTraits> CQBNUniqueKernelHandle;
typedef CQBNUniqueHandle<CQBNRegKeyTraits> CQBNUniqueRegKey;
typedef CQBNUniqueHandle<CQBNModuleTraits> CQBNUniqueModule;
typedef CQBNUniqueHandle<CQBNFindTraits> CQBNUniqueFind;
typedef CQBNUniqueHandle<CQBNLocalMemoryTraits> CQBNUniqueLocalMemory;
typedef CQBNUniqueHandle<CQBNEventSourceTraits> CQBNUniqueEventSource;

#endif

#include "qbn_directory.h"

#include <windows.h>

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"
#include "qbn_unique_handle.h"

#define QBN_DIRECTORY_SOURCE L".\\qbn_directory.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNDirectory";

// FindFirstFileW needs a pattern that matches the directory itself or its
// contents: a drive root or a trailing backslash gets "*", a bare drive
// "\*" (its current directory's contents); anything else names the entry.
CQBNWCharString searchPatternFor(const CQBNWCharString& path)
{
    const unsigned long ulLength = path.getLength();
    if (ulLength < 2)
        throw CQBNIndexOutOfBoundsException(QBN_DIRECTORY_SOURCE, __LINE__);
    const unsigned short usLast = path[ulLength - 1];
    const unsigned short usBeforeLast = path[ulLength - 2];
    if (usBeforeLast == L':')
        return usLast == L'\\' ? path + CQBNWCharString(L"*") : path;
    if (usLast == L':')
        return path + CQBNWCharString(L"\\*");
    if (usLast == L'\\')
        return path + CQBNWCharString(L"*");
    return path;
}

bool isExistingDirectory(const CQBNWCharString& path,
                         const CQBNWCharString& pattern)
{
    WIN32_FIND_DATAW found = {};
    const CQBNUniqueFind search(FindFirstFileW(pattern.getText(), &found));
    if (!search.isValid())
        return false;
    const DWORD dwAttributes = GetFileAttributesW(path.getText());
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

CQBNDirectory::CQBNDirectory(const CQBNWCharString& path)
{
    CQBNTraceScope trace(kClassName, L"Constructor", QBN_DIRECTORY_SOURCE,
                         __LINE__);
    qbnGuard(false, esNone, QBN_DIRECTORY_SOURCE, __LINE__, [&]() {
        if (!setDirectoryName(path))
            throw CQBNDirectoryInitException(QBN_DIRECTORY_SOURCE, __LINE__);
        return true;
    });
}

CQBNDirectory::~CQBNDirectory()
{
    CQBNTraceScope trace(kClassName, L"Destructor", QBN_DIRECTORY_SOURCE,
                         __LINE__);
}

// A copy that fails leaves the name empty rather than half set.
bool CQBNDirectory::setDirectoryName(const CQBNWCharString& path)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"setDirectoryName", QBN_DIRECTORY_SOURCE),
        esNone, [&]() {
            m_szDirectoryName = path;
            if (m_szDirectoryName == path)
                return true;
            m_szDirectoryName = CQBNWCharString();
            return false;
        });
}

bool CQBNDirectory::isValidWindowsDirectory(const CQBNWCharString& path) const
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"isValidWindowsDirectory",
                        QBN_DIRECTORY_SOURCE),
        esLastError,
        [&]() { return isExistingDirectory(path, searchPatternFor(path)); });
}

bool CQBNDirectory::isValidDirectory() const
{
    CQBNTraceScope trace(kClassName, L"isValidDirectory", QBN_DIRECTORY_SOURCE,
                         __LINE__);
    return trace.finish(isValidWindowsDirectory(m_szDirectoryName));
}

// Everything called here guards itself; the guard only keeps an unexpected
// exception from leaving the library.
bool CQBNDirectory::createDirectory()
{
    return qbnGuard(false, esLastError, QBN_DIRECTORY_SOURCE, __LINE__, [&]() {
        if (isValidDirectory() || m_szDirectoryName.getLength() == 0)
            return false;
        const CQBNWCharString separator(L"\\");
        return createMissingLevels(m_szDirectoryName.endsWith(separator)
                                       ? m_szDirectoryName
                                       : m_szDirectoryName + separator);
    });
}

// Walks the prefixes up to each backslash, root first, creating each one
// that is missing; true when at least one was created and none failed.
bool CQBNDirectory::createMissingLevels(const CQBNWCharString& path) const
{
    const CQBNWCharString separator(L"\\");
    bool bCreated = false;
    CQBNWCharString prefix;
    for (unsigned long ulLevel = 1;
         path.subStringAt(prefix, separator, ulLevel, pmForward, true);
         ++ulLevel) {
        if (isValidWindowsDirectory(prefix))
            continue;
        if (!CreateDirectoryW(prefix.getText(), nullptr))
            return false;
        bCreated = true;
    }
    return bCreated;
}

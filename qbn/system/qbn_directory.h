// A directory path: whether it names an existing directory, and creating
// it together with its missing parents. The path may be absolute, relative
// or a bare drive ("C:"), with or without a trailing backslash.
#ifndef QBN_DIRECTORY_H
#define QBN_DIRECTORY_H

#include "qbn_wchar_string.h"

class CQBNDirectory {
public:
    // Never throws: a path that cannot be copied leaves the object empty.
    explicit CQBNDirectory(const CQBNWCharString& path);
    ~CQBNDirectory();

    bool setDirectoryName(const CQBNWCharString& path);
    // Whether `path` (not this object's own path) is an existing directory.
    // Paths shorter than two characters answer false.
    bool isValidWindowsDirectory(const CQBNWCharString& path) const;
    bool isValidDirectory() const;
    // Creates the path and every missing parent, from the root down. False
    // when the directory already existed, and at the first level that
    // cannot be created, whose parents created so far are kept.
    bool createDirectory();

private:
    bool createMissingLevels(const CQBNWCharString& path) const;

    CQBNWCharString m_szDirectoryName;
};

#endif

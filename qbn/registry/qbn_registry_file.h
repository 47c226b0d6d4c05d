// The library's own text form of a registry key: an initialisation file
// with one section per key and one typed line per value. Saving a key with
// format 8 and restoring with flags 0x10 go through here instead of hive
// files.
#ifndef QBN_REGISTRY_FILE_H
#define QBN_REGISTRY_FILE_H

#include <windows.h>

#include "qbn_wchar_string.h"

class CQBNRegistryFile {
public:
    // Writes the key (hRoot, path) and all its sub-keys, depth-first, to
    // the file. False when the key does not exist, or when something of a
    // type the format has lines for was not written: a value or key whose
    // name the format cannot carry (skipped and logged), a sub-key list
    // that could not be read, or a refused write. Values of the types the
    // format has no line for (REG_QWORD, REG_NONE and the like) are left
    // out without a word, and the answer stays true.
    static bool exportToTextFile(HKEY hRoot, const CQBNWCharString& path,
                                 const CQBNWCharString& szExportFileName,
                                 bool bOverwrite);
    // Creates every key the file names and writes every value back, into
    // the roots the file names. Malformed lines are skipped; values the
    // registry refuses are logged by the value classes and do not stop the
    // walk.
    static bool importFromTextFile(const CQBNWCharString& szImportFileName);
};

#endif

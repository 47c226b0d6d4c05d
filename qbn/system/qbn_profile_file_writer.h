// A new initialisation file written section by section in one pass, byte
// for byte as the private-profile functions write the same sections into a
// file that did not exist: "[section]", then each "key=value" line, every
// line ending in CR LF, the whole in the ANSI code page. Those functions
// read and rewrite the whole file for each section they write, so a file of
// many sections costs them time in the square of its size.
//
// Only texts that the file keeps as they are belong in it: nothing that
// ends a line, no character the ANSI code page lacks, no space where the
// profile functions trim one (a key's start and end, a value's start).
#ifndef QBN_PROFILE_FILE_WRITER_H
#define QBN_PROFILE_FILE_WRITER_H

#include <windows.h>

#include <vector>

#include "qbn_buffer.h"
#include "qbn_unique_handle.h"
#include "qbn_wchar_string.h"

struct CQBNProfileLine {
    CQBNWCharString key;
    CQBNWCharString value;
};

typedef std::vector<CQBNProfileLine> CQBNProfileLines;

class CQBNProfileFileWriter {
public:
    CQBNProfileFileWriter();
    ~CQBNProfileFileWriter();

    // Makes the file, which must not exist yet; false (last error set) when
    // it cannot be made. `szPath` must be a full path: the profile
    // functions look for other names in the Windows folder.
    bool create(const wchar_t* szPath);
    // Appends one section; false (last error set) when it was not written
    // whole. An empty list writes the section's name alone.
    bool writeSection(const CQBNWCharString& section,
                      const CQBNProfileLines& lines);
    // Closes the file; false when Windows reports that it could not.
    bool close();

    // Whether `szPath` names a file by its full path (a drive and a root
    // folder, or a network share) shorter than MAX_PATH: the only names
    // that the profile functions and CreateFileW take for the same file.
    static bool isFullPath(const wchar_t* szPath);
    // The bytes the file holds for these units: their ANSI code page form,
    // converted as the profile functions convert it.
    static bool toFileBytes(const wchar_t* pUnits, unsigned long ulCount,
                            CQBNBuffer<unsigned char>& bytes);

private:
    CQBNProfileFileWriter(const CQBNProfileFileWriter&) = delete;
    CQBNProfileFileWriter& operator=(const CQBNProfileFileWriter&) = delete;

    bool writeUnits(const wchar_t* pUnits, unsigned long ulCount);

    CQBNUniqueKernelHandle m_file;
};

#endif

// An initialisation file read whole, in one pass, into its sections and
// their lines, where the profile functions read the whole file again for
// every section asked for.
//
// Only a file that the profile functions read as it stands is taken: ANSI
// text without a byte-order mark, lines ending in CR LF or LF, "[name]"
// headers and "key=value" lines with no space where one would be trimmed,
// no comment, no control character but the tab, no Unicode line
// separator, no two sections whose names could be taken for one. A line then
// reads back exactly as it is written. For any other file `read` answers false,
// and the caller reads it through the profile functions, which decide the rest
// their own way.
#ifndef QBN_PROFILE_FILE_READER_H
#define QBN_PROFILE_FILE_READER_H

#include <windows.h>

#include <vector>

#include "qbn_buffer.h"

class CQBNProfileFileReader {
public:
    // A run of the file's text; it lives as long as the reader.
    struct CTextSpan {
        const wchar_t* pUnits;
        unsigned long ulLength;
    };

    struct CSection {
        CTextSpan name;
        std::vector<CTextSpan> lines; // "key=value" each
    };

    CQBNProfileFileReader();

    // Reads the file named by its full path (see CQBNProfileFileWriter).
    // False for a file that cannot be read or is not of the plain kind
    // above; the sections are then left empty.
    bool read(const wchar_t* szPath);
    // In the file's order; lines before the first header belong to none.
    const std::vector<CSection>& getSections() const { return m_sections; }

private:
    CQBNProfileFileReader(const CQBNProfileFileReader&) = delete;
    CQBNProfileFileReader& operator=(const CQBNProfileFileReader&) = delete;

    bool loadText(const wchar_t* szPath);
    bool splitLines();
    bool takeLine(const wchar_t* pLine, unsigned long ulLength);
    bool takeHeader(const wchar_t* pLine, unsigned long ulLength);
    bool namesAreDistinct() const;

    CQBNBuffer<unsigned short> m_text;
    unsigned long m_ulTextLength;
    std::vector<CSection> m_sections;
};

#endif

#include "qbn_registry_file.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <vector>

#include "qbn_catch.h"
#include "qbn_dbllist.h"
#include "qbn_directory.h"
#include "qbn_exceptions.h"
#include "qbn_ini.h"
#include "qbn_profile_file_reader.h"
#include "qbn_profile_file_writer.h"
#include "qbn_registry_binary.h"
#include "qbn_registry_dword.h"
#include "qbn_registry_expand.h"
#include "qbn_registry_key.h"
#include "qbn_registry_multi_string.h"
#include "qbn_registry_string.h"
#include "qbn_registry_valent.h"

#define QBN_REGISTRY_FILE_SOURCE L".\\qbn_registry_file.cpp"

namespace {

// ---- the format's vocabulary ----

struct CRootName {
    HKEY hRoot;
    const wchar_t* szName;
};

const CRootName kRootNames[] = {
    {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, L"HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG"},
};

// What each direction assumes for a root outside the table.
const wchar_t kUnknownRootName[] = L"HKEY_CURRENT_USER";
const HKEY kUnknownRoot = HKEY_LOCAL_MACHINE;

const wchar_t kTagDword[] = L"REG_DWORD";
const wchar_t kTagString[] = L"REG_SZ";
const wchar_t kTagExpand[] = L"REG_SZ_EXPAND";
const wchar_t kTagMulti[] = L"REG_SZ_MULTI";
const wchar_t kTagBinary[] = L"REG_BINARY";
// A string that a value line cannot hold as it is (a line break ends the
// line; a character outside the file's code page comes back as another)
// travels as a dump of its storage under a tag of its own. A reader that
// does not know these tags ignores the line: the value is missing there,
// but nothing is imported cut short or changed.
const wchar_t kTagStringHex[] = L"REG_SZ_HEX";
const wchar_t kTagExpandHex[] = L"REG_SZ_EXPAND_HEX";

const wchar_t kNameEnd = L'=';
const wchar_t kTagEnd = L':';
const wchar_t kQuote = L'"';
const wchar_t kPathSeparator = L'\\';
const wchar_t kSectionEnd = L']';
const wchar_t kStringSeparator = L',';
const wchar_t kDumpSeparator = L' ';
// Two hex digits and a separator per byte; the last byte has no separator.
const unsigned long kDumpUnitsPerByte = 3;
// The profile functions' own whitespace beside the usual: the DOS end of
// file mark is trimmed like a space.
const wchar_t kDosEndOfFile = 0x1A;

// ---- building texts ----

// A run of code units to be joined; it never owns them.
struct CTextPiece {
    const wchar_t* pUnits;
    unsigned long ulLength;
};

CTextPiece pieceOf(const CQBNWCharString& text)
{
    return CTextPiece{text.getText(), text.getLength()};
}

CTextPiece pieceOf(const wchar_t* szText)
{
    return CTextPiece{szText, static_cast<unsigned long>(std::wcslen(szText))};
}

// The pieces in one allocation, `wcSeparator` between them when it is not
// 0. Lines can be hundreds of kilobytes long, so they are not grown piece
// by piece, and a text that cannot be built throws rather than hand on a
// line cut short.
CQBNWCharString joinPieces(const std::vector<CTextPiece>& pieces,
                           wchar_t wcSeparator)
{
    unsigned long ulUnits = 1;
    for (const CTextPiece& piece : pieces)
        ulUnits += piece.ulLength + (wcSeparator != 0 ? 1 : 0);
    CQBNBuffer<unsigned short> units(ulUnits);
    wchar_t* pOut = reinterpret_cast<wchar_t*>(units.getBuffer());
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i != 0 && wcSeparator != 0)
            *pOut++ = wcSeparator;
        std::wmemcpy(pOut, pieces[i].pUnits, pieces[i].ulLength);
        pOut += pieces[i].ulLength;
    }
    return CQBNWCharString(units);
}

// The text of a run of units, up to its first 0 if it holds one; an empty
// run is the null string. Built straight into the string's storage: an
// import makes several of these for every line.
CQBNWCharString textOfRange(const wchar_t* pUnits, unsigned long ulLength)
{
    const wchar_t* pZero = std::wmemchr(pUnits, 0, ulLength);
    const unsigned long ulText =
        pZero != nullptr ? static_cast<unsigned long>(pZero - pUnits)
                         : ulLength;
    CQBNWCharString text;
    if (ulText == 0)
        return text;
    CQBNBuffer<unsigned short>& storage = text;
    if (!storage.allocate(ulText + 1))
        throw CQBNMemAllocException(L"text", QBN_REGISTRY_FILE_SOURCE,
                                    __LINE__);
    std::wmemcpy(reinterpret_cast<wchar_t*>(storage.getBuffer()), pUnits,
                 ulText);
    return text;
}

CQBNWCharString textOf(const CTextPiece& piece)
{
    return textOfRange(piece.pUnits, piece.ulLength);
}

// "TAG:" and the data after it.
CQBNWCharString taggedData(const wchar_t* szTag,
                           std::initializer_list<CTextPiece> data)
{
    std::vector<CTextPiece> pieces{pieceOf(szTag), CTextPiece{&kTagEnd, 1}};
    pieces.insert(pieces.end(), data);
    return joinPieces(pieces, 0);
}

// ---- what a line can carry ----

bool isLineBreak(wchar_t wcUnit)
{
    return wcUnit == L'\r' || wcUnit == L'\n';
}

// Whitespace the profile functions trim from the ends of names and lines.
bool isTrimmedUnit(wchar_t wcUnit)
{
    WORD wType = 0;
    return wcUnit == kDosEndOfFile ||
           (GetStringTypeW(CT_CTYPE1, &wcUnit, 1, &wType) &&
            (wType & C1_SPACE) != 0);
}

bool isAscii(const wchar_t* pUnits, unsigned long ulLength)
{
    for (unsigned long ul = 0; ul < ulLength; ++ul)
        if (pUnits[ul] >= 0x80)
            return false;
    return true;
}

// The profile functions keep a new file in the ANSI code page, so a text
// survives the file only if it converts there and back unchanged: other
// characters come back as '?' or as a look-alike.
bool survivesCodePage(const CQBNWCharString& text)
{
    const wchar_t* pText = text.getText();
    const int iUnits = static_cast<int>(text.getLength());
    if (isAscii(pText, text.getLength()))
        return true;
    CQBNBuffer<unsigned char> bytes;
    if (!CQBNProfileFileWriter::toFileBytes(pText, text.getLength(), bytes))
        return false;
    const char* pBytes = reinterpret_cast<const char*>(bytes.getBuffer());
    const int iBytes = static_cast<int>(bytes.getNumElems());
    if (MultiByteToWideChar(CP_ACP, 0, pBytes, iBytes, nullptr, 0) != iUnits)
        return false;
    CQBNBuffer<unsigned short> back(static_cast<unsigned long>(iUnits));
    wchar_t* pBack = reinterpret_cast<wchar_t*>(back.getBuffer());
    return MultiByteToWideChar(CP_ACP, 0, pBytes, iBytes, pBack, iUnits) ==
               iUnits &&
           std::wmemcmp(pBack, pText, static_cast<size_t>(iUnits)) == 0;
}

// The length is taken once: it is counted afresh on every call, and a
// 64 KiB string checked unit by unit would be counted 32,768 times over.
bool survivesValueLine(const CQBNWCharString& text)
{
    const wchar_t* pText = text.getText();
    const unsigned long ulLength = text.getLength();
    for (unsigned long ul = 0; ul < ulLength; ++ul)
        if (isLineBreak(pText[ul]))
            return false;
    return survivesCodePage(text);
}

bool contains(const CQBNWCharString& text, wchar_t wcUnit)
{
    return std::wmemchr(text.getText(), wcUnit, text.getLength()) != nullptr;
}

// A name is read back as the text before the first "=", trimmed; a line
// that starts with "[" is a section and one that starts with ";" a comment.
// A name the format cannot carry would come back as another value or not
// at all.
bool isWritableValueName(const CQBNWCharString& name)
{
    const unsigned long ulLength = name.getLength();
    if (ulLength == 0)
        return false;
    const wchar_t* pName = name.getText();
    return !contains(name, kNameEnd) && pName[0] != L'[' && pName[0] != L';' &&
           !isTrimmedUnit(pName[0]) && !isTrimmedUnit(pName[ulLength - 1]) &&
           survivesValueLine(name);
}

// A section name ends at "]" and is trimmed; it always starts with its
// root's name, so only its end can lose whitespace.
bool isWritableSectionName(const CQBNWCharString& section)
{
    const unsigned long ulLength = section.getLength();
    return ulLength != 0 && !contains(section, kSectionEnd) &&
           !isTrimmedUnit(section.getText()[ulLength - 1]) &&
           survivesValueLine(section);
}

// Recorded (written to the log when it is built), not thrown: the export
// goes on with everything else and reports itself incomplete.
void recordSkipped(const CQBNWCharString& name, const wchar_t* szReason)
{
    const CQBNBadArgException skipped(
        name.getLength() != 0 ? name.getText() : nullptr, szReason,
        QBN_REGISTRY_FILE_SOURCE, __LINE__);
}

// ---- dumps ----

// getAsciiCodeString of `units`, which hold ulBytes bytes, with a failure
// thrown: an empty dump would import as an empty value.
CQBNWCharString checkedDump(const CQBNWCharString& units, unsigned long ulBytes)
{
    CQBNWCharString dump = units.getAsciiCodeString();
    const unsigned long ulExpected =
        ulBytes == 0 ? 0 : ulBytes * kDumpUnitsPerByte - 1;
    if (dump.getLength() != ulExpected)
        throw CQBNMemAllocException(L"dump", QBN_REGISTRY_FILE_SOURCE,
                                    __LINE__);
    return dump;
}

// A string without storage is the empty text and is dumped as its
// terminator: a multi-string of one empty string must not be written like
// one of no strings at all.
CQBNWCharString storageDump(const CQBNWCharString& text)
{
    if (!text.isValid())
        return CQBNWCharString(L"00 00");
    return checkedDump(text, text.getNumElems() * sizeof(wchar_t));
}

// The bytes are dumped through a wide view of them, which pads an odd count
// with one 0 byte. That byte's pair is cut off again: with it, a 3-byte
// value would come back as 4 bytes.
CQBNWCharString binaryDump(const CQBNBuffer<unsigned char>& bytes)
{
    const unsigned long ulBytes = bytes.getNumElems();
    if (ulBytes == 0)
        return CQBNWCharString();
    // Assigned as a buffer, not as text, so that the view keeps every unit
    // and does not stop at the first 0.
    CQBNWCharString view;
    static_cast<CQBNBuffer<unsigned short>&>(view) = bytes.toWideBuffer();
    CQBNWCharString dump =
        checkedDump(view, view.getNumElems() * sizeof(wchar_t));
    if (ulBytes % 2 != 0)
        dump.dropLast(kDumpUnitsPerByte);
    if (dump.getLength() != ulBytes * kDumpUnitsPerByte - 1)
        throw CQBNMemAllocException(L"dump", QBN_REGISTRY_FILE_SOURCE,
                                    __LINE__);
    return dump;
}

bool isHexDigit(wchar_t wcUnit)
{
    return (wcUnit >= L'0' && wcUnit <= L'9') ||
           (wcUnit >= L'A' && wcUnit <= L'F') ||
           (wcUnit >= L'a' && wcUnit <= L'f');
}

// Of a unit that isHexDigit took.
unsigned char hexDigitValue(wchar_t wcUnit)
{
    if (wcUnit <= L'9')
        return static_cast<unsigned char>(wcUnit - L'0');
    if (wcUnit <= L'F')
        return static_cast<unsigned char>(wcUnit - L'A' + 10);
    return static_cast<unsigned char>(wcUnit - L'a' + 10);
}

// Pairs of hex digits with one space between pairs, as the writer makes
// them, checked and converted in one pass; each pair is the byte that
// getBufferFromAsciiCodeString makes of it. Anything else is refused whole:
// converting the pairs that happen to convert would import shifted or
// shortened data.
bool bytesFromDump(const CTextPiece& dump, CQBNBuffer<unsigned char>& bytes)
{
    if (dump.ulLength == 0)
        return bytes.release();
    if (dump.ulLength % kDumpUnitsPerByte != kDumpUnitsPerByte - 1)
        return false;
    const unsigned long ulBytes = (dump.ulLength + 1) / kDumpUnitsPerByte;
    if (!bytes.allocate(ulBytes))
        throw CQBNMemAllocException(L"bytes", QBN_REGISTRY_FILE_SOURCE,
                                    __LINE__);
    for (unsigned long ul = 0; ul < ulBytes; ++ul) {
        const wchar_t* pPair = dump.pUnits + ul * kDumpUnitsPerByte;
        const bool bSeparated =
            ul + 1 == ulBytes || pPair[kDumpUnitsPerByte - 1] == kDumpSeparator;
        if (!isHexDigit(pPair[0]) || !isHexDigit(pPair[1]) || !bSeparated) {
            bytes.release();
            return false;
        }
        bytes[ul] = static_cast<unsigned char>(hexDigitValue(pPair[0]) << 4 |
                                               hexDigitValue(pPair[1]));
    }
    return true;
}

bool textFromDump(const CTextPiece& dump, CQBNWCharString& text)
{
    CQBNBuffer<unsigned char> bytes;
    return bytesFromDump(dump, bytes) &&
           CQBNRegistryString::textFromBytes(bytes, text);
}

// ---- lists ----

template <class T, class Visit>
bool visitList(CQBNDblList<CQBNObjNode<T>>& list, Visit visit)
{
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        T item;
        if (!list.getCurrent(item))
            return false;
        visit(item);
    }
    return true;
}

// ---- value data as the writer puts it ----

CQBNWCharString dwordData(unsigned long ulValue)
{
    const CQBNWCharString number(ulValue, nsHex, 8, true);
    return taggedData(kTagDword, {pieceOf(number)});
}

// Ordinary strings keep their quoted form exactly, quotes, backslashes and
// spaces inside it included; only those a line cannot hold become dumps.
CQBNWCharString textData(const CQBNWCharString& text, const wchar_t* szTag,
                         const wchar_t* szHexTag)
{
    if (survivesValueLine(text))
        return taggedData(szTag, {CTextPiece{&kQuote, 1}, pieceOf(text),
                                  CTextPiece{&kQuote, 1}});
    const CQBNWCharString dump = storageDump(text);
    return taggedData(szHexTag, {pieceOf(dump)});
}

CQBNWCharString multiStringData(CQBNWCharStringList& strings)
{
    std::vector<CQBNWCharString> dumps;
    if (!visitList(strings, [&](const CQBNWCharString& text) {
            dumps.push_back(storageDump(text));
        }))
        throw CQBNMemAllocException(L"strings", QBN_REGISTRY_FILE_SOURCE,
                                    __LINE__);
    std::vector<CTextPiece> pieces;
    for (const CQBNWCharString& dump : dumps)
        pieces.push_back(pieceOf(dump));
    const CQBNWCharString joined = joinPieces(pieces, kStringSeparator);
    return taggedData(kTagMulti, {pieceOf(joined)});
}

CQBNWCharString binaryData(const CQBNBuffer<unsigned char>& bytes)
{
    const CQBNWCharString dump = binaryDump(bytes);
    return taggedData(kTagBinary, {pieceOf(dump)});
}

// ---- value data from the registry's bytes ----

// The bytes go through the value classes' own converters, as in the key's
// list readers. Only memory makes a converter fail, and a value must not
// drop out of the export unnoticed.
void requireConverted(bool bConverted)
{
    if (!bConverted)
        throw CQBNMemAllocException(L"data", QBN_REGISTRY_FILE_SOURCE,
                                    __LINE__);
}

CQBNWCharString textOfBytes(const CQBNBuffer<unsigned char>& bytes)
{
    CQBNWCharString text;
    requireConverted(CQBNRegistryString::textFromBytes(bytes, text));
    return text;
}

CQBNWCharString dwordLineData(const CQBNBuffer<unsigned char>& bytes)
{
    return dwordData(CQBNRegistryDword::numberFromBytes(bytes.getBuffer(),
                                                        bytes.getNumElems()));
}

CQBNWCharString stringLineData(const CQBNBuffer<unsigned char>& bytes)
{
    return textData(textOfBytes(bytes), kTagString, kTagStringHex);
}

// Written unexpanded: the references are resolved where the file is read.
CQBNWCharString expandLineData(const CQBNBuffer<unsigned char>& bytes)
{
    return textData(textOfBytes(bytes), kTagExpand, kTagExpandHex);
}

CQBNWCharString multiStringLineData(const CQBNBuffer<unsigned char>& bytes)
{
    CQBNWCharStringList strings;
    requireConverted(CQBNRegistryMultiString::decode(bytes, strings));
    return multiStringData(strings);
}

// The registry types the format carries, in the order of its groups.
struct CValueGroup {
    DWORD dwType;
    CQBNWCharString (*lineData)(const CQBNBuffer<unsigned char>& bytes);
};

const CValueGroup kValueGroups[] = {
    {REG_DWORD, dwordLineData},      {REG_SZ, stringLineData},
    {REG_EXPAND_SZ, expandLineData}, {REG_MULTI_SZ, multiStringLineData},
    {REG_BINARY, binaryData},
};

// ---- roots and paths ----

const wchar_t* rootNameOf(HKEY hRoot)
{
    for (const CRootName& root : kRootNames)
        if (root.hRoot == hRoot)
            return root.szName;
    return kUnknownRootName;
}

HKEY rootNamed(const CQBNWCharString& name)
{
    for (const CRootName& root : kRootNames)
        if (std::wcscmp(root.szName, name.getText()) == 0)
            return root.hRoot;
    return kUnknownRoot;
}

// A key directly below its root has no path to put a separator after.
CQBNWCharString childPath(const CQBNWCharString& path,
                          const CQBNWCharString& name)
{
    if (path.getLength() == 0)
        return name;
    return joinPieces(
        {pieceOf(path), CTextPiece{&kPathSeparator, 1}, pieceOf(name)}, 0);
}

// The root's name, then the path; a path that already starts with a
// backslash does not get a second one.
CQBNWCharString sectionNameOf(HKEY hRoot, const CQBNWCharString& path)
{
    CTextPiece pathPiece = pieceOf(path);
    if (pathPiece.ulLength != 0 && pathPiece.pUnits[0] == kPathSeparator) {
        ++pathPiece.pUnits;
        --pathPiece.ulLength;
    }
    return joinPieces(
        {pieceOf(rootNameOf(hRoot)), CTextPiece{&kPathSeparator, 1}, pathPiece},
        0);
}

// The root is named by the text before the first backslash and the key by
// the text after it. A section without a backslash is all root name, and
// its key path is the whole name as well.
void splitSectionName(const CQBNWCharString& section, HKEY& hRoot,
                      CQBNWCharString& path)
{
    const wchar_t* pSection = section.getText();
    const unsigned long ulLength = section.getLength();
    const wchar_t* pSeparator =
        std::wmemchr(pSection, kPathSeparator, ulLength);
    if (pSeparator == nullptr) {
        hRoot = rootNamed(section);
        path = section;
        return;
    }
    const unsigned long ulRootLength =
        static_cast<unsigned long>(pSeparator - pSection);
    hRoot = rootNamed(textOfRange(pSection, ulRootLength));
    path = textOfRange(pSeparator + 1, ulLength - ulRootLength - 1);
}

void requireFileName(const CQBNWCharString& fileName, const wchar_t* szArgName)
{
    // An empty name would send the profile functions to a file of
    // Windows' own choosing.
    if (fileName.getLength() == 0)
        throw CQBNBadArgException(szArgName, L"filename must be non-null",
                                  QBN_REGISTRY_FILE_SOURCE, __LINE__);
}

// ---- the writer ----

// How the sections reach the file.
enum CSectionOutput {
    // Not decided until the first section: a tree without values leaves
    // no file behind.
    soUndecided,
    // Written by this export alone, in one pass.
    soDirect,
    // Through the profile functions, which keep what an earlier file holds
    // and report the failures of a file that cannot be made.
    soProfileFunctions
};

class CRegistryTextWriter {
public:
    CRegistryTextWriter(HKEY hRoot, const CQBNWCharString& fileName)
        : m_root(hRoot), m_fileName(fileName), m_ini(fileName),
          m_output(soProfileFunctions), m_bFileHadContent(false),
          m_bComplete(true)
    {
    }

    bool exportTree(const CQBNWCharString& path, bool bOverwrite);

private:
    void prepareFile(bool bOverwrite);
    void exportKey(const CQBNWCharString& path);
    void collectLines(CQBNRegistryKey& key, CQBNProfileLines& lines);
    void collectGroup(const CQBNRegistryValues& values,
                      const CValueGroup& group, CQBNProfileLines& lines);
    void writeSection(const CQBNWCharString& section,
                      const CQBNProfileLines& lines);
    bool writeSectionDirectly(const CQBNWCharString& section,
                              const CQBNProfileLines& lines);
    void writeSectionWithProfileFunctions(const CQBNWCharString& section,
                                          const CQBNProfileLines& lines);
    void writeValueByValue(const CQBNWCharString& section,
                           const CQBNProfileLines& lines);
    void exportSubKeys(CQBNRegistryKey& key, const CQBNWCharString& path);

    HKEY m_root;
    CQBNWCharString m_fileName;
    CQBNIni m_ini;
    CQBNProfileFileWriter m_file;
    CSectionOutput m_output;
    // Whether the file existed when the export began, so that a section of
    // this export may already be there.
    bool m_bFileHadContent;
    bool m_bComplete;
};

// A key that is not there has nothing to export, and an earlier export in
// the file is not deleted for it.
bool CRegistryTextWriter::exportTree(const CQBNWCharString& path,
                                     bool bOverwrite)
{
    CQBNRegistryKey top(m_root, path, kQbnKeyRead, false, 0);
    if (!top.exists())
        return false;
    prepareFile(bOverwrite);
    exportKey(path);
    if (!m_file.close())
        m_bComplete = false;
    return m_bComplete;
}

void CRegistryTextWriter::prepareFile(bool bOverwrite)
{
    if (bOverwrite)
        DeleteFileW(m_fileName.getText());
    m_bFileHadContent =
        GetFileAttributesW(m_fileName.getText()) != INVALID_FILE_ATTRIBUTES;
    m_output = m_bFileHadContent ? soProfileFunctions : soUndecided;
    const wchar_t* pName = m_fileName.getText();
    const wchar_t* pLastSeparator = std::wcsrchr(pName, kPathSeparator);
    if (pLastSeparator == nullptr || pLastSeparator == pName)
        return;
    CQBNDirectory folder(
        textOfRange(pName, static_cast<unsigned long>(pLastSeparator - pName)));
    if (!folder.isValidDirectory())
        folder.createDirectory();
}

void CRegistryTextWriter::exportKey(const CQBNWCharString& path)
{
    CQBNRegistryKey key(m_root, path, kQbnKeyRead, false, 0);
    CQBNProfileLines lines;
    collectLines(key, lines);
    if (!lines.empty()) {
        const CQBNWCharString section = sectionNameOf(m_root, path);
        if (isWritableSectionName(section)) {
            writeSection(section, lines);
        } else {
            recordSkipped(path, L"key path can't be a registry text file "
                                L"section - its values are not exported");
            m_bComplete = false;
        }
    }
    exportSubKeys(key, path);
}

// The key's values are read once and sorted into the groups here. Each
// list reader would serve its own type from the same reading, but would
// build a list of its own to be walked once more; the key is asked only
// once, so it is not watched. A key without values answers none and has
// nothing to export.
void CRegistryTextWriter::collectLines(CQBNRegistryKey& key,
                                       CQBNProfileLines& lines)
{
    const bool bWatch = false;
    const CQBNRegistryValues* pValues = key.readAllValues(bWatch);
    if (pValues == nullptr)
        return;
    for (const CValueGroup& group : kValueGroups)
        collectGroup(*pValues, group, lines);
}

// Within a group, values keep the order in which the registry reported
// them.
void CRegistryTextWriter::collectGroup(const CQBNRegistryValues& values,
                                       const CValueGroup& group,
                                       CQBNProfileLines& lines)
{
    for (const CQBNRegistryValent& value : values) {
        if (value.type != group.dwType)
            continue;
        if (!isWritableValueName(value.name)) {
            recordSkipped(value.name,
                          L"value name can't be written to a registry text "
                          L"file - value not exported");
            m_bComplete = false;
            continue;
        }
        lines.push_back(
            CQBNProfileLine{value.name, group.lineData(value.data)});
    }
}

// A file that this export makes is written section after section in one
// pass. WritePrivateProfileSectionW would read and rewrite the whole file
// for every key, which made the export of a tree of 100,000 values take
// minutes (bench_registry_file); the bytes are the same either way.
void CRegistryTextWriter::writeSection(const CQBNWCharString& section,
                                       const CQBNProfileLines& lines)
{
    if (m_output == soUndecided)
        m_output =
            m_file.create(m_fileName.getText()) ? soDirect : soProfileFunctions;
    if (m_output == soDirect) {
        if (!writeSectionDirectly(section, lines))
            m_bComplete = false;
        return;
    }
    writeSectionWithProfileFunctions(section, lines);
}

// Reported as the profile functions' own refusal would be.
bool CRegistryTextWriter::writeSectionDirectly(const CQBNWCharString& section,
                                               const CQBNProfileLines& lines)
{
    if (m_file.writeSection(section, lines))
        return true;
    const CQBNWritePrivateProfileSectionException failed(
        section.getText(), GetLastError(), QBN_REGISTRY_FILE_SOURCE, __LINE__);
    return false;
}

// One WritePrivateProfileSectionW per key, not one WritePrivateProfileString
// per value: Wine rewrites the whole file on every write, so value by value
// costs values times file size. A section that is already in the file (an
// export into an existing file without overwrite) is still written value
// by value, so that its other lines are kept exactly as value-by-value
// writing keeps them.
void CRegistryTextWriter::writeSectionWithProfileFunctions(
    const CQBNWCharString& section, const CQBNProfileLines& lines)
{
    if (m_bFileHadContent && m_ini.hasSection(section)) {
        writeValueByValue(section, lines);
        return;
    }
    CQBNWCharStringList block;
    long lKey = 0;
    for (const CQBNProfileLine& line : lines) {
        const CQBNWCharString text = joinPieces(
            {pieceOf(line.key), CTextPiece{&kNameEnd, 1}, pieceOf(line.value)},
            0);
        if (!block.add(text, lKey++))
            throw CQBNMemAllocException(L"block", QBN_REGISTRY_FILE_SOURCE,
                                        __LINE__);
    }
    if (!m_ini.setProfileSection(section, block))
        m_bComplete = false;
}

void CRegistryTextWriter::writeValueByValue(const CQBNWCharString& section,
                                            const CQBNProfileLines& lines)
{
    for (const CQBNProfileLine& line : lines)
        if (!m_ini.setProfileString(section, line.key, line.value))
            m_bComplete = false;
}

void CRegistryTextWriter::exportSubKeys(CQBNRegistryKey& key,
                                        const CQBNWCharString& path)
{
    CQBNWCharStringList names;
    if (!key.enumSubKeyNames(names)) {
        m_bComplete = false;
        return;
    }
    if (!visitList(names, [&](const CQBNWCharString& name) {
            exportKey(childPath(path, name));
        }))
        m_bComplete = false;
}

// ---- the reader ----

// Where one line's value goes: the section's key, held open while its
// lines are imported when it could be opened.
struct CValueTarget {
    HKEY hRoot;
    CQBNWCharString path;
    CQBNWCharString name;
    HKEY hOpenKey;
};

// A refusal is logged by the value class and does not stop the walk. The
// value is written through the section's open key: opening and closing
// the same key again for every value made up most of an import's time.
template <class Value, class Data>
void writeValue(const CValueTarget& target, const Data& data)
{
    Value value(target.hRoot, target.path, target.name, kQbnKeyReadWrite, true,
                0);
    if (target.hOpenKey == nullptr) {
        value.setValue(data, false);
        return;
    }
    if (value.setValue(data, true))
        value.writeThrough(target.hOpenKey);
}

// The quotes go, whatever the first and last characters are; data too
// short to have both is no string and the line is skipped.
bool quotedText(const CTextPiece& data, CQBNWCharString& text)
{
    if (data.ulLength < 2)
        return false;
    text = textOfRange(data.pUnits + 1, data.ulLength - 2);
    return true;
}

// An empty list is written as no dumps at all and comes back empty rather
// than as one empty string.
bool stringsFromDumps(const CTextPiece& data, CQBNWCharStringList& strings)
{
    strings.clear();
    const wchar_t* pPart = data.pUnits;
    const wchar_t* pEnd = pPart + data.ulLength;
    if (pPart == pEnd)
        return true;
    for (long lKey = 0;; ++lKey) {
        const wchar_t* pPartEnd = std::wmemchr(
            pPart, kStringSeparator, static_cast<size_t>(pEnd - pPart));
        if (pPartEnd == nullptr)
            pPartEnd = pEnd;
        CQBNWCharString text;
        const CTextPiece part = {pPart,
                                 static_cast<unsigned long>(pPartEnd - pPart)};
        if (!textFromDump(part, text) || !strings.add(text, lKey))
            return false;
        if (pPartEnd == pEnd)
            return true;
        pPart = pPartEnd + 1;
    }
}

void importDword(const CValueTarget& target, const CTextPiece& data)
{
    unsigned long ulValue = 0;
    if (textOf(data).toNumber(ulValue, nsHex))
        writeValue<CQBNRegistryDword>(target, ulValue);
}

template <class Value>
void importQuotedText(const CValueTarget& target, const CTextPiece& data)
{
    CQBNWCharString text;
    if (quotedText(data, text))
        writeValue<Value>(target, text);
}

template <class Value>
void importDumpedText(const CValueTarget& target, const CTextPiece& data)
{
    CQBNWCharString text;
    if (textFromDump(data, text))
        writeValue<Value>(target, text);
}

void importMultiString(const CValueTarget& target, const CTextPiece& data)
{
    CQBNWCharStringList strings;
    if (stringsFromDumps(data, strings))
        writeValue<CQBNRegistryMultiString>(target, strings);
}

void importBinary(const CValueTarget& target, const CTextPiece& data)
{
    CQBNBuffer<unsigned char> bytes;
    if (bytesFromDump(data, bytes))
        writeValue<CQBNRegistryBinary>(target, bytes);
}

typedef void (*CImportValue)(const CValueTarget&, const CTextPiece&);

struct CTagImporter {
    const wchar_t* szTag;
    CImportValue import;
};

// Tags are compared whole and exactly; a line with any other tag is
// ignored.
const CTagImporter kTagImporters[] = {
    {kTagDword, importDword},
    {kTagString, importQuotedText<CQBNRegistryString>},
    {kTagBinary, importBinary},
    {kTagMulti, importMultiString},
    {kTagExpand, importQuotedText<CQBNRegistryStringExpand>},
    {kTagStringHex, importDumpedText<CQBNRegistryString>},
    {kTagExpandHex, importDumpedText<CQBNRegistryStringExpand>},
};

// name=TAG:data. The tag ends at the first ":" after the "=", not at the
// first of the line: value names may hold colons (paths often do), and
// such a value must not be lost on import.
bool splitLine(const wchar_t* pLine, unsigned long ulLength,
               CQBNWCharString& name, CTextPiece& tag, CTextPiece& data)
{
    const wchar_t* pEnd = pLine + ulLength;
    const wchar_t* pNameEnd =
        std::wmemchr(pLine, kNameEnd, static_cast<size_t>(pEnd - pLine));
    if (pNameEnd == nullptr)
        return false;
    const wchar_t* pTag = pNameEnd + 1;
    const wchar_t* pTagEnd =
        std::wmemchr(pTag, kTagEnd, static_cast<size_t>(pEnd - pTag));
    if (pTagEnd == nullptr)
        return false;
    name = textOfRange(pLine, static_cast<unsigned long>(pNameEnd - pLine));
    tag = CTextPiece{pTag, static_cast<unsigned long>(pTagEnd - pTag)};
    data =
        CTextPiece{pTagEnd + 1, static_cast<unsigned long>(pEnd - pTagEnd - 1)};
    return true;
}

// Tags are compared whole and exactly. A line holds no 0, whichever way it
// was read.
bool isTag(const CTextPiece& tag, const wchar_t* szTag)
{
    return tag.ulLength == std::wcslen(szTag) &&
           std::wmemcmp(tag.pUnits, szTag, tag.ulLength) == 0;
}

class CRegistryTextReader {
public:
    explicit CRegistryTextReader(const CQBNWCharString& fileName)
        : m_fileName(fileName), m_ini(fileName)
    {
    }

    bool importAll();

private:
    void importReadFile(const CQBNProfileFileReader& file);
    void importWithProfileFunctions();
    template <class VisitLines>
    void importSection(const CQBNWCharString& section, VisitLines visitLines);
    static void importLine(CValueTarget& target, const wchar_t* pLine,
                           unsigned long ulLength);

    CQBNWCharString m_fileName;
    CQBNIni m_ini;
};

// The file is read whole in one pass when it is of the plain kind that the
// writer makes; the profile functions would read it all again for every
// section. Any other file is read through them, as it always was.
bool CRegistryTextReader::importAll()
{
    CQBNProfileFileReader file;
    if (file.read(m_fileName.getText()))
        importReadFile(file);
    else
        importWithProfileFunctions();
    return true;
}

void CRegistryTextReader::importReadFile(const CQBNProfileFileReader& file)
{
    typedef CQBNProfileFileReader::CTextSpan CTextSpan;
    for (const CQBNProfileFileReader::CSection& section : file.getSections())
        importSection(textOfRange(section.name.pUnits, section.name.ulLength),
                      [&](CValueTarget& target) {
                          for (const CTextSpan& line : section.lines)
                              importLine(target, line.pUnits, line.ulLength);
                      });
}

// A missing or unreadable file, or one without sections, is an empty walk.
void CRegistryTextReader::importWithProfileFunctions()
{
    CQBNWCharStringList sections;
    if (!m_ini.getWholeProfileSectionNames(sections))
        return;
    visitList(sections, [&](const CQBNWCharString& section) {
        importSection(section, [&](CValueTarget& target) {
            CQBNWCharStringList lines;
            if (!m_ini.getWholeProfileSection(section, lines))
                return;
            visitList(lines, [&](const CQBNWCharString& line) {
                importLine(target, line.getText(), line.getLength());
            });
        });
    });
}

// The key is created even when none of its lines can be imported, and it
// stays open while its values are written.
template <class VisitLines>
void CRegistryTextReader::importSection(const CQBNWCharString& section,
                                        VisitLines visitLines)
{
    CValueTarget target;
    splitSectionName(section, target.hRoot, target.path);
    CQBNRegistryKey key(target.hRoot, target.path, kQbnKeyReadWrite, true, 0);
    key.open();
    target.hOpenKey = key.isOpen() ? key.getHandle() : nullptr;
    visitLines(target);
}

void CRegistryTextReader::importLine(CValueTarget& target, const wchar_t* pLine,
                                     unsigned long ulLength)
{
    CTextPiece tag = {};
    CTextPiece data = {};
    if (!splitLine(pLine, ulLength, target.name, tag, data))
        return;
    for (const CTagImporter& importer : kTagImporters) {
        if (isTag(tag, importer.szTag)) {
            importer.import(target, data);
            return;
        }
    }
}

} // namespace

bool CQBNRegistryFile::exportToTextFile(HKEY hRoot, const CQBNWCharString& path,
                                        const CQBNWCharString& szExportFileName,
                                        bool bOverwrite)
{
    return qbnGuard(false, esLastError, QBN_REGISTRY_FILE_SOURCE, __LINE__,
                    [&]() {
                        requireFileName(szExportFileName, L"szExportFileName");
                        CRegistryTextWriter writer(hRoot, szExportFileName);
                        return writer.exportTree(path, bOverwrite);
                    });
}

bool CQBNRegistryFile::importFromTextFile(
    const CQBNWCharString& szImportFileName)
{
    return qbnGuard(false, esLastError, QBN_REGISTRY_FILE_SOURCE, __LINE__,
                    [&]() {
                        requireFileName(szImportFileName, L"szImportFileName");
                        CRegistryTextReader reader(szImportFileName);
                        return reader.importAll();
                    });
}

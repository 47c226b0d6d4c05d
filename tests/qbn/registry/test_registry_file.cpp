// The registry text file against Wine's real registry and files: every value
// type saved and restored byte for byte, the exact lines of the format, what
// the format cannot carry, and hand-written files with malformed lines.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qbn_registry_file.h"
#include "qbn_registry_key.h"
#include "support/pe_file.h"
#include "support/scratch_folder.h"
#include "support/scratch_key.h"

namespace {

using qbntest::hasValue;
using qbntest::keyExists;
using qbntest::makeKey;

typedef std::pair<DWORD, std::string> RawValue; // type, bytes
typedef std::map<std::wstring, RawValue> RawValues;
typedef std::map<std::wstring, RawValues> RawTree; // relative path -> values

// Text as registry data: the code units, then the terminator (or the units
// as given for a multi-string, whose 0s are written by the caller).
std::string bytesOf(const std::wstring& text, bool bTerminate = true)
{
    std::string bytes(reinterpret_cast<const char*>(text.c_str()),
                      text.size() * sizeof(wchar_t));
    if (bTerminate)
        bytes.append(sizeof(wchar_t), '\0');
    return bytes;
}

std::string dwordBytes(DWORD dwValue)
{
    return std::string(reinterpret_cast<const char*>(&dwValue), 4);
}

// The key's values in the registry's own order.
std::vector<std::pair<std::wstring, RawValue>> valuesOf(HKEY hKey)
{
    std::vector<std::pair<std::wstring, RawValue>> values;
    wchar_t szName[16384];
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwLength = 16384;
        DWORD dwType = 0;
        DWORD dwSize = 0;
        if (RegEnumValueW(hKey, dwIndex, szName, &dwLength, nullptr, &dwType,
                          nullptr, &dwSize) != ERROR_SUCCESS)
            break;
        std::string bytes(dwSize, '\0');
        dwLength = 16384;
        RegEnumValueW(hKey, dwIndex, szName, &dwLength, nullptr, &dwType,
                      dwSize ? reinterpret_cast<BYTE*>(&bytes[0]) : nullptr,
                      &dwSize);
        values.emplace_back(szName, RawValue(dwType, bytes));
    }
    return values;
}

void snapshotInto(HKEY hKey, const std::wstring& relative, RawTree& tree)
{
    const auto values = valuesOf(hKey);
    tree[relative].insert(values.begin(), values.end());
    wchar_t szName[256];
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwLength = 256;
        if (RegEnumKeyExW(hKey, dwIndex, szName, &dwLength, nullptr, nullptr,
                          nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CQBNUniqueRegKey child;
        if (RegOpenKeyExW(hKey, szName, 0, KEY_READ, child.receive()) ==
            ERROR_SUCCESS)
            snapshotInto(child.get(), relative + L"\\" + szName, tree);
    }
}

// Every key below `path`, with every value's type and bytes.
RawTree snapshot(HKEY hRoot, const std::wstring& path)
{
    RawTree tree;
    CQBNUniqueRegKey key;
    if (RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ, key.receive()) ==
        ERROR_SUCCESS)
        snapshotInto(key.get(), L"", tree);
    return tree;
}

// ---- the file as text ----

// The profile functions write a new file in the ANSI code page; the lines
// come back without their line ends and without blank lines.
std::vector<std::wstring> fileLines(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    const std::string bytes = qbntest::readFileBytes(path);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                                    static_cast<int>(bytes.size()), &text[0],
                                    static_cast<int>(text.size())));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool hasLine(const std::vector<std::wstring>& lines, const std::wstring& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A hand-written file, in ASCII.
void writeIni(const std::wstring& path, const std::wstring& text)
{
    ASSERT_TRUE(
        qbn_test::writeFile(path, std::string(text.begin(), text.end())));
}

std::string allBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    return bytes;
}

class RegistryFileTest : public ::testing::Test {
protected:
    RegistryFileTest()
        : m_path(m_key.path()), m_file(m_folder.pathOf(L"export.ini"))
    {
    }
    // What restoring a file with sections for other roots put there.
    void TearDown() override
    {
        qbntest::removeScratchTree(HKEY_USERS, L".DEFAULT\\" + m_path);
        qbntest::removeScratchTree(HKEY_LOCAL_MACHINE, m_path);
    }

    std::wstring pathOf(const std::wstring& relative) const
    {
        return relative.empty() ? m_path : m_path + L"\\" + relative;
    }
    void put(const std::wstring& relative, const std::wstring& name,
             DWORD dwType, const std::string& bytes)
    {
        qbntest::putBytes(HKEY_CURRENT_USER, pathOf(relative), name, dwType,
                          bytes);
    }
    bool save(const std::wstring& file, bool bOverwrite = true)
    {
        CQBNRegistryKey key(HKEY_CURRENT_USER, m_path.c_str(), kQbnKeyRead,
                            false, 0);
        return key.save(file.c_str(), kQbnSaveAsTextFile, bOverwrite);
    }
    bool restore(const std::wstring& file)
    {
        CQBNRegistryKey key(HKEY_CURRENT_USER, m_path.c_str(), kQbnKeyRead,
                            false, 0);
        return key.restore(file.c_str(), kQbnRestoreFromTextFile);
    }
    // Saves, deletes the scratch key, restores, and answers what came back.
    RawTree roundTrip()
    {
        EXPECT_TRUE(save(m_file));
        m_key.remove();
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, m_path));
        EXPECT_TRUE(restore(m_file));
        return snapshot(HKEY_CURRENT_USER, m_path);
    }
    std::wstring section(const std::wstring& relative = L"") const
    {
        return L"[HKEY_CURRENT_USER\\" + pathOf(relative) + L"]";
    }

    qbn_test::ScratchFolder m_folder;
    qbntest::ScratchKey m_key;
    const std::wstring m_path;
    std::wstring m_file;
};

// ---- round trips ----

TEST_F(RegistryFileTest, EveryValueTypeComesBackWithItsTypeAndBytes)
{
    put(L"", L"dword", REG_DWORD, dwordBytes(0xDEADBEEF));
    put(L"", L"zero", REG_DWORD, dwordBytes(0));
    put(L"", L"plain", REG_SZ, bytesOf(L"abc"));
    put(L"", L"empty", REG_SZ, bytesOf(L""));
    put(L"", L"quotes", REG_SZ, bytesOf(L"  \"quoted\" C:\\dir\\x=1;y:2 \"  "));
    put(L"", L"long", REG_SZ, bytesOf(std::wstring(5000, L'x')));
    put(L"", L"lines", REG_SZ, bytesOf(L"first\r\nsecond\nthird\r"));
    put(L"", L"outside code page", REG_SZ, bytesOf(L"\x4E2D\x6587 text"));
    put(L"", L"expand", REG_EXPAND_SZ, bytesOf(L"%SystemRoot%\\x"));
    put(L"", L"expand lines", REG_EXPAND_SZ, bytesOf(L"%A%\r\n%B%"));
    put(L"", L"multi", REG_MULTI_SZ,
        bytesOf(std::wstring(L"A\0B,C\0\"q\"\0", 10)));
    put(L"", L"multi lines", REG_MULTI_SZ,
        bytesOf(std::wstring(L"x\r\ny\0z\0", 7)));
    put(L"", L"no strings", REG_MULTI_SZ, std::string());
    put(L"", L"one empty string", REG_MULTI_SZ, std::string(4, '\0'));
    put(L"", L"all bytes", REG_BINARY, allBytes());
    put(L"", L"odd", REG_BINARY, std::string("\x01\x02\x03", 3));
    put(L"", L"one", REG_BINARY, std::string("\xFF", 1));
    put(L"", L"no bytes", REG_BINARY, std::string());
    put(L"", L"C:\\Program Files\\app.dll", REG_DWORD, dwordBytes(1));
    const RawTree before = snapshot(HKEY_CURRENT_USER, m_path);
    ASSERT_EQ(19u, before.at(L"").size());

    EXPECT_EQ(before, roundTrip());
}

TEST_F(RegistryFileTest, NestedKeysComeBackAtEveryLevel)
{
    put(L"", L"top", REG_DWORD, dwordBytes(1));
    put(L"A", L"a", REG_SZ, bytesOf(L"level one"));
    put(L"A\\B", L"b", REG_BINARY, std::string("\x10\x20", 2));
    put(L"A\\B\\C", L"c", REG_MULTI_SZ, bytesOf(std::wstring(L"m\0", 2)));
    put(L"D", L"d", REG_EXPAND_SZ, bytesOf(L"%TEMP%"));
    const RawTree before = snapshot(HKEY_CURRENT_USER, m_path);
    ASSERT_EQ(5u, before.size());

    EXPECT_EQ(before, roundTrip());
}

// A section far beyond 32767 characters: one 64 KiB value alone is a line
// of about 196,000 characters.
TEST_F(RegistryFileTest, LargeBinaryValuesComeBackWhole)
{
    std::string big(65536, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    put(L"", L"big", REG_BINARY, big);
    put(L"", L"bigger", REG_BINARY, big + big.substr(0, 4097));
    put(L"", L"after", REG_DWORD, dwordBytes(5));
    const RawTree before = snapshot(HKEY_CURRENT_USER, m_path);

    EXPECT_EQ(before, roundTrip());
}

// ---- the lines written ----

TEST_F(RegistryFileTest, WritesTheFormatsLinesExactly)
{
    // Created against the group order, which the file must not follow.
    put(L"", L"bin", REG_BINARY, std::string("\x01\x02\x03", 3));
    put(L"", L"multi", REG_MULTI_SZ, bytesOf(std::wstring(L"A\0B\0", 4)));
    put(L"", L"path", REG_EXPAND_SZ, bytesOf(L"%TEMP%\\x"));
    put(L"", L"name", REG_SZ, bytesOf(L"abc"));
    put(L"", L"Logging", REG_DWORD, dwordBytes(27));
    put(L"", L"qword", REG_QWORD, std::string(8, '\x01'));
    ASSERT_TRUE(save(m_file));

    const std::vector<std::wstring> expected = {
        section(),
        L"Logging=REG_DWORD:0x0000001B",
        L"name=REG_SZ:\"abc\"",
        L"path=REG_SZ_EXPAND:\"%TEMP%\\x\"",
        L"multi=REG_SZ_MULTI:41 00 00 00,42 00 00 00",
        L"bin=REG_BINARY:01 02 03",
    };
    EXPECT_EQ(expected, fileLines(m_file));
}

// Within each group the values keep the order in which the registry lists
// them, whatever types lie between them there.
TEST_F(RegistryFileTest, EachGroupKeepsTheRegistrysOrder)
{
    struct Value {
        std::wstring name;
        DWORD dwType;
        std::string bytes;
        std::wstring line;
    };
    const std::vector<Value> values = {
        {L"s2", REG_SZ, bytesOf(L"b"), L"s2=REG_SZ:\"b\""},
        {L"d3", REG_DWORD, dwordBytes(3), L"d3=REG_DWORD:0x00000003"},
        {L"b1", REG_BINARY, "\x01", L"b1=REG_BINARY:01"},
        {L"d1", REG_DWORD, dwordBytes(1), L"d1=REG_DWORD:0x00000001"},
        {L"s1", REG_SZ, bytesOf(L"a"), L"s1=REG_SZ:\"a\""},
        {L"b2", REG_BINARY, "\x02", L"b2=REG_BINARY:02"},
        {L"d2", REG_DWORD, dwordBytes(2), L"d2=REG_DWORD:0x00000002"},
    };
    std::map<std::wstring, std::wstring> lineOf;
    for (const Value& value : values) {
        put(L"", value.name, value.dwType, value.bytes);
        lineOf[value.name] = value.line;
    }
    ASSERT_TRUE(save(m_file));

    CQBNUniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0,
                                           KEY_READ, key.receive()));
    const auto listed = valuesOf(key.get());
    ASSERT_EQ(values.size(), listed.size());
    std::vector<std::wstring> expected = {section()};
    for (const DWORD dwGroup : {REG_DWORD, REG_SZ, REG_BINARY})
        for (const auto& value : listed)
            if (value.second.first == dwGroup)
                expected.push_back(lineOf[value.first]);
    EXPECT_EQ(expected, fileLines(m_file));
}

TEST_F(RegistryFileTest, StringsALineCannotHoldAreWrittenAsDumps)
{
    put(L"", L"crlf", REG_SZ, bytesOf(L"a\r\nb"));
    put(L"", L"expand", REG_EXPAND_SZ, bytesOf(L"%A%\n"));
    put(L"", L"spaces", REG_SZ, bytesOf(L" x\t\"y\" "));
    ASSERT_TRUE(save(m_file));

    const std::vector<std::wstring> lines = fileLines(m_file);
    EXPECT_TRUE(
        hasLine(lines, L"crlf=REG_SZ_HEX:61 00 0D 00 0A 00 62 00 00 00"));
    EXPECT_TRUE(hasLine(
        lines, L"expand=REG_SZ_EXPAND_HEX:25 00 41 00 25 00 0A 00 00 00"));
    EXPECT_TRUE(hasLine(lines, L"spaces=REG_SZ:\" x\t\"y\" \""));
}

TEST_F(RegistryFileTest, SubKeysFollowDepthFirstAndEmptyKeysGetNoSection)
{
    makeKey(HKEY_CURRENT_USER, pathOf(L""));
    put(L"A\\Deep", L"v", REG_DWORD, dwordBytes(1));
    put(L"B", L"v", REG_DWORD, dwordBytes(2));
    ASSERT_TRUE(save(m_file));

    const std::vector<std::wstring> expected = {
        section(L"A\\Deep"),
        L"v=REG_DWORD:0x00000001",
        section(L"B"),
        L"v=REG_DWORD:0x00000002",
    };
    EXPECT_EQ(expected, fileLines(m_file));
}

// One section write per key must leave the file exactly as one string
// write per value would.
TEST_F(RegistryFileTest, FileIsByteForByteWhatValueByValueWritingMakes)
{
    put(L"", L"d", REG_DWORD, dwordBytes(3));
    put(L"", L"s", REG_SZ, bytesOf(L"text \"q\""));
    put(L"K", L"b", REG_BINARY, allBytes());
    ASSERT_TRUE(save(m_file));

    const std::wstring byValue = m_folder.pathOf(L"by_value.ini");
    std::wstring currentSection;
    for (const std::wstring& line : fileLines(m_file)) {
        if (line[0] == L'[') {
            currentSection = line.substr(1, line.size() - 2);
            continue;
        }
        const size_t equals = line.find(L'=');
        ASSERT_TRUE(WritePrivateProfileStringW(
            currentSection.c_str(), line.substr(0, equals).c_str(),
            line.substr(equals + 1).c_str(), byValue.c_str()));
    }
    EXPECT_EQ(qbntest::readFileBytes(byValue), qbntest::readFileBytes(m_file));
}

// The sections of a file as the test reads it: each header, then its lines.
typedef std::vector<std::pair<std::wstring, std::vector<std::wstring>>>
    FileSections;

FileSections sectionsOf(const std::vector<std::wstring>& lines)
{
    FileSections sections;
    for (const std::wstring& line : lines) {
        if (line[0] == L'[')
            sections.emplace_back(line.substr(1, line.size() - 2),
                                  std::vector<std::wstring>());
        else if (!sections.empty())
            sections.back().second.push_back(line);
    }
    return sections;
}

std::wstring blockOf(const std::vector<std::wstring>& lines)
{
    std::wstring block;
    for (const std::wstring& line : lines)
        block += line + L'\0';
    return block + L'\0';
}

std::vector<std::wstring> profileSection(const std::wstring& file,
                                         const std::wstring& section)
{
    std::vector<wchar_t> block(1 << 20, L'\0');
    const DWORD dwCount = GetPrivateProfileSectionW(
        section.c_str(), block.data(), static_cast<DWORD>(block.size()),
        file.c_str());
    std::vector<std::wstring> lines;
    for (DWORD dwAt = 0; dwAt < dwCount;) {
        lines.emplace_back(block.data() + dwAt);
        dwAt += static_cast<DWORD>(lines.back().size()) + 1;
    }
    return lines;
}

// Every value type, names and texts that look like the format's own
// syntax, and a 64 KiB value, in two keys: our file is byte for byte what
// WritePrivateProfileSectionW makes of the same sections, the profile
// functions read back every line of ours, and the file they wrote imports
// the tree as ours does.
TEST_F(RegistryFileTest, FileIsTheProfileFunctionsOwnReadEitherWay)
{
    std::string big(65536, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 13 + 5);
    for (const std::wstring& key : {std::wstring(), std::wstring(L"Sub;=x")}) {
        put(key, L"dword", REG_DWORD, dwordBytes(0x8104));
        put(key, L"a:b", REG_SZ, bytesOf(L"[x]=\"y\";z"));
        put(key, L"in[side]", REG_SZ, bytesOf(L" spaced\ttext "));
        put(key, L"semi;colon", REG_EXPAND_SZ, bytesOf(L"%TEMP%\\100%%"));
        put(key, L"two lines", REG_SZ, bytesOf(L"a\r\nb"));
        put(key, L"\"quoted\"", REG_MULTI_SZ,
            bytesOf(std::wstring(L"A\0=B\0\0", 6), false));
        put(key, L"big", REG_BINARY, big);
        put(key, L"odd", REG_BINARY, std::string("\x01\x02\x03", 3));
    }
    const RawTree before = snapshot(HKEY_CURRENT_USER, m_path);
    ASSERT_TRUE(save(m_file));

    const FileSections sections = sectionsOf(fileLines(m_file));
    ASSERT_EQ(2u, sections.size());
    const std::wstring theirs = m_folder.pathOf(L"profile_functions.ini");
    for (const auto& section : sections) {
        ASSERT_TRUE(WritePrivateProfileSectionW(section.first.c_str(),
                                                blockOf(section.second).c_str(),
                                                theirs.c_str()));
        EXPECT_EQ(section.second, profileSection(m_file, section.first));
    }
    EXPECT_EQ(qbntest::readFileBytes(theirs), qbntest::readFileBytes(m_file));

    m_key.remove();
    ASSERT_TRUE(restore(theirs));
    EXPECT_EQ(before, snapshot(HKEY_CURRENT_USER, m_path));
}

// As when every section went through the profile functions: nothing to
// write, no file.
TEST_F(RegistryFileTest, ATreeWithoutValuesLeavesNoFile)
{
    makeKey(HKEY_CURRENT_USER, pathOf(L"A\\B"));
    EXPECT_TRUE(save(m_file));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(m_file.c_str()));
}

// ---- overwrite, folders, missing keys ----

TEST_F(RegistryFileTest, OverwriteReplacesTheFileAndAppendingKeepsIt)
{
    put(L"", L"v", REG_DWORD, dwordBytes(1));
    writeIni(m_file, L"[Other]\r\nkept=1\r\n");
    ASSERT_TRUE(save(m_file, false));
    EXPECT_TRUE(hasLine(fileLines(m_file), L"kept=1"));
    EXPECT_TRUE(hasLine(fileLines(m_file), L"v=REG_DWORD:0x00000001"));

    ASSERT_TRUE(save(m_file, true));
    const std::vector<std::wstring> expected = {section(),
                                                L"v=REG_DWORD:0x00000001"};
    EXPECT_EQ(expected, fileLines(m_file));
}

TEST_F(RegistryFileTest, AppendingToAnExistingSectionKeepsItsOtherLines)
{
    put(L"", L"v", REG_DWORD, dwordBytes(2));
    writeIni(m_file, section() + L"\r\nold=REG_DWORD:0x00000009\r\n"
                                 L"v=REG_DWORD:0x00000001\r\n");
    ASSERT_TRUE(save(m_file, false));

    const std::vector<std::wstring> expected = {
        section(), L"old=REG_DWORD:0x00000009", L"v=REG_DWORD:0x00000002"};
    EXPECT_EQ(expected, fileLines(m_file));
}

TEST_F(RegistryFileTest, CreatesTheFilesFolder)
{
    put(L"", L"v", REG_DWORD, dwordBytes(1));
    const std::wstring file = m_folder.pathOf(L"a\\b\\export.ini");
    ASSERT_TRUE(save(file));
    EXPECT_TRUE(hasLine(fileLines(file), L"v=REG_DWORD:0x00000001"));
}

TEST_F(RegistryFileTest, AMissingKeyExportsNothingAndKeepsTheFile)
{
    writeIni(m_file, L"[Other]\r\nkept=1\r\n");
    EXPECT_FALSE(save(m_file, true));
    EXPECT_TRUE(hasLine(fileLines(m_file), L"kept=1"));
}

// ---- what the format cannot carry ----

TEST_F(RegistryFileTest, NamesTheFormatCannotCarryAreSkippedAndFailTheExport)
{
    for (const wchar_t* szName : {L"a=b", L"[bracket", L";comment", L" lead",
                                  L"trail ", L"line\nbreak", L"\x4E2D"})
        put(L"", szName, REG_DWORD, dwordBytes(7));
    put(L"", L"good", REG_DWORD, dwordBytes(8));
    put(L"odd]key", L"v", REG_DWORD, dwordBytes(9));
    put(L"space \\below", L"w", REG_DWORD, dwordBytes(10));
    put(L"space ", L"x", REG_DWORD, dwordBytes(11));

    EXPECT_FALSE(save(m_file));
    const std::vector<std::wstring> expected = {
        section(), L"good=REG_DWORD:0x00000008", section(L"space \\below"),
        L"w=REG_DWORD:0x0000000A"};
    EXPECT_EQ(expected, fileLines(m_file));

    m_key.remove();
    ASSERT_TRUE(restore(m_file));
    const RawTree after = snapshot(HKEY_CURRENT_USER, m_path);
    ASSERT_EQ(1u, after.at(L"").size());
    EXPECT_EQ(1u, after.at(L"").count(L"good"));
    EXPECT_FALSE(hasValue(HKEY_CURRENT_USER, m_path, L"a"));
}

// ---- reading hand-written files ----

TEST_F(RegistryFileTest, MalformedAndUnknownLinesAreSkipped)
{
    writeIni(m_file, section() + L"\r\n"
                                 L"qword=REG_QWORD:1\r\n"
                                 L"bad number=REG_DWORD:zz\r\n"
                                 L"number=REG_DWORD:0x0000001B\r\n"
                                 L"plain=REG_DWORD:1b\r\n"
                                 L"lower=reg_sz:\"x\"\r\n"
                                 L"short=REG_SZ:x\r\n"
                                 L"colons=REG_SZ:\"a:b:c\"\r\n"
                                 L"inner=REG_SZ:\"in\"ner\"\r\n"
                                 L"unquoted=REG_SZ:<abc>\r\n"
                                 L"percent=REG_SZ_EXPAND:\"100%\"\r\n"
                                 L"cut dump=REG_BINARY:01 0\r\n"
                                 L"packed dump=REG_BINARY:0102\r\n"
                                 L"bad pair=REG_BINARY:01 zz\r\n"
                                 L"bad string=REG_SZ_MULTI:41 00 00 00,4\r\n"
                                 L"bad hex=REG_SZ_HEX:41 00 0\r\n"
                                 L"no tag\r\n"
                                 L"no colon=REG_SZ\r\n");
    ASSERT_TRUE(restore(m_file));

    const RawTree after = snapshot(HKEY_CURRENT_USER, m_path);
    const RawValues expected = {
        {L"number", RawValue(REG_DWORD, dwordBytes(27))},
        {L"plain", RawValue(REG_DWORD, dwordBytes(27))},
        {L"colons", RawValue(REG_SZ, bytesOf(L"a:b:c"))},
        {L"inner", RawValue(REG_SZ, bytesOf(L"in\"ner"))},
        {L"unquoted", RawValue(REG_SZ, bytesOf(L"abc"))},
    };
    EXPECT_EQ(expected, after.at(L""));
}

TEST_F(RegistryFileTest, SectionsGoToTheRootTheyName)
{
    const std::wstring& relative = m_path;
    writeIni(m_file, L"[HKEY_USERS\\.DEFAULT\\" + relative +
                         L"]\r\n"
                         L"u=REG_DWORD:0x00000001\r\n"
                         L"[HKEY_PERFORMANCE_DATA\\" +
                         relative +
                         L"]\r\n"
                         L"p=REG_DWORD:0x00000002\r\n"
                         L"[NOT_A_ROOT\\" +
                         relative +
                         L"\\Sub]\r\n"
                         L"n=REG_DWORD:0x00000003\r\n"
                         L"[HKEY_CURRENT_USER\\" +
                         relative + L"\\Empty]\r\n");
    ASSERT_TRUE(restore(m_file));

    EXPECT_TRUE(hasValue(HKEY_USERS, L".DEFAULT\\" + relative, L"u"));
    EXPECT_TRUE(hasValue(HKEY_LOCAL_MACHINE, relative, L"p"));
    EXPECT_TRUE(hasValue(HKEY_LOCAL_MACHINE, relative + L"\\Sub", L"n"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, pathOf(L"Empty")));
}

// More section names than the usual 32767-character buffer holds.
TEST_F(RegistryFileTest, ReadsFilesWithManyLongSectionNames)
{
    const std::wstring padding(120, L'p');
    std::wstring text;
    const int iSections = 400;
    for (int i = 0; i < iSections; ++i)
        text += section(padding + std::to_wstring(i)) +
                L"\r\nv=REG_DWORD:0x00000001\r\n";
    writeIni(m_file, text);
    ASSERT_TRUE(restore(m_file));

    EXPECT_EQ(static_cast<size_t>(iSections) + 1,
              snapshot(HKEY_CURRENT_USER, m_path).size());
}

TEST_F(RegistryFileTest, AMissingFileImportsNothing)
{
    EXPECT_TRUE(restore(m_folder.pathOf(L"none.ini")));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, m_path));
}

TEST_F(RegistryFileTest, AnEmptyFileNameIsRefusedInBothDirections)
{
    EXPECT_FALSE(CQBNRegistryFile::exportToTextFile(
        HKEY_CURRENT_USER, m_path.c_str(), CQBNWCharString(L""), true));
    EXPECT_FALSE(CQBNRegistryFile::importFromTextFile(CQBNWCharString(L"")));
}

} // namespace

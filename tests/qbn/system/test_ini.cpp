// The INI file class against Wine's own private-profile functions: each test
// works on a file in a scratch folder of its own, and checks what Windows
// itself reads back from the file.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "qbn_ini.h"
#include "qbn_profile_file_reader.h"
#include "support/scratch_folder.h"

namespace {

typedef std::vector<std::wstring> Texts;

Texts textsOf(CQBNWCharStringList& list)
{
    Texts texts;
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        CQBNWCharString text;
        list.getCurrent(text);
        texts.push_back(text.getText());
    }
    return texts;
}

CQBNWCharStringList listOf(const Texts& texts)
{
    CQBNWCharStringList list;
    for (const std::wstring& text : texts)
        list.add(CQBNWCharString(text.c_str()), 0);
    return list;
}

class IniTest : public ::testing::Test {
protected:
    IniTest() : m_path(m_folder.pathOf(L"test.ini")), m_ini(m_path.c_str()) {}

    void write(const wchar_t* szSection, const wchar_t* szKey,
               const std::wstring& value)
    {
        ASSERT_TRUE(WritePrivateProfileStringW(szSection, szKey, value.c_str(),
                                               m_path.c_str()));
    }

    // What Windows itself reads for the key; "<absent>" when it is missing.
    std::wstring rawValue(const wchar_t* szSection, const wchar_t* szKey)
    {
        std::vector<wchar_t> buffer(4096, L'\0');
        GetPrivateProfileStringW(szSection, szKey, L"<absent>", buffer.data(),
                                 static_cast<DWORD>(buffer.size()),
                                 m_path.c_str());
        return buffer.data();
    }

    // Writes the file as plain text, for sections too large to build up
    // one key at a time.
    void writeFileText(const std::string& text)
    {
        ASSERT_TRUE(qbn_test::writeFile(m_path, text));
    }

    qbn_test::ScratchFolder m_folder;
    std::wstring m_path;
    CQBNIni m_ini;
};

// A line "k<number>=" padded with 'v' to `ulLength` characters.
std::string lineOf(unsigned long ulNumber, unsigned long ulLength)
{
    std::string line = "k" + std::to_string(ulNumber) + "=";
    line.resize(ulLength, 'v');
    return line;
}

// A section whose block (every line with its 0) holds `ulBlockChars`
// characters, in lines of at most 100 characters.
std::string sectionOfBlockSize(const char* szName, unsigned long ulBlockChars)
{
    std::string text = std::string("[") + szName + "]\r\n";
    unsigned long ulNumber = 0;
    while (ulBlockChars > 0) {
        const unsigned long ulLine =
            ulBlockChars > 101 ? 100 : ulBlockChars - 1;
        text += lineOf(ulNumber++, ulLine) + "\r\n";
        ulBlockChars -= ulLine + 1;
    }
    return text;
}

// ---- strings ----

TEST_F(IniTest, StringReadsWholeValuesUpTo1021Characters)
{
    write(L"s", L"short", L"value with = and spaces");
    write(L"s", L"longest", std::wstring(1021, L'x'));
    CQBNWCharString value;
    ASSERT_TRUE(m_ini.getProfileString(L"s", L"short", value));
    EXPECT_STREQ(L"value with = and spaces", value.getText());
    ASSERT_TRUE(m_ini.getProfileString(L"s", L"longest", value));
    EXPECT_EQ(std::wstring(1021, L'x'), value.getText());
}

TEST_F(IniTest, StringRefusesValuesThatMayBeCutShort)
{
    for (unsigned long ulLength : {1022UL, 1023UL, 1024UL, 5000UL}) {
        write(L"s", L"long", std::wstring(ulLength, L'x'));
        CQBNWCharString value(L"before");
        EXPECT_FALSE(m_ini.getProfileString(L"s", L"long", value)) << ulLength;
        EXPECT_STREQ(L"before", value.getText()) << ulLength;
    }
}

TEST_F(IniTest, StringReadsAbsentValuesAsFailures)
{
    write(L"s", L"empty", L"");
    write(L"s", L"literal", L"Not Found");
    CQBNWCharString value(L"before");
    EXPECT_FALSE(m_ini.getProfileString(L"s", L"empty", value));
    EXPECT_FALSE(m_ini.getProfileString(L"s", L"literal", value));
    EXPECT_FALSE(m_ini.getProfileString(L"s", L"missing", value));
    EXPECT_FALSE(m_ini.getProfileString(L"other", L"empty", value));
    EXPECT_FALSE(m_ini.getProfileString(L"s", CQBNWCharString(), value));
    EXPECT_FALSE(CQBNIni(m_folder.pathOf(L"none.ini").c_str())
                     .getProfileString(L"s", L"empty", value));
    EXPECT_STREQ(L"before", value.getText());
}

// An empty value is written as such, never as a deletion of the key.
TEST_F(IniTest, SetStringWritesEmptyValuesAsText)
{
    ASSERT_TRUE(m_ini.setProfileString(L"s", L"k", L"first"));
    ASSERT_TRUE(m_ini.setProfileString(L"s", L"k", CQBNWCharString()));
    EXPECT_EQ(L"", rawValue(L"s", L"k"));
}

TEST_F(IniTest, SetFailsForAFileInAMissingFolder)
{
    CQBNIni unreachable(m_folder.pathOf(L"missing\\test.ini").c_str());
    EXPECT_FALSE(unreachable.setProfileString(L"s", L"k", L"v"));
    EXPECT_FALSE(unreachable.setProfileInt(L"s", L"k", 1));
    EXPECT_FALSE(unreachable.createProfileSection(L"s"));
}

// ---- integers ----

TEST_F(IniTest, IntReadsNumbersButNotMinusOneOrMissingKeys)
{
    write(L"n", L"answer", L"42");
    write(L"n", L"minus", L"-1");
    write(L"n", L"max", L"4294967295");
    unsigned long ulValue = 7;
    EXPECT_FALSE(m_ini.getProfileInt(L"n", L"minus", ulValue));
    EXPECT_FALSE(m_ini.getProfileInt(L"n", L"max", ulValue));
    EXPECT_FALSE(m_ini.getProfileInt(L"n", L"missing", ulValue));
    EXPECT_EQ(7UL, ulValue);
    ASSERT_TRUE(m_ini.getProfileInt(L"n", L"answer", ulValue));
    EXPECT_EQ(42UL, ulValue);
}

TEST_F(IniTest, SetIntWritesSignedDecimalText)
{
    ASSERT_TRUE(m_ini.setProfileInt(L"n", L"top", 2147483647UL));
    ASSERT_TRUE(m_ini.setProfileInt(L"n", L"wrapped", 2147483648UL));
    ASSERT_TRUE(m_ini.setProfileInt(L"n", L"all", 4294967295UL));
    EXPECT_EQ(L"2147483647", rawValue(L"n", L"top"));
    EXPECT_EQ(L"-2147483648", rawValue(L"n", L"wrapped"));
    EXPECT_EQ(L"-1", rawValue(L"n", L"all"));
    unsigned long ulValue = 7;
    ASSERT_TRUE(m_ini.getProfileInt(L"n", L"top", ulValue));
    EXPECT_EQ(2147483647UL, ulValue);
    EXPECT_FALSE(m_ini.getProfileInt(L"n", L"all", ulValue));
    EXPECT_EQ(2147483647UL, ulValue);
}

// ---- sections ----

TEST_F(IniTest, SectionListsLinesInFileOrderReplacingTheList)
{
    writeFileText("[first]\r\nb=2\r\na=1\r\n[s]\r\na=1\r\nb=2\r\n");
    CQBNWCharStringList list = listOf({L"old 1", L"old 2", L"old 3"});
    ASSERT_TRUE(m_ini.getProfileSection(L"s", list));
    EXPECT_EQ((Texts{L"a=1", L"b=2"}), textsOf(list));
    ASSERT_TRUE(m_ini.getProfileSection(L"first", list));
    EXPECT_EQ((Texts{L"b=2", L"a=1"}), textsOf(list));
}

TEST_F(IniTest, SectionLeavesTheListAloneWhenThereIsNothingToRead)
{
    writeFileText("[empty]\r\n[s]\r\na=1\r\n");
    CQBNWCharStringList list = listOf({L"kept"});
    EXPECT_FALSE(m_ini.getProfileSection(L"empty", list));
    EXPECT_FALSE(m_ini.getProfileSection(L"missing", list));
    EXPECT_FALSE(CQBNIni(m_folder.pathOf(L"none.ini").c_str())
                     .getProfileSection(L"s", list));
    EXPECT_EQ(Texts{L"kept"}, textsOf(list));
}

// Wine answers 32765 for a section that does not fit in 32767 characters,
// with the last line cut off without its 0.
TEST_F(IniTest, SectionRefusesABlockThatWasCutShort)
{
    writeFileText(sectionOfBlockSize("big", 40000));
    CQBNWCharStringList list = listOf({L"kept"});
    EXPECT_FALSE(m_ini.getProfileSection(L"big", list));
    EXPECT_EQ(Texts{L"kept"}, textsOf(list));
}

TEST_F(IniTest, SectionReadsTheLargestBlockThatFits)
{
    writeFileText(sectionOfBlockSize("big", 32764));
    CQBNWCharStringList list;
    ASSERT_TRUE(m_ini.getProfileSection(L"big", list));
    const Texts lines = textsOf(list);
    ASSERT_EQ(325U, lines.size());
    std::wstring last(lines.back());
    EXPECT_EQ(L"k324=", last.substr(0, 5));
    unsigned long ulBlock = 0;
    for (const std::wstring& line : lines)
        ulBlock += line.size() + 1;
    EXPECT_EQ(32764UL, ulBlock);
}

TEST_F(IniTest, SectionNamesListEverySectionOrLeaveTheListAlone)
{
    CQBNWCharStringList list = listOf({L"old"});
    EXPECT_FALSE(m_ini.getProfileSectionNames(list)); // no file yet
    EXPECT_EQ(Texts{L"old"}, textsOf(list));
    writeFileText("[zeta]\r\na=1\r\n[alpha]\r\n[mid]\r\nb=2\r\n");
    ASSERT_TRUE(m_ini.getProfileSectionNames(list));
    EXPECT_EQ((Texts{L"zeta", L"alpha", L"mid"}), textsOf(list));

    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "[section_" + std::to_string(10000 + i) + "]\r\n";
    writeFileText(text);
    EXPECT_FALSE(m_ini.getProfileSectionNames(list)); // cut short
    EXPECT_EQ((Texts{L"zeta", L"alpha", L"mid"}), textsOf(list));
}

TEST_F(IniTest, CreatingASectionKeepsOneThatHasLines)
{
    writeFileText("[s]\r\na=1\r\n[t]\r\nb=2\r\n");
    EXPECT_TRUE(m_ini.createProfileSection(L"s"));
    EXPECT_TRUE(m_ini.createProfileSection(L"new"));
    EXPECT_EQ(L"1", rawValue(L"s", L"a"));
    EXPECT_EQ(L"2", rawValue(L"t", L"b"));
}

// ---- the one-pass reader ----

typedef std::vector<std::pair<std::wstring, Texts>> Sections;

// The texts of a block of 0-ended entries.
Texts entriesOf(const std::vector<wchar_t>& block, DWORD dwCount)
{
    Texts entries;
    for (DWORD dwAt = 0; dwAt < dwCount;) {
        const std::wstring entry(block.data() + dwAt);
        entries.push_back(entry);
        dwAt += static_cast<DWORD>(entry.size()) + 1;
    }
    return entries;
}

// What the profile functions read: every section name, then each section
// asked for by its name.
Sections readByProfileFunctions(const std::wstring& path)
{
    std::vector<wchar_t> block(1 << 16, L'\0');
    const DWORD dwSize = static_cast<DWORD>(block.size());
    Sections sections;
    const Texts names =
        entriesOf(block, GetPrivateProfileSectionNamesW(block.data(), dwSize,
                                                        path.c_str()));
    for (const std::wstring& name : names)
        sections.emplace_back(name,
                              entriesOf(block, GetPrivateProfileSectionW(
                                                   name.c_str(), block.data(),
                                                   dwSize, path.c_str())));
    return sections;
}

Sections readInOnePass(const CQBNProfileFileReader& reader)
{
    Sections sections;
    for (const CQBNProfileFileReader::CSection& section :
         reader.getSections()) {
        Texts lines;
        for (const CQBNProfileFileReader::CTextSpan& line : section.lines)
            lines.emplace_back(line.pUnits, line.ulLength);
        sections.emplace_back(
            std::wstring(section.name.pUnits, section.name.ulLength), lines);
    }
    return sections;
}

// Whenever the one-pass reader takes a file, it reads exactly what the
// profile functions read; a file that other systems' profile functions
// might read otherwise is left to them.
TEST_F(IniTest, OnePassReaderTakesOnlyWhatItReadsAsTheProfileFunctionsDo)
{
    const struct {
        const char* szWhat;
        std::string text;
        bool bTaken;
    } cases[] = {
        {"plain", "[A]\r\nx=1\r\ny=REG_SZ:\"a b\"\r\n[B\\C]\r\nz=\r\n", true},
        {"line feeds alone", "[A]\nx=1\n[B]\ny=2", true},
        {"lines before any section, blank lines, no last line end",
         "top=1\r\n\r\n[A]\r\n\r\nx=1\r\n[B]\r\ny=2", true},
        {"the syntax inside values", "[A]\r\nx=[y];z=\"q\"%\r\nk=a=b\r\n",
         true},
        {"a tab inside", "[A\tB]\r\nx=a\tb\r\n", true},
        {"a section without lines", "[A]\r\n[B]\r\nx=1\r\n", true},
        {"sections of distinct names", "[K1]\r\nx=1\r\n[S1]\r\nx=2\r\n", true},
        {"no text at all", "", true},
        {"sections named alike but for case", "[Ab]\r\nx=1\r\n[aB]\r\ny=2\r\n",
         false},
        {"a comment", "[A]\r\n;c=1\r\nx=1\r\n", false},
        {"spaces around =", "[A]\r\nx = 1\r\n", false},
        {"a space ending a line", "[A]\r\nx=1 \r\n", false},
        {"a carriage return alone", "[A]\r\nx=1\ry=2\r\n", false},
        {"a NUL", std::string("[A]\r\nx=1\0y\r\n", 12), false},
        {"a UTF-8 byte-order mark", "\xEF\xBB\xBF[A]\r\nx=1\r\n", false},
        {"UTF-16", std::string("\xFF\xFE[\0A\0]\0\r\0\n\0", 12), false},
        {"text after a header", "[A] x\r\ny=1\r\n", false},
        {"spaces inside the brackets", "[ A ]\r\nx=1\r\n", false},
        {"a line without =", "[A]\r\nbare\r\n", false},
        {"an empty key", "[A]\r\n=x\r\n=y\r\n", false},
        {"a no-break space inside",
         "[A]\r\nx=a\xA0"
         "b\r\n",
         true},
        {"a no-break space ending a line", "[A]\r\nx=1\xA0\r\n", false},
    };
    CQBNProfileFileReader reader;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.szWhat);
        writeFileText(test.text);
        ASSERT_EQ(test.bTaken, reader.read(m_path.c_str()));
        if (test.bTaken)
            EXPECT_EQ(readByProfileFunctions(m_path), readInOnePass(reader));
        else
            EXPECT_TRUE(reader.getSections().empty());
    }
    // The profile functions look for a bare name in the Windows folder.
    EXPECT_FALSE(reader.read(L"test.ini"));
}

} // namespace

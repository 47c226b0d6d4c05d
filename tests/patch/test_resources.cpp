// The patch program's resources, linked into this test exactly as into the
// program: the string table in every language, the manifest and the version
// information. The table is read block by block with explicit language IDs,
// so what is checked does not depend on the user language of the machine.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "patch8104_ids.h"
#include "support/pe_file.h"

namespace {

using Texts = std::map<UINT, std::wstring>;
using StringTable = std::map<LANGID, Texts>;

const LANGID kEnglish = 0x0409;
const LANGID kSimplifiedChinese = 0x0804;
const LANGID kBrazilianPortuguese = 0x0416;

const std::set<LANGID> kLanguages = {
    0x0004, 0x0007, 0x0406, 0x0409, 0x040B, 0x040C, 0x0410, 0x0411,
    0x0412, 0x0413, 0x0414, 0x0416, 0x041D, 0x0804, 0x0816, 0x0C0A};

const std::set<UINT> kMessages = {
    IDS_WRONG_OPERATING_SYSTEM, IDS_WRONG_PRODUCT_VERSION,
    IDS_PRODUCT_CAPTION,        IDS_PATCH_COMPLETED,
    IDS_ALREADY_INSTALLED,      IDS_PRODUCT_NOT_INSTALLED,
    IDS_PATCH_REMOVED,          IDS_PATCH_NOT_INSTALLED,
    IDS_INSTALL_FAILED};
const std::set<UINT> kLogLines = {IDS_UPDATE_FILE_FAILED,
                                  IDS_PROCESS_WILL_BE_TERMINATED};

const std::wstring kProductName = L"Vaultrion - Password Manager";

// The texts as the product ships them, in the languages the scenarios run
// in (support/message_texts.tsv, made into initialisers by the build).
struct MessageText {
    const char* szLanguage;
    UINT id;
    const wchar_t* szText;
};
const MessageText kMessageTexts[] = {
#include "message_texts.inc"
};

// What the program loads each text into, terminator included.
const int kProgramTextBuffer = 300;

// ---- reading the table ----

BOOL CALLBACK collectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<WORD>*>(param)->push_back(
            static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language,
                              LONG_PTR param)
{
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}

// A string block is sixteen counted strings; block n holds the IDs
// 16 * (n - 1) to 16 * (n - 1) + 15. Empty entries are left out.
void readBlock(HMODULE module, WORD block, LANGID language, StringTable& table)
{
    const HRSRC found =
        FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(block), language);
    ASSERT_NE(nullptr, found);
    const HGLOBAL loaded = LoadResource(module, found);
    ASSERT_NE(nullptr, loaded);
    const wchar_t* p = static_cast<const wchar_t*>(LockResource(loaded));
    const wchar_t* const end =
        p + SizeofResource(module, found) / sizeof(wchar_t);
    for (UINT i = 0; i < 16; ++i) {
        ASSERT_LT(p, end) << "block " << block << " ends early";
        const size_t length = *p++;
        ASSERT_LE(length, static_cast<size_t>(end - p));
        if (length != 0)
            table[language][16 * (block - 1u) + i] = std::wstring(p, length);
        p += length;
    }
}

StringTable readStringTable()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    std::vector<WORD> blocks;
    EnumResourceNamesW(module, RT_STRING, collectBlock,
                       reinterpret_cast<LONG_PTR>(&blocks));
    StringTable table;
    for (WORD block : blocks) {
        std::vector<LANGID> languages;
        EnumResourceLanguagesW(module, RT_STRING, MAKEINTRESOURCEW(block),
                               collectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        for (LANGID language : languages)
            readBlock(module, block, language, table);
    }
    return table;
}

std::set<UINT> idsOf(const Texts& texts)
{
    std::set<UINT> ids;
    for (const auto& entry : texts)
        ids.insert(entry.first);
    return ids;
}

size_t countOf(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos;
         at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string nameOf(LANGID language, UINT id)
{
    char szName[32] = {};
    snprintf(szName, sizeof szName, "0x%04X/%u", language, id);
    return szName;
}

// ---- the string table ----

// The sixteen languages and no others, each with every message; only two
// with the log lines as well.
TEST(PatchStrings, EveryLanguageHasTheMessagesAndOnlyTwoTheLogLines)
{
    const StringTable table = readStringTable();
    ASSERT_FALSE(HasFatalFailure());
    std::set<UINT> withLogLines = kMessages;
    withLogLines.insert(kLogLines.begin(), kLogLines.end());
    std::set<LANGID> languages;
    size_t entries = 0;
    for (const auto& language : table) {
        const bool hasLogLines =
            language.first == kEnglish || language.first == kSimplifiedChinese;
        EXPECT_EQ(hasLogLines ? withLogLines : kMessages,
                  idsOf(language.second))
            << "language 0x" << std::hex << language.first;
        languages.insert(language.first);
        entries += language.second.size();
    }
    EXPECT_EQ(kLanguages, languages);
    EXPECT_EQ(148u, entries);
}

// English whole, and the languages the scenarios run in, each as a whole:
// no text missing, none more.
TEST(PatchStrings, TextsAreThoseTheProductShipsWith)
{
    const StringTable table = readStringTable();
    ASSERT_FALSE(HasFatalFailure());
    const std::map<std::string, LANGID> languageOf = {
        {"en", kEnglish},
        {"de", 0x0007},
        {"zh", kSimplifiedChinese},
        {"pt_br", kBrazilianPortuguese}};
    std::map<LANGID, Texts> expected;
    for (const MessageText& text : kMessageTexts) {
        ASSERT_EQ(1u, languageOf.count(text.szLanguage)) << text.szLanguage;
        expected[languageOf.at(text.szLanguage)][text.id] = text.szText;
    }
    ASSERT_EQ(languageOf.size(), expected.size());
    for (const auto& language : expected) {
        ASSERT_EQ(1u, table.count(language.first)) << nameOf(language.first, 0);
        EXPECT_EQ(language.second, table.at(language.first))
            << nameOf(language.first, 0);
    }
}

// Every language names the product as it is, not translated or shortened;
// the caption of Brazil's writes it without blanks.
TEST(PatchStrings, EveryLanguageNamesTheProductAsItIs)
{
    const StringTable table = readStringTable();
    ASSERT_FALSE(HasFatalFailure());
    for (const auto& language : table) {
        const Texts& texts = language.second;
        const std::wstring caption = language.first == kBrazilianPortuguese
                                         ? L"Vaultrion-Password Manager"
                                         : kProductName;
        ASSERT_EQ(1u, texts.count(IDS_PRODUCT_CAPTION));
        EXPECT_EQ(caption, texts.at(IDS_PRODUCT_CAPTION))
            << nameOf(language.first, IDS_PRODUCT_CAPTION);
        for (UINT id : {IDS_WRONG_PRODUCT_VERSION, IDS_PRODUCT_NOT_INSTALLED}) {
            ASSERT_EQ(1u, texts.count(id)) << nameOf(language.first, id);
            EXPECT_NE(std::wstring::npos, texts.at(id).find(kProductName))
                << nameOf(language.first, id);
        }
    }
}

// A text saved in the wrong encoding, or compiled without its code page,
// comes out with '?' or U+FFFD for a letter, or with UTF-8 bytes read as
// single characters (U+00C3 and U+00C2 lead nearly every such pair). The one
// genuine question mark ends the English process line. Only the log lines
// take an argument, exactly one path: any other '%' would reach the patch
// log as it stands. Every text fits the buffer the program loads it into.
TEST(PatchStrings, EveryTextIsWholeFitsAndHasOnlyItsPlaceholder)
{
    const StringTable table = readStringTable();
    ASSERT_FALSE(HasFatalFailure());
    for (const auto& language : table) {
        for (const auto& entry : language.second) {
            const std::string name = nameOf(language.first, entry.first);
            const size_t placeholders = kLogLines.count(entry.first);
            EXPECT_EQ(placeholders, countOf(entry.second, L"%s")) << name;
            EXPECT_EQ(placeholders, countOf(entry.second, L"%")) << name;
            EXPECT_LT(entry.second.size(),
                      static_cast<size_t>(kProgramTextBuffer))
                << name;
            std::wstring text = entry.second;
            if (language.first == kEnglish &&
                entry.first == IDS_PROCESS_WILL_BE_TERMINATED &&
                text.back() == L'?')
                text.pop_back();
            EXPECT_EQ(std::wstring::npos, text.find(L'?')) << name;
            EXPECT_EQ(std::wstring::npos, text.find(L'\xFFFD')) << name;
            EXPECT_EQ(std::wstring::npos, text.find_first_of(L"\x00C3\x00C2"))
                << name;
            for (wchar_t c : text)
                EXPECT_GE(c, L' ') << name;
        }
    }
}

// The program lets Windows pick the language. Whatever the user language of
// this run, LoadStringW must give that language's text, and an empty one
// for a log line the language lacks, never another language's.
TEST(PatchStrings, LoadStringGivesTheUserLanguagesTextsOnly)
{
    const StringTable table = readStringTable();
    ASSERT_FALSE(HasFatalFailure());
    const LANGID userLanguage = GetUserDefaultUILanguage();
    LANGID language = userLanguage;
    if (table.count(language) == 0)
        language = MAKELANGID(PRIMARYLANGID(userLanguage), SUBLANG_NEUTRAL);
    if (table.count(language) == 0)
        GTEST_SKIP() << "no table for the user language 0x" << std::hex
                     << userLanguage;

    std::set<UINT> ids = kMessages;
    ids.insert(kLogLines.begin(), kLogLines.end());
    for (UINT id : ids) {
        wchar_t szText[kProgramTextBuffer] = {};
        LoadStringW(GetModuleHandleW(nullptr), id, szText, kProgramTextBuffer);
        const Texts& texts = table.at(language);
        const auto found = texts.find(id);
        EXPECT_EQ(found == texts.end() ? std::wstring() : found->second,
                  std::wstring(szText))
            << nameOf(language, id);
    }
}

// ---- the event messages ----

// Every Application event's message, in every language, is the string
// table's text; the failure adds the path on a line of its own. The caller
// passes the whole logged text as the first insertion string, for viewers
// without the table: a message that used it would show it twice. windmc
// cannot name a neutral language, so those two tables carry a region.
TEST(PatchEventMessages, AreTheStringTablesTextsInEveryLanguage)
{
    const StringTable table = readStringTable();
    ASSERT_FALSE(HasFatalFailure());
    const std::map<LANGID, LANGID> kTableLanguage = {{0x0004, 0x0404},
                                                     {0x0007, 0x0407}};
    std::set<UINT> events = kMessages;
    events.erase(IDS_PRODUCT_CAPTION);
    const wchar_t* const insertions[] = {L"whole", L"C:\\x.dll"};
    ASSERT_EQ(kLanguages.size(), table.size());
    for (const auto& language : table) {
        const auto mapped = kTableLanguage.find(language.first);
        const LANGID tableLanguage =
            mapped == kTableLanguage.end() ? language.first : mapped->second;
        for (UINT id : events) {
            ASSERT_EQ(1u, language.second.count(id))
                << nameOf(language.first, id);
            std::wstring expected = language.second.at(id);
            if (id == IDS_INSTALL_FAILED)
                expected += L"\r\nC:\\x.dll";
            wchar_t szText[kProgramTextBuffer + MAX_PATH] = {};
            const DWORD length = FormatMessageW(
                FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                GetModuleHandleW(nullptr), id, tableLanguage, szText,
                ARRAYSIZE(szText),
                reinterpret_cast<va_list*>(const_cast<wchar_t**>(insertions)));
            EXPECT_EQ(expected, std::wstring(szText, length))
                << nameOf(tableLanguage, id) << " error " << GetLastError();
        }
    }
}

// ---- manifest and version information ----

TEST(PatchManifest, AsksForAdministratorRightsOnWindows7WithoutCommonControls)
{
    const std::string manifest =
        qbntest::readManifest(GetModuleHandleW(nullptr));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos,
              manifest.find("level=\"requireAdministrator\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
    EXPECT_NE(std::string::npos,
              manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"));
    EXPECT_EQ(std::string::npos, manifest.find("<dependency"));
    EXPECT_EQ(std::string::npos,
              manifest.find("Microsoft.Windows.Common-Controls"));
}

TEST(PatchVersionInfo, NamesTheProductAndThePatch)
{
    wchar_t szPath[MAX_PATH + 1] = {};
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, szPath, MAX_PATH));
    DWORD dwMS = 0;
    DWORD dwLS = 0;
    ASSERT_TRUE(qbntest::readFileVersion(szPath, dwMS, dwLS));
    EXPECT_EQ(0x0008001Eu, dwMS); // 8.30
    EXPECT_EQ(8104u, dwLS);       // 0.8104

    const std::map<std::wstring, std::wstring> expected = {
        {L"ProductName", L"Vaultrion - Password Manager"},
        {L"FileDescription", L"Vaultrion - Password Manager patch 8104"},
        {L"CompanyName", L"Ostrel"},
        {L"OriginalFilename", L"patch8104.exe"},
        {L"FileVersion", L"8.30.0.8104"},
    };
    for (const auto& value : expected)
        EXPECT_EQ(value.second,
                  qbntest::readVersionString(szPath, value.first));
}

} // namespace

// The product version model and the security product, against the real
// registry. The product's keys are fixed machine-wide keys, so this program
// runs in a private prefix; still, every test creates the keys it needs and
// removes them again, in both registry views.
//
// Registered for both a 64-bit and a 32-bit prefix: a 32-bit program on
// 64-bit Windows reads HKLM\Software through Wow6432Node, while 32-bit
// Windows has one view only.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qbn_product.h"
#include "qbn_product_vrn.h"
#include "support/import_redirect.h"
#include "support/scratch_key.h"
#include "support/text_of.h"

using qbntest::CImportRedirect;

namespace {

using qbntest::textOf;

const REGSAM kDefaultView = 0;
const REGSAM kView64 = 0x0100;
const REGSAM kView32 = 0x0200;
const REGSAM kRead = 0x20019;

const wchar_t kProductKey[] = L"Software\\Ostrel\\Vaultrion";
const wchar_t kLegacyKey[] = L"Software\\Pellor Halvorix\\Secorin";
// Where the common policy looks for "VRNInstall" first.
const wchar_t kPolicyKey[] =
    L"Software\\Policies\\Ostrel\\QBN Common\\Vaultrion";
const wchar_t kLogsKey[] = L"SOFTWARE\\Ostrel\\Logs";
const wchar_t kScratchFirst[] = L"Software\\QbnTest\\Product\\First";
const wchar_t kScratchSecond[] = L"Software\\QbnTest\\Product\\Second";

// Removed deepest first; a parent goes only once it is empty, so keys that
// were there before the test stay.
const wchar_t* const kTestKeys[] = {kProductKey,
                                    kLegacyKey,
                                    kPolicyKey,
                                    kLogsKey,
                                    kScratchFirst,
                                    kScratchSecond,
                                    L"Software\\Ostrel",
                                    L"Software\\Pellor Halvorix",
                                    L"Software\\Policies\\Ostrel\\QBN Common",
                                    L"Software\\Policies\\Ostrel",
                                    L"Software\\QbnTest\\Product",
                                    L"Software\\QbnTest"};
const wchar_t* const kTreesToRemove[] = {kProductKey,   kLegacyKey,
                                         kPolicyKey,    kLogsKey,
                                         kScratchFirst, kScratchSecond};

void setText(const std::wstring& path, REGSAM view, const wchar_t* szName,
             const std::wstring& text)
{
    qbntest::putText(HKEY_LOCAL_MACHINE, path, szName, text, REG_SZ, view);
}

void setDword(const std::wstring& path, const wchar_t* szName, DWORD dwValue)
{
    qbntest::putValue(HKEY_LOCAL_MACHINE, path, szName, REG_DWORD, &dwValue,
                      sizeof(dwValue));
}

void recordProduct(const std::wstring& path, REGSAM view,
                   const std::wstring& version, const std::wstring& folder)
{
    setText(path, view, L"Version", version);
    setText(path, view, L"InstallPath", folder);
}

void removeTestKeys()
{
    for (REGSAM view : {kView64, kView32}) {
        for (const wchar_t* szPath : kTreesToRemove)
            qbntest::deleteTree(HKEY_LOCAL_MACHINE, szPath, view);
        for (const wchar_t* szPath : kTestKeys)
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, szPath, view, 0);
    }
}

std::wstring logPath()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    return std::wstring(szTemp) + L"qbn_product_" +
           std::to_wstring(GetCurrentProcessId()) + L".log";
}

// Every test starts and ends without any of the product's keys.
class ProductRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        removeTestKeys();
        DeleteFileW(logPath().c_str());
    }
    void TearDown() override
    {
        removeTestKeys();
        DeleteFileW(logPath().c_str());
    }

    // Turns the library's text log on, so that refusals can be read back.
    void startLog()
    {
        setDword(kLogsKey, L"Logging", 1);
        setText(kLogsKey, kDefaultView, L"TextOutput", logPath());
    }
    std::wstring logText()
    {
        std::wstring text;
        const HANDLE hFile = CreateFileW(logPath().c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return text;
        text.resize(GetFileSize(hFile, nullptr) / sizeof(wchar_t));
        DWORD dwRead = 0;
        ReadFile(hFile, &text[0],
                 static_cast<DWORD>(text.size() * sizeof(wchar_t)), &dwRead,
                 nullptr);
        CloseHandle(hFile);
        return text;
    }
};

// A product of the test's own, on scratch places.
class CScratchProduct : public CQBNProduct {
public:
    CScratchProduct()
        : CQBNProduct(CQBNWCharString(L"Ostrel"), CQBNWCharString(L"Scratch"))
    {
        addRegistryInfo(CQBNWCharString(kScratchFirst),
                        CQBNWCharString(L"Version"),
                        CQBNWCharString(L"InstallPath"));
        addRegistryInfo(CQBNWCharString(kScratchSecond),
                        CQBNWCharString(L"Version"),
                        CQBNWCharString(L"InstallPath"));
    }
    bool isInstalled(long, long, long, long) override { return false; }
    bool getProductVersion(long&, long&, long&, long&) override
    {
        return false;
    }
    bool getProductVersion(CQBNWCharString&) override { return false; }
};

struct Version {
    long lMajor, lMinor, lBuild, lPatch;
};

bool operator==(const Version& a, const Version& b)
{
    return a.lMajor == b.lMajor && a.lMinor == b.lMinor &&
           a.lBuild == b.lBuild && a.lPatch == b.lPatch;
}

std::ostream& operator<<(std::ostream& out, const Version& v)
{
    return out << v.lMajor << "." << v.lMinor << "." << v.lBuild << "."
               << v.lPatch;
}

// Fields the text does not give keep these.
const Version kUntouched = {71, 72, 73, 74};

Version productVersion(CQBNProduct_VRN& product, bool& bRead)
{
    Version v = kUntouched;
    bRead = product.getProductVersion(v.lMajor, v.lMinor, v.lBuild, v.lPatch);
    return v;
}

// ---- the registry place ----

TEST(ProductRegistryInfo, EqualOnlyWhenAllThreeNamesMatchExactly)
{
    const CQBNProductRegistryInfo place(L"Software\\A", L"Version",
                                        L"InstallPath");
    EXPECT_TRUE(place == CQBNProductRegistryInfo(place));
    EXPECT_FALSE(place != CQBNProductRegistryInfo(place));
    const CQBNProductRegistryInfo others[] = {
        {L"Software\\a", L"Version", L"InstallPath"},
        {L"Software\\A", L"version", L"InstallPath"},
        {L"Software\\A", L"Version", L"InstallPath "}};
    for (const CQBNProductRegistryInfo& other : others) {
        EXPECT_FALSE(place == other);
        EXPECT_TRUE(place != other);
    }
}

TEST(ProductRegistryInfo, AssignmentCopiesEveryNameAndANullSourceNone)
{
    const CQBNProductRegistryInfo source(L"Software\\A", L"V", L"P");
    CQBNProductRegistryInfo target(L"x", L"y", L"z");
    target = source;
    EXPECT_TRUE(target == source);

    CQBNProductRegistryInfo fromPointer(L"x", L"y", L"z");
    fromPointer = &source;
    EXPECT_TRUE(fromPointer == source);
    fromPointer = static_cast<const CQBNProductRegistryInfo*>(nullptr);
    EXPECT_TRUE(fromPointer == source);
}

// ---- version patterns, comparison and text ----

TEST(ProductVersion, PatternIsValidOnlyWithDontCaresRunningToTheEnd)
{
    CScratchProduct product;
    const long valid[][4] = {{8, 30, 0, 1},
                             {8, 30, -1, -1},
                             {8, 30, 0, -1},
                             {-1, -1, -1, -1},
                             {0, 0, 0, 0}};
    for (const auto& pattern : valid)
        EXPECT_TRUE(product.checkParms(pattern)) << pattern[0];
    const long invalid[][4] = {
        {8, -1, 5, -1}, {-1, 3, -1, -1}, {8, 30, -1, 1}, {-1, -1, -1, 0}};
    for (const auto& pattern : invalid)
        EXPECT_FALSE(product.checkParms(pattern)) << pattern[0];
    EXPECT_FALSE(product.checkParms(nullptr));
}

TEST_F(ProductRegistry, RefusedPatternNamesTheFirstRealValueAfterADontCare)
{
    startLog();
    CScratchProduct product;
    const long lateValue[] = {8, -1, 5, -1};
    EXPECT_FALSE(product.checkParms(lateValue));
    const long twoLateValues[] = {-1, 3, 4, -1};
    EXPECT_FALSE(product.checkParms(twoLateValues));
    EXPECT_FALSE(product.checkParms(nullptr));

    const std::wstring log = logText();
    for (const wchar_t* szMessage :
         {L"\"A bad argument was provided ( lVersions[2] ). Cannot be real "
          L"value, QBN_DONT_CAREs prior\"",
          L"\"A bad argument was provided ( lVersions[1] ). Cannot be real "
          L"value, QBN_DONT_CAREs prior\"",
          L"\"A bad argument was provided ( lVersions ). Cannot have NULL "
          L"value\""})
        EXPECT_NE(std::wstring::npos, log.find(szMessage))
            << std::string(log.begin(), log.end());
    EXPECT_EQ(std::wstring::npos, log.find(L"lVersions[3]"));
}

TEST(ProductVersion, InstalledPassesWhenAtLeastTheRequiredVersion)
{
    CScratchProduct product;
    const long installed[] = {8, 30, 0, 2};
    const struct {
        long required[4];
        bool bPasses;
    } cases[] = {{{8, 30, 0, 1}, true},   {{8, 30, 0, 2}, true},
                 {{8, 31, 0, 0}, false},  {{-1, -1, -1, -1}, true},
                 {{8, 30, -1, -1}, true}, {{8, 29, 9, 9}, true},
                 {{8, 30, 1, 0}, false},  {{9, -1, -1, -1}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.bPasses, product.isVersionInstalled(c.required, installed))
            << c.required[0] << "." << c.required[1] << "." << c.required[2]
            << "." << c.required[3];
    // A negative installed field is below even a don't-care.
    const long negative[] = {-8, 30, 0, 0};
    const long anyVersion[] = {-1, -1, -1, -1};
    EXPECT_FALSE(product.isVersionInstalled(anyVersion, negative));
    EXPECT_FALSE(product.isVersionInstalled(nullptr, installed));
    EXPECT_FALSE(product.isVersionInstalled(anyVersion, nullptr));
}

TEST(ProductVersion, FieldsThatDoNotConvertKeepTheCallersValues)
{
    CScratchProduct product;
    const std::wstring manyNines(5000, L'9');
    const struct {
        std::wstring text;
        Version expected;
    } cases[] = {
        {L"8.30.1.2", {8, 30, 1, 2}},
        {L"8.30", {8, 30, 73, 74}},
        {L"8", {8, 72, 73, 74}},
        {L"", kUntouched},
        {L"8.30.x", {8, 30, 73, 74}},
        {L"8..1.2", {8, 72, 1, 2}},
        {L"....", kUntouched},
        {L" 8 . 30 .1.2", {8, 30, 1, 2}},
        {L"-3.-4.5.6", {-3, -4, 5, 6}},
        {L"1.2.3.4.5.6", {1, 2, 3, 4}},
        {L"2147483647.-2147483648.2147483648.1",
         {2147483647, -2147483647 - 1, 73, 1}},
        {manyNines + L".1." + manyNines + L".2", {71, 1, 73, 2}},
        {L"8.3O.0x1.1e2", {8, 72, 73, 74}},
    };
    for (const auto& c : cases) {
        Version v = kUntouched;
        EXPECT_TRUE(product.convertVersion(CQBNWCharString(c.text.c_str()),
                                           v.lMajor, v.lMinor, v.lBuild,
                                           v.lPatch))
            << std::string(c.text.begin(), c.text.end()).substr(0, 40);
        EXPECT_EQ(c.expected, v)
            << std::string(c.text.begin(), c.text.end()).substr(0, 40);
    }
    Version v = kUntouched;
    EXPECT_TRUE(product.convertVersion(CQBNWCharString(), v.lMajor, v.lMinor,
                                       v.lBuild, v.lPatch));
    EXPECT_EQ(kUntouched, v);
}

// ---- reading items from the places ----

TEST_F(ProductRegistry, EachItemComesFromTheFirstPlaceThatHasIt)
{
    setText(kScratchFirst, kDefaultView, L"Version", L"1.0");
    recordProduct(kScratchSecond, kDefaultView, L"2.0", L"C:\\Second\\");
    CScratchProduct product;
    CQBNWCharString out;
    ASSERT_TRUE(product.getRegistryItem(priVersion, out));
    EXPECT_EQ(L"1.0", textOf(out));
    ASSERT_TRUE(product.getRegistryItem(priInstallPath, out));
    EXPECT_EQ(L"C:\\Second\\", textOf(out));
    ASSERT_TRUE(product.getRegistryItem(priRegistryLocation, out));
    EXPECT_EQ(kScratchSecond, textOf(out));

    out = L"kept";
    for (int item : {0, 4, -1})
        EXPECT_FALSE(product.getRegistryItem(item, out)) << item;
    EXPECT_EQ(L"kept", textOf(out));
}

// What the library asks RegOpenKeyExW for, on the scratch places only.
std::vector<REGSAM> g_scratchOpens;
void* g_pRealOpen = nullptr;

LONG WINAPI recordingOpen(HKEY hRoot, LPCWSTR szPath, DWORD dwOptions,
                          REGSAM access, PHKEY phKey)
{
    if (szPath != nullptr && std::wstring(szPath) == kScratchFirst)
        g_scratchOpens.push_back(access);
    return reinterpret_cast<decltype(&RegOpenKeyExW)>(g_pRealOpen)(
        hRoot, szPath, dwOptions, access, phKey);
}

TEST_F(ProductRegistry, AFailedReadIsRetriedWithTheViewFlagOfThePlatform)
{
    CImportRedirect redirect("advapi32.dll", "RegOpenKeyExW",
                             reinterpret_cast<void*>(&recordingOpen));
    ASSERT_TRUE(redirect.isActive());
    g_pRealOpen = redirect.original();
    // This program is 32-bit: the other view is the 64-bit one everywhere.
    const REGSAM retryView = kView64;
    CScratchProduct product;
    CQBNWCharString out;

    g_scratchOpens.clear();
    EXPECT_FALSE(product.getRegistryItem(priVersion, out));
    EXPECT_EQ((std::vector<REGSAM>{kRead, kRead | retryView}), g_scratchOpens);

    setText(kScratchFirst, kDefaultView, L"Version", L"1.0");
    g_scratchOpens.clear();
    EXPECT_TRUE(product.getRegistryItem(priVersion, out));
    EXPECT_EQ(std::vector<REGSAM>{kRead}, g_scratchOpens);
}

// ---- the security product's places ----

// The product's own key, else the legacy one; the folder comes back as
// recorded, final backslash or not.
TEST_F(ProductRegistry, VrnReadsItsOwnKeyOrTheLegacyOneInTheDefaultView)
{
    const struct {
        const wchar_t* szKey;
        const wchar_t* szVersion;
        const wchar_t* szFolder;
        Version expected;
    } cases[] = {
        {kProductKey, L"8.30.0.1", L"C:\\Program Files\\Ostrel\\Vaultrion",
         Version{8, 30, 0, 1}},
        {kLegacyKey, L"6.2", L"C:\\Secorin\\", Version{6, 2, 73, 74}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.szKey);
        removeTestKeys();
        recordProduct(c.szKey, kDefaultView, c.szVersion, c.szFolder);
        CQBNProduct_VRN product;
        CQBNWCharString text;
        ASSERT_TRUE(product.getProductVersion(text));
        EXPECT_EQ(c.szVersion, textOf(text));
        bool bRead = false;
        EXPECT_EQ(c.expected, productVersion(product, bRead));
        EXPECT_TRUE(bRead);
        ASSERT_TRUE(product.getInstallDirectory(text));
        EXPECT_EQ(c.szFolder, textOf(text));
        ASSERT_TRUE(product.getRegistryLocation(text));
        EXPECT_EQ(c.szKey, textOf(text));
    }
}

// A product recorded only in the 64-bit view is found through the retry on
// 64-bit Windows; 32-bit Windows has a single view, whatever the flag.
TEST_F(ProductRegistry, VrnKeyOnlyInThe64BitViewIsFoundByTheRetry)
{
    recordProduct(kProductKey, kView64, L"8.30.0.1", L"C:\\Vaultrion64\\");
    CQBNProduct_VRN product;
    CQBNWCharString text(L"kept");
    EXPECT_TRUE(product.getProductVersion(text));
    EXPECT_TRUE(product.getInstallDirectory(text));
    EXPECT_EQ(L"C:\\Vaultrion64\\", textOf(text));
    EXPECT_TRUE(product.getRegistryLocation(text));
    EXPECT_EQ(kProductKey, textOf(text));
    EXPECT_TRUE(product.isCoreInstalled(-1, -1, -1, -1));
}

TEST_F(ProductRegistry, VrnLocationIsThatOfTheFirstKeyWithAFolder)
{
    setText(kProductKey, kDefaultView, L"Version", L"8.30.0.1");
    recordProduct(kLegacyKey, kDefaultView, L"6.2.0.0", L"C:\\Secorin\\");
    CQBNProduct_VRN product;
    CQBNWCharString text;
    ASSERT_TRUE(product.getProductVersion(text));
    EXPECT_EQ(L"8.30.0.1", textOf(text));
    ASSERT_TRUE(product.getRegistryLocation(text));
    EXPECT_EQ(kLegacyKey, textOf(text));

    recordProduct(kProductKey, kDefaultView, L"8.30.0.1", L"C:\\Vaultrion\\");
    ASSERT_TRUE(product.getRegistryLocation(text));
    EXPECT_EQ(kProductKey, textOf(text));
}

TEST_F(ProductRegistry, VrnWithNothingRecordedAnswersFalseEverywhere)
{
    CQBNProduct_VRN product;
    CQBNWCharString text(L"kept");
    EXPECT_FALSE(product.getProductVersion(text));
    EXPECT_FALSE(product.getInstallDirectory(text));
    EXPECT_FALSE(product.getRegistryLocation(text));
    EXPECT_EQ(L"kept", textOf(text));
    bool bRead = true;
    EXPECT_EQ(kUntouched, productVersion(product, bRead));
    EXPECT_FALSE(bRead);
    EXPECT_FALSE(product.isCoreInstalled(-1, -1, -1, -1));
    EXPECT_FALSE(product.isInstalled(-1, -1, -1, -1));
}

// ---- installed ----

TEST_F(ProductRegistry, BelowVersion7TheInstalledTestAsksNoPolicy)
{
    recordProduct(kProductKey, kDefaultView, L"6.2.0.0", L"C:\\Vaultrion\\");
    // The policy says no; a version 6 product does not ask it.
    setDword(kPolicyKey, L"VRNInstall", 0);
    CQBNProduct_VRN product;
    EXPECT_TRUE(product.isInstalled(-1, -1, -1, -1));
    EXPECT_TRUE(product.isInstalled(6, 2, -1, -1));
    EXPECT_FALSE(product.isInstalled(6, 3, -1, -1));
}

TEST_F(ProductRegistry, FromVersion7TheCommonPolicyMustSayExactlyOne)
{
    for (const wchar_t* szVersion : {L"7.0.0.0", L"8.30.0.1"}) {
        recordProduct(kProductKey, kDefaultView, szVersion, L"C:\\V\\");
        CQBNProduct_VRN product;
        EXPECT_TRUE(product.isCoreInstalled(-1, -1, -1, -1));
        EXPECT_FALSE(product.isInstalled(-1, -1, -1, -1)) << "no policy";
        for (DWORD dwValue : {0ul, 2ul, 0xFFFFFFFFul}) {
            setDword(kPolicyKey, L"VRNInstall", dwValue);
            EXPECT_FALSE(product.isInstalled(-1, -1, -1, -1)) << dwValue;
        }
        setDword(kPolicyKey, L"VRNInstall", 1);
        EXPECT_TRUE(product.isInstalled(-1, -1, -1, -1));
        removeTestKeys();
    }
}

TEST_F(ProductRegistry, InstalledComparesThePatternWithTheRecordedVersion)
{
    recordProduct(kProductKey, kDefaultView, L"8.30.0.1", L"C:\\V\\");
    setDword(kPolicyKey, L"VRNInstall", 1);
    CQBNProduct_VRN product;
    EXPECT_TRUE(product.isInstalled(8, 30, -1, -1));
    EXPECT_TRUE(product.isInstalled(8, 30, 0, 1));
    EXPECT_TRUE(product.isInstalled(7, -1, -1, -1));
    EXPECT_FALSE(product.isInstalled(8, 30, 0, 2));
    EXPECT_FALSE(product.isInstalled(8, 31, -1, -1));
    EXPECT_FALSE(product.isInstalled(9, -1, -1, -1));
}

TEST_F(ProductRegistry, InvalidPatternIsRefusedWithItsOwnMessage)
{
    recordProduct(kProductKey, kDefaultView, L"8.30.0.1", L"C:\\V\\");
    setDword(kPolicyKey, L"VRNInstall", 1);
    startLog();
    CQBNProduct_VRN product;
    EXPECT_FALSE(product.isInstalled(8, -1, 1, -1));
    EXPECT_FALSE(product.isCoreInstalled(-1, 0, -1, -1));
    const std::wstring log = logText();
    EXPECT_NE(std::wstring::npos,
              log.find(L"\"A bad argument was provided ( lMinorVer, "
                       L"lBuildVer, or lPatchVer ). Cannot have value after "
                       L"QBN_DONT_CARE\""))
        << std::string(log.begin(), log.end());
}

} // namespace

// Registry keys against Wine's real registry: opening and creating, the
// enumerations, reading every value at once, hive save and restore, the two
// registry views of a 32-bit program, and that no handle outlives the
// operation that opened it.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "qbn_dbllist.h"
#include "qbn_registry_file.h"
#include "qbn_registry_key.h"
#include "support/handle_count.h"
#include "support/scratch_key.h"
#include "support/text_of.h"

namespace {

using qbntest::keyExists;
using qbntest::makeKey;
using qbntest::putText;
using qbntest::putValue;
using qbntest::ScratchKey;
using qbntest::textOf;

std::set<std::wstring> namesIn(CQBNWCharStringList& list)
{
    std::set<std::wstring> names;
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        CQBNWCharString name;
        EXPECT_TRUE(list.getCurrent(name));
        names.insert(textOf(name));
    }
    return names;
}

// A key whose DACL grants nobody anything, so that opening it is refused
// with ERROR_ACCESS_DENIED; the owner may still put the DACL back, which
// happens when the test ends so that the key can be deleted.
class DeniedKey {
public:
    DeniedKey(HKEY hRoot, const std::wstring& path)
        : m_root(hRoot), m_path(path)
    {
        makeKey(hRoot, path);
        ACL emptyAcl;
        InitializeAcl(&emptyAcl, sizeof(emptyAcl), ACL_REVISION);
        setDacl(&emptyAcl);
    }
    ~DeniedKey() { setDacl(nullptr); }
    DeniedKey(const DeniedKey&) = delete;
    DeniedKey& operator=(const DeniedKey&) = delete;

private:
    void setDacl(ACL* pAcl)
    {
        CQBNUniqueRegKey key;
        if (RegOpenKeyExW(m_root, m_path.c_str(), 0, WRITE_DAC,
                          key.receive()) != ERROR_SUCCESS)
            return;
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, pAcl, FALSE);
        RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor);
    }

    HKEY m_root;
    std::wstring m_path;
};

// A file name in the temporary folder, deleted when the test ends.
class TempFile {
public:
    TempFile()
    {
        wchar_t szDir[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, szDir);
        m_path =
            std::wstring(szDir) + L"qbn_" + qbntest::uniqueName() + L".hiv";
    }
    ~TempFile() { DeleteFileW(m_path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& path() const { return m_path; }
    bool exists() const
    {
        return GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    std::wstring m_path;
};

CQBNRegistryValent valentOf(const wchar_t* szName, DWORD dwType,
                            const void* pData, DWORD dwSize)
{
    CQBNRegistryValent valent;
    valent.name = szName;
    valent.type = dwType;
    if (dwSize != 0)
        valent.data = CQBNBuffer<unsigned char>(
            static_cast<const unsigned char*>(pData), dwSize);
    return valent;
}

std::map<std::wstring, CQBNRegistryValent> byName(CQBNRegistryValentList& list)
{
    std::map<std::wstring, CQBNRegistryValent> entries;
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        CQBNRegistryValent valent;
        EXPECT_TRUE(list.getCurrent(valent));
        entries[textOf(valent.name)] = valent;
    }
    return entries;
}

class RegistryKeyTest : public ::testing::Test {
protected:
    RegistryKeyTest() { makeKey(HKEY_CURRENT_USER, m_tree.path()); }

    CQBNRegistryKey keyAt(const std::wstring& relative,
                          bool bCreateIfMissing = false,
                          REGSAM access = kQbnKeyReadWrite) const
    {
        return CQBNRegistryKey(HKEY_CURRENT_USER, m_tree.sub(relative).c_str(),
                               access, bCreateIfMissing, 0);
    }
    std::wstring pathOf(const std::wstring& relative) const
    {
        return m_tree.sub(relative);
    }

    ScratchKey m_tree{HKEY_CURRENT_USER};
};

// ---- open, create, close, exists ----

TEST_F(RegistryKeyTest, OpenOfMissingKeyFailsAndCreatesNothing)
{
    CQBNRegistryKey key = keyAt(L"Missing");
    EXPECT_FALSE(key.open());
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(nullptr, key.getHandle());
    EXPECT_FALSE(key.exists());
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, pathOf(L"Missing")));
}

TEST_F(RegistryKeyTest, OpenWithCreateIfMissingCreatesAndOpensWholePath)
{
    CQBNRegistryKey key = keyAt(L"New\\Deeper", true);
    ASSERT_TRUE(key.open());
    EXPECT_TRUE(key.isOpen());
    const DWORD dwData = 7;
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.getHandle(), L"v", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&dwData),
                             sizeof(dwData)));
    EXPECT_TRUE(key.close());
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(nullptr, key.getHandle());
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, pathOf(L"New\\Deeper")));
}

TEST_F(RegistryKeyTest, OpenOfOpenKeyClosesAndReopensWithoutLeaking)
{
    CQBNRegistryKey key = keyAt(L"");
    ASSERT_TRUE(key.open());
    const unsigned long ulBefore = qbn_test::openHandleCount();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(key.open());
    EXPECT_EQ(ulBefore, qbn_test::openHandleCount());
    EXPECT_TRUE(key.isOpen());
    DWORD dwValues = 99;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryInfoKeyW(key.getHandle(), nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, &dwValues, nullptr,
                               nullptr, nullptr, nullptr));
}

TEST_F(RegistryKeyTest, RefusedOpenIsAFailureEvenWithCreateIfMissing)
{
    const DeniedKey denied(HKEY_CURRENT_USER, pathOf(L"Denied"));
    for (bool bCreate : {false, true}) {
        CQBNRegistryKey key = keyAt(L"Denied", bCreate, kQbnKeyRead);
        EXPECT_FALSE(key.open()) << "createIfMissing " << bCreate;
        EXPECT_FALSE(key.isOpen());
        EXPECT_EQ(nullptr, key.getHandle());
        EXPECT_FALSE(key.exists());
        unsigned long ulLength = 0;
        EXPECT_FALSE(key.getMaxValueLen(ulLength));
        CQBNWCharStringList names;
        EXPECT_FALSE(key.enumSubKeyNames(names));
    }
}

TEST_F(RegistryKeyTest, CreateLeavesKeyClosed)
{
    CQBNRegistryKey key = keyAt(L"Created");
    EXPECT_TRUE(key.create());
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(nullptr, key.getHandle());
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, pathOf(L"Created")));
    // On an open key, and on a key that exists already.
    ASSERT_TRUE(key.open());
    EXPECT_TRUE(key.create());
    EXPECT_FALSE(key.isOpen());
}

TEST_F(RegistryKeyTest, ExistsLeavesKeyClosedAndCreatesOnlyWhenAsked)
{
    EXPECT_FALSE(keyAt(L"Maybe").exists());
    CQBNRegistryKey creating = keyAt(L"Maybe", true);
    EXPECT_TRUE(creating.exists());
    EXPECT_FALSE(creating.isOpen());
    EXPECT_TRUE(keyAt(L"Maybe").exists());
}

TEST_F(RegistryKeyTest, CopiesAndAccessChangesStartClosed)
{
    CQBNRegistryKey key = keyAt(L"", false, kQbnKeyRead);
    ASSERT_TRUE(key.open());

    const CQBNRegistryKey copy(key);
    EXPECT_FALSE(copy.isOpen());
    EXPECT_EQ(HKEY_CURRENT_USER, copy.getRoot());
    EXPECT_EQ(m_tree.path(), textOf(copy.getPath()));
    EXPECT_EQ(kQbnKeyRead, copy.getAccess());

    CQBNRegistryKey assigned = keyAt(L"", false, kQbnKeyAllAccess);
    ASSERT_TRUE(assigned.open());
    assigned = key;
    EXPECT_FALSE(assigned.isOpen());
    EXPECT_EQ(kQbnKeyRead, assigned.getAccess());
    EXPECT_TRUE(key.isOpen());

    key.setAccess(kQbnKeyReadWrite);
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(kQbnKeyReadWrite, key.getAccess());
}

// ---- sub-keys ----

TEST_F(RegistryKeyTest, EnumSubKeysGivesClosedSubKeysAndStopsAtTheEnd)
{
    makeKey(HKEY_CURRENT_USER, pathOf(L"Parent\\A"));
    makeKey(HKEY_CURRENT_USER, pathOf(L"Parent\\Bb"));
    CQBNRegistryKey parent = keyAt(L"Parent", false, kQbnKeyRead);
    CQBNRegistryKey child(nullptr, CQBNWCharString(), 0, false, 0);

    std::set<std::wstring> paths;
    for (unsigned long i = 0; i < 2; ++i) {
        ASSERT_TRUE(parent.enumSubKeys(child, i));
        EXPECT_EQ(HKEY_CURRENT_USER, child.getRoot());
        EXPECT_EQ(kQbnKeyRead, child.getAccess());
        EXPECT_FALSE(child.isOpen());
        EXPECT_TRUE(child.exists());
        paths.insert(textOf(child.getPath()));
    }
    EXPECT_EQ(
        (std::set<std::wstring>{pathOf(L"Parent\\A"), pathOf(L"Parent\\Bb")}),
        paths);
    EXPECT_TRUE(parent.isOpen());
    EXPECT_FALSE(parent.enumSubKeys(child, 2));
    EXPECT_FALSE(parent.enumSubKeys(child, 1000));
    EXPECT_FALSE(keyAt(L"Missing").enumSubKeys(child, 0));
}

TEST_F(RegistryKeyTest, SubKeysOfARootHaveNoLeadingSeparator)
{
    CQBNRegistryKey root(HKEY_CURRENT_USER, CQBNWCharString(), kQbnKeyRead,
                         false, 0);
    CQBNRegistryKey child(nullptr, CQBNWCharString(), 0, false, 0);
    bool bFound = false;
    for (unsigned long i = 0; !bFound && root.enumSubKeys(child, i); ++i)
        bFound = textOf(child.getPath()) == L"Software";
    ASSERT_TRUE(bFound);
    EXPECT_TRUE(child.exists());
}

TEST_F(RegistryKeyTest, EnumSubKeyNamesListsNoneOrAll)
{
    makeKey(HKEY_CURRENT_USER, pathOf(L"Empty"));
    CQBNWCharStringList names;
    EXPECT_TRUE(keyAt(L"Empty").enumSubKeyNames(names));
    EXPECT_EQ(0u, names.getCount());

    // Names of every length up to the longest a key name may have.
    std::set<std::wstring> expected;
    for (int i = 0; i < 30; ++i)
        expected.insert(L"k" + std::to_wstring(i) +
                        std::wstring(static_cast<size_t>(i * 3), L'x'));
    expected.insert(std::wstring(255, L'L'));
    for (const std::wstring& name : expected)
        makeKey(HKEY_CURRENT_USER, pathOf(L"Many\\" + name));
    CQBNRegistryKey many = keyAt(L"Many");
    EXPECT_TRUE(many.enumSubKeyNames(names));
    EXPECT_EQ(expected, namesIn(names));

    EXPECT_FALSE(keyAt(L"Missing").enumSubKeyNames(names));
    EXPECT_EQ(0u, names.getCount());
}

// ---- values ----

TEST_F(RegistryKeyTest, EnumValueNamesSkipsTheDefaultValueAndCloses)
{
    putText(HKEY_CURRENT_USER, pathOf(L"Only"), L"", L"default");
    CQBNWCharStringList names;
    EXPECT_FALSE(keyAt(L"Only").enumValueNames(names));
    EXPECT_EQ(0u, names.getCount());

    const std::wstring longName(16383, L'n');
    putText(HKEY_CURRENT_USER, pathOf(L"Mixed"), L"", L"default");
    putText(HKEY_CURRENT_USER, pathOf(L"Mixed"), L"alpha", L"a");
    putText(HKEY_CURRENT_USER, pathOf(L"Mixed"), L"b", L"b");
    putText(HKEY_CURRENT_USER, pathOf(L"Mixed"), longName.c_str(), L"long");
    CQBNRegistryKey key = keyAt(L"Mixed");
    ASSERT_TRUE(key.open());
    EXPECT_TRUE(key.enumValueNames(names));
    EXPECT_EQ((std::set<std::wstring>{L"alpha", L"b", longName}),
              namesIn(names));
    EXPECT_FALSE(key.isOpen());
}

TEST_F(RegistryKeyTest, MaxLengthsReportNamesInCharactersAndDataInBytes)
{
    putText(HKEY_CURRENT_USER, pathOf(L"Sizes"), L"name6", L"abc");
    makeKey(HKEY_CURRENT_USER, pathOf(L"Sizes\\sub4"));
    CQBNRegistryKey key = keyAt(L"Sizes");
    unsigned long ulLength = 0;
    EXPECT_TRUE(key.getMaxValueNameLen(ulLength));
    EXPECT_EQ(5u, ulLength);
    EXPECT_TRUE(key.getMaxValueLen(ulLength));
    EXPECT_EQ(8u, ulLength);
    ASSERT_TRUE(key.open());
    EXPECT_TRUE(key.getMaxSubKeyLen(ulLength));
    EXPECT_EQ(4u, ulLength);
    EXPECT_FALSE(key.isOpen());
}

TEST_F(RegistryKeyTest, QueryMultipleValuesReadsEveryType)
{
    const std::wstring path = pathOf(L"Values");
    const wchar_t szText[] = L"hello";
    const wchar_t szExpand[] = L"%SystemRoot%\\x";
    const DWORD dwNumber = 0x1B;
    const wchar_t szMulti[] = L"a\0bc\0"; // two strings and the final 0
    const unsigned char small[3] = {1, 2, 3};
    std::vector<unsigned char> big(64 * 1024);
    std::vector<unsigned char> big2(64 * 1024 - 1);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i * 7 + i / 256);
    for (size_t i = 0; i < big2.size(); ++i)
        big2[i] = static_cast<unsigned char>(255 - i);

    const std::vector<CQBNRegistryValent> expected = {
        valentOf(L"text", REG_SZ, szText, sizeof(szText)),
        valentOf(L"expand", REG_EXPAND_SZ, szExpand, sizeof(szExpand)),
        valentOf(L"number", REG_DWORD, &dwNumber, sizeof(dwNumber)),
        valentOf(L"multi", REG_MULTI_SZ, szMulti, sizeof(szMulti)),
        valentOf(L"small", REG_BINARY, small, sizeof(small)),
        valentOf(L"big", REG_BINARY, big.data(),
                 static_cast<DWORD>(big.size())),
        valentOf(L"big2", REG_BINARY, big2.data(),
                 static_cast<DWORD>(big2.size())),
        valentOf(L"empty", REG_BINARY, nullptr, 0),
    };
    for (const CQBNRegistryValent& valent : expected)
        putValue(HKEY_CURRENT_USER, path, valent.name.getText(), valent.type,
                 valent.data.getBuffer(), valent.data.getNumElems());
    putText(HKEY_CURRENT_USER, path, L"", L"the default value");

    CQBNRegistryKey key = keyAt(L"Values", false, kQbnKeyRead);
    CQBNRegistryValentList list;
    ASSERT_TRUE(key.queryMultipleValues(list));
    EXPECT_FALSE(key.isOpen());
    std::map<std::wstring, CQBNRegistryValent> found = byName(list);
    EXPECT_EQ(expected.size(), found.size());
    for (const CQBNRegistryValent& valent : expected)
        EXPECT_TRUE(found[textOf(valent.name)] == valent)
            << "value " << textOf(valent.name).size();
}

// Values without any data need no room at all, and still come back.
TEST_F(RegistryKeyTest, QueryMultipleValuesReadsValuesWithoutData)
{
    const std::wstring path = pathOf(L"Empty");
    putValue(HKEY_CURRENT_USER, path, L"none", REG_BINARY, nullptr, 0);
    putValue(HKEY_CURRENT_USER, path, L"nothing", REG_SZ, nullptr, 0);
    CQBNRegistryValentList list;
    ASSERT_TRUE(keyAt(L"Empty").queryMultipleValues(list));
    std::map<std::wstring, CQBNRegistryValent> found = byName(list);
    EXPECT_EQ(2u, found.size());
    EXPECT_TRUE(found[L"none"] == valentOf(L"none", REG_BINARY, nullptr, 0));
    EXPECT_TRUE(found[L"nothing"] == valentOf(L"nothing", REG_SZ, nullptr, 0));
}

TEST_F(RegistryKeyTest, QueryMultipleValuesFailsWithoutNamedValues)
{
    putText(HKEY_CURRENT_USER, pathOf(L"Bare"), L"", L"default");
    CQBNRegistryValentList list;
    list.add(valentOf(L"stale", REG_SZ, L"x", 4), 0);
    EXPECT_FALSE(keyAt(L"Bare").queryMultipleValues(list));
    EXPECT_EQ(0u, list.getCount());
    EXPECT_FALSE(keyAt(L"Missing").queryMultipleValues(list));
}

TEST(RegistryValent, EqualWhenTypeNameAndBytesAreEqual)
{
    const unsigned char bytes[] = {1, 2, 3};
    const unsigned char other[] = {1, 2, 4};
    const CQBNRegistryValent base = valentOf(L"v", REG_BINARY, bytes, 3);
    EXPECT_TRUE(base == valentOf(L"v", REG_BINARY, bytes, 3));
    EXPECT_TRUE(base != valentOf(L"v", REG_SZ, bytes, 3));
    EXPECT_TRUE(base != valentOf(L"w", REG_BINARY, bytes, 3));
    EXPECT_TRUE(base != valentOf(L"v", REG_BINARY, other, 3));
    EXPECT_TRUE(base != valentOf(L"v", REG_BINARY, bytes, 2));
    EXPECT_TRUE(valentOf(L"v", REG_BINARY, nullptr, 0) ==
                valentOf(L"v", REG_BINARY, nullptr, 0));
}

// ---- names ----

TEST(RegistryKeyName, FullGivesThePathShortTheLastLevel)
{
    const CQBNRegistryKey key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Ostrel\\Logs",
                              kQbnKeyRead, false, 0);
    CQBNWCharString name;
    EXPECT_TRUE(key.getName(name, true));
    EXPECT_EQ(L"SOFTWARE\\Ostrel\\Logs", textOf(name));
    EXPECT_TRUE(key.getName(name, false));
    EXPECT_EQ(L"Logs", textOf(name));

    const CQBNRegistryKey top(HKEY_LOCAL_MACHINE, L"SOFTWARE", kQbnKeyRead,
                              false, 0);
    EXPECT_TRUE(top.getName(name, false));
    EXPECT_EQ(L"SOFTWARE", textOf(name));
}

// ---- save and restore ----

TEST_F(RegistryKeyTest, SaveAndRestoreRefuseAMissingFileName)
{
    CQBNRegistryKey key = keyAt(L"");
    EXPECT_FALSE(key.save(CQBNWCharString(), 0, true));
    EXPECT_FALSE(key.save(L"", kQbnSaveAsTextFile, true));
    EXPECT_FALSE(key.restore(CQBNWCharString(), 0));
    EXPECT_FALSE(key.restore(L"", kQbnRestoreFromTextFile));
    EXPECT_FALSE(key.isOpen());
}

TEST_F(RegistryKeyTest, SaveWritesAHiveFileAndClosesTheKey)
{
    putText(HKEY_CURRENT_USER, pathOf(L"Source"), L"kept", L"value");
    makeKey(HKEY_CURRENT_USER, pathOf(L"Source\\Child"));
    TempFile file;
    CQBNRegistryKey source = keyAt(L"Source", false, kQbnKeyRead);
    ASSERT_TRUE(source.open());
    EXPECT_TRUE(source.save(file.path().c_str(), 0, false));
    EXPECT_FALSE(source.isOpen());
    EXPECT_TRUE(file.exists());
    EXPECT_TRUE(source.save(file.path().c_str(), 0, true));

    TempFile notWritten;
    EXPECT_FALSE(keyAt(L"Missing").save(notWritten.path().c_str(), 0, true));
    EXPECT_FALSE(notWritten.exists());
    EXPECT_FALSE(keyAt(L"Missing").isOpen());
}

TEST_F(RegistryKeyTest, RestoreLoadsAHiveFile)
{
    putText(HKEY_CURRENT_USER, pathOf(L"Source"), L"kept", L"value");
    TempFile file;
    ASSERT_TRUE(keyAt(L"Source").save(file.path().c_str(), 0, true));
    makeKey(HKEY_CURRENT_USER, pathOf(L"Target"));

    CQBNRegistryKey target = keyAt(L"Target", false, kQbnKeyAllAccess);
    EXPECT_TRUE(target.restore(file.path().c_str(), REG_FORCE_RESTORE));
    target.close();
    EXPECT_FALSE(keyAt(L"Missing").restore(file.path().c_str(), 0));

    CQBNWCharStringList names;
    if (!keyAt(L"Target").enumValueNames(names))
        GTEST_SKIP() << "RegRestoreKeyW answers success without loading the "
                        "file on this Wine";
    EXPECT_EQ((std::set<std::wstring>{L"kept"}), namesIn(names));
}

// ---- handles ----

// Every operation, failing ones included, once to let Windows set up what it
// keeps for the process (predefined keys, privileges), then again to count.
TEST_F(RegistryKeyTest, NoHandleOutlivesItsOperations)
{
    putText(HKEY_CURRENT_USER, pathOf(L"Src"), L"a", L"text");
    makeKey(HKEY_CURRENT_USER, pathOf(L"Src\\Sub1"));
    makeKey(HKEY_CURRENT_USER, pathOf(L"Src\\Sub2"));
    const DeniedKey denied(HKEY_CURRENT_USER, pathOf(L"Denied"));
    TempFile file;

    auto runAll = [&]() {
        CQBNRegistryKey key = keyAt(L"Src");
        key.open();
        key.open();
        key.close();
        keyAt(L"Missing").open();
        keyAt(L"Denied", true).open();
        keyAt(L"Made", true).open();
        keyAt(L"Made2").create();
        keyAt(L"Src").exists();
        unsigned long ulLength = 0;
        key.getMaxSubKeyLen(ulLength);
        key.getMaxValueLen(ulLength);
        key.getMaxValueNameLen(ulLength);
        CQBNRegistryKey child(nullptr, CQBNWCharString(), 0, false, 0);
        key.enumSubKeys(child, 0);
        child.open();
        key.enumSubKeys(child, 5);
        CQBNWCharStringList names;
        key.enumSubKeyNames(names);
        keyAt(L"Denied").enumSubKeyNames(names);
        key.enumValueNames(names);
        CQBNRegistryValentList values;
        key.queryMultipleValues(values);
        keyAt(L"Made").queryMultipleValues(values);
        key.save(CQBNWCharString(), 0, true);
        key.save(file.path().c_str(), 0, true);
        keyAt(L"Missing").save(file.path().c_str(), 0, true);
        keyAt(L"Made").restore(file.path().c_str(), 0);
        CQBNRegistryKey copy(key);
        copy.open();
        copy = keyAt(L"Made");
    };
    runAll();
    const unsigned long ulBefore = qbn_test::openHandleCount();
    ASSERT_NE(0u, ulBefore);
    runAll();
    EXPECT_EQ(ulBefore, qbn_test::openHandleCount());
}

// ---- the two registry views of a 32-bit program ----

// HKLM\Software has a 64-bit and a 32-bit view; this test program is 32-bit,
// so its default view is the 32-bit one.
class RegistryViewTest : public ::testing::Test {
protected:
    CQBNRegistryKey keyAt(const std::wstring& relative, REGSAM access,
                          bool bCreateIfMissing = false) const
    {
        return CQBNRegistryKey(HKEY_LOCAL_MACHINE, m_tree.sub(relative).c_str(),
                               access, bCreateIfMissing, 0);
    }

    ScratchKey m_tree{HKEY_LOCAL_MACHINE};
};

TEST_F(RegistryViewTest, KeyOfOneViewIsInvisibleInTheOther)
{
    CQBNRegistryKey in64 =
        keyAt(L"Only64", kQbnKeyAllAccess | KEY_WOW64_64KEY, true);
    ASSERT_TRUE(in64.open());
    in64.close();
    EXPECT_TRUE(
        keyExists(HKEY_LOCAL_MACHINE, m_tree.sub(L"Only64"), KEY_WOW64_64KEY));
    EXPECT_FALSE(keyAt(L"Only64", kQbnKeyRead | KEY_WOW64_32KEY).exists());
    EXPECT_FALSE(keyAt(L"Only64", kQbnKeyRead).exists());

    CQBNRegistryKey in32 = keyAt(L"Only32", kQbnKeyAllAccess | KEY_WOW64_32KEY);
    ASSERT_TRUE(in32.create());
    EXPECT_TRUE(
        keyExists(HKEY_LOCAL_MACHINE, m_tree.sub(L"Only32"), KEY_WOW64_32KEY));
    EXPECT_FALSE(keyAt(L"Only32", kQbnKeyRead | KEY_WOW64_64KEY).exists());
    EXPECT_TRUE(keyAt(L"Only32", kQbnKeyRead).exists());
}

TEST_F(RegistryViewTest, SubKeysAndValuesStayInTheirView)
{
    const wchar_t szText[] = L"64";
    putValue(HKEY_LOCAL_MACHINE, m_tree.sub(L"Parent\\Child"), L"v", REG_SZ,
             szText, sizeof(szText), KEY_WOW64_64KEY);
    CQBNRegistryKey parent = keyAt(L"Parent", kQbnKeyRead | KEY_WOW64_64KEY);
    CQBNRegistryKey child(nullptr, CQBNWCharString(), 0, false, 0);
    ASSERT_TRUE(parent.enumSubKeys(child, 0));
    EXPECT_EQ(kQbnKeyRead | KEY_WOW64_64KEY, child.getAccess());

    CQBNRegistryValentList values;
    ASSERT_TRUE(child.queryMultipleValues(values));
    std::map<std::wstring, CQBNRegistryValent> found = byName(values);
    EXPECT_TRUE(found[L"v"] == valentOf(L"v", REG_SZ, szText, sizeof(szText)));

    CQBNWCharStringList names;
    EXPECT_TRUE(parent.enumSubKeyNames(names));
    EXPECT_EQ((std::set<std::wstring>{L"Child"}), namesIn(names));
    EXPECT_FALSE(
        keyAt(L"Parent", kQbnKeyRead | KEY_WOW64_32KEY).enumSubKeyNames(names));
}

} // namespace

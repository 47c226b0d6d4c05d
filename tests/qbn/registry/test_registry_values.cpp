// The typed registry values and the key's per-type list readers, against the
// real registry: each test works in a scratch key of its own, removed when it
// ends, and checks what landed in the registry byte for byte.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/handle_count.h"
#include "support/import_redirect.h"
#include "support/scratch_key.h"
#include "support/text_of.h"

#include "qbn_registry_binary.h"
#include "qbn_registry_dword.h"
#include "qbn_registry_expand.h"
#include "qbn_registry_multi_string.h"
#include "qbn_registry_string.h"

namespace {

using qbntest::ScratchKey;
using qbntest::textOf;

typedef std::vector<unsigned char> Bytes;

const REGSAM kView64 = 0x0100;
const REGSAM kView32 = 0x0200;

Bytes bytesOf(const std::wstring& units)
{
    const unsigned char* pFirst =
        reinterpret_cast<const unsigned char*>(units.data());
    return Bytes(pFirst, pFirst + units.size() * sizeof(wchar_t));
}

Bytes bytesOf(const CQBNBuffer<unsigned char>& buffer)
{
    const unsigned char* pFirst = buffer.getBuffer();
    return pFirst == nullptr ? Bytes()
                             : Bytes(pFirst, pFirst + buffer.getNumElems());
}

CQBNBuffer<unsigned char> bufferOf(const Bytes& bytes)
{
    return CQBNBuffer<unsigned char>(bytes.data(), bytes.size());
}

CQBNWCharStringList listOf(const std::vector<std::wstring>& texts)
{
    CQBNWCharStringList list;
    for (const std::wstring& text : texts)
        list.add(CQBNWCharString(text.c_str()), 0);
    return list;
}

std::vector<std::wstring> textsOf(CQBNWCharStringList& list)
{
    std::vector<std::wstring> texts;
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        CQBNWCharString text;
        list.getCurrent(text);
        texts.push_back(textOf(text));
    }
    return texts;
}

// The pairs of a list reader, ordered by name (the registry's own order is
// not promised).
template <class Pair, class List>
std::vector<Pair> pairsOf(List& list)
{
    std::vector<Pair> pairs;
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        pairs.emplace_back();
        list.getCurrent(pairs.back());
    }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
        return textOf(a.name) < textOf(b.name);
    });
    return pairs;
}

// Stands in for RegQueryValueExW in this program's import table (the library
// is linked in) and rewrites a value just before the library's `ulCall`-th
// query, so that a value changes between being measured and being read.
class ValueChangesBeforeQuery {
public:
    ValueChangesBeforeQuery(const ScratchKey& key, const wchar_t* szName,
                            const Bytes& grown, unsigned long ulCall)
        : m_key(key), m_szName(szName), m_grown(grown), m_ulCall(ulCall),
          m_redirect("advapi32.dll", "RegQueryValueExW",
                     reinterpret_cast<void*>(&standIn))
    {
        s_pActive = this;
    }

    ~ValueChangesBeforeQuery() { s_pActive = nullptr; }

    bool isInstalled() const { return m_redirect.isActive(); }

private:
    typedef LONG(WINAPI* Query)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE,
                                LPDWORD);

    static LONG WINAPI standIn(HKEY hKey, LPCWSTR szName, LPDWORD pReserved,
                               LPDWORD pType, LPBYTE pData, LPDWORD pSize)
    {
        ValueChangesBeforeQuery& self = *s_pActive;
        if (++self.m_ulCalls == self.m_ulCall)
            self.m_key.set(self.m_szName, REG_BINARY, self.m_grown);
        return reinterpret_cast<Query>(self.m_redirect.original())(
            hKey, szName, pReserved, pType, pData, pSize);
    }

    static ValueChangesBeforeQuery* s_pActive;

    const ScratchKey& m_key;
    const wchar_t* m_szName;
    Bytes m_grown;
    unsigned long m_ulCall;
    unsigned long m_ulCalls = 0;
    qbntest::CImportRedirect m_redirect;
};

ValueChangesBeforeQuery* ValueChangesBeforeQuery::s_pActive = nullptr;

class RegistryValues : public ::testing::Test {
protected:
    RegistryValues() : m_key(HKEY_CURRENT_USER, 0) {}
    void TearDown() override { m_key.remove(); }

    template <class Value>
    Value value(const wchar_t* szName, bool bCreateIfMissing = false,
                REGSAM access = kQbnKeyReadWrite)
    {
        return Value(HKEY_CURRENT_USER, m_key.path().c_str(), szName, access,
                     bCreateIfMissing, 0);
    }

    // Writers create the scratch key with their first write.
    template <class Value>
    Value writer(const wchar_t* szName)
    {
        return value<Value>(szName, true);
    }

    void expectStored(const wchar_t* szName, DWORD dwExpectedType,
                      const Bytes& expected)
    {
        DWORD dwType = 0;
        Bytes data;
        ASSERT_TRUE(m_key.get(szName, dwType, data)) << "value missing";
        EXPECT_EQ(dwExpectedType, dwType);
        EXPECT_EQ(expected, data);
    }

    bool has(const wchar_t* szName)
    {
        DWORD dwType = 0;
        Bytes data;
        return m_key.get(szName, dwType, data);
    }

    ScratchKey m_key;
};

// ---- strings ----

TEST_F(RegistryValues, StringCacheServesOnlyAfterASuccessfulWrite)
{
    m_key.setText(L"v", REG_SZ, L"hello");
    CQBNRegistryString reader = value<CQBNRegistryString>(L"v");
    CQBNWCharString out;
    ASSERT_TRUE(reader.getValue(out, true));
    EXPECT_EQ(L"hello", textOf(out));
    EXPECT_FALSE(reader.isOpen());

    // A read alone does not make the cache trusted.
    m_key.setText(L"v", REG_SZ, L"changed");
    ASSERT_TRUE(reader.getValue(out, true));
    EXPECT_EQ(L"changed", textOf(out));

    ASSERT_TRUE(reader.setValue(L"mine", false));
    m_key.setText(L"v", REG_SZ, L"theirs");
    ASSERT_TRUE(reader.getValue(out, true));
    EXPECT_EQ(L"mine", textOf(out));
    ASSERT_TRUE(reader.getValue(out, false));
    EXPECT_EQ(L"theirs", textOf(out));
    EXPECT_FALSE(reader.isOpen());
}

TEST_F(RegistryValues, StringReadNeedsItsTerminatorInsideTheBuffer)
{
    const std::wstring longest(259, L'x');
    m_key.setText(L"fits", REG_SZ, longest);
    m_key.setText(L"tooLong", REG_SZ, longest + L'y');
    // The same 260 characters without a terminator fill the buffer exactly.
    m_key.set(L"unterminated", REG_SZ, bytesOf(longest + L'y'));
    Bytes oddFill = bytesOf(longest);
    oddFill.push_back('z');
    m_key.set(L"oddFill", REG_SZ, oddFill);
    m_key.set(L"embedded", REG_SZ, bytesOf(std::wstring(L"ab\0cd", 5)));

    CQBNWCharString out;
    ASSERT_TRUE(value<CQBNRegistryString>(L"fits").getValue(out, false));
    EXPECT_EQ(longest, textOf(out));
    for (const wchar_t* szName : {L"tooLong", L"unterminated", L"oddFill"})
        EXPECT_FALSE(value<CQBNRegistryString>(szName).getValue(out, false))
            << szName;
    ASSERT_TRUE(value<CQBNRegistryString>(L"embedded").getValue(out, false));
    EXPECT_EQ(L"ab", textOf(out));
}

TEST_F(RegistryValues, StringWriteSendsItsStorageOrOneZeroForANullString)
{
    ASSERT_TRUE(writer<CQBNRegistryString>(L"text").setValue(L"abc", false));
    expectStored(L"text", REG_SZ, bytesOf(std::wstring(L"abc\0", 4)));
    ASSERT_TRUE(
        writer<CQBNRegistryString>(L"null").setValue(CQBNWCharString(), false));
    expectStored(L"null", REG_SZ, Bytes(2, 0));

    // A refused write leaves the registry and the cache's trust alone.
    CQBNRegistryString readOnly =
        value<CQBNRegistryString>(L"text", false, kQbnKeyRead);
    EXPECT_FALSE(readOnly.setValue(L"new", false));
    EXPECT_FALSE(readOnly.isCacheValid());
    EXPECT_FALSE(readOnly.isOpen());
    expectStored(L"text", REG_SZ, bytesOf(std::wstring(L"abc\0", 4)));
}

// ---- the missing-value rule, for every type ----

TEST_F(RegistryValues, MissingValueFailsUnlessItMayBeCreatedEmpty)
{
    CQBNWCharString text;
    unsigned long ulNumber = 7;
    CQBNWCharStringList texts;
    CQBNBuffer<unsigned char> bytes;
    EXPECT_FALSE(value<CQBNRegistryString>(L"s").getValue(text, false));
    EXPECT_FALSE(value<CQBNRegistryDword>(L"d").getValue(ulNumber, false));
    EXPECT_FALSE(value<CQBNRegistryMultiString>(L"m").getValue(texts, false));
    EXPECT_FALSE(value<CQBNRegistryBinary>(L"b").getValue(bytes, false));
    EXPECT_FALSE(m_key.exists());

    CQBNRegistryDword number = writer<CQBNRegistryDword>(L"d");
    ASSERT_TRUE(number.getValue(ulNumber, false));
    EXPECT_EQ(0u, ulNumber);
    EXPECT_TRUE(number.isCacheValid());
    EXPECT_FALSE(number.isOpen());
    expectStored(L"d", REG_DWORD, Bytes(4, 0));

    ASSERT_TRUE(writer<CQBNRegistryString>(L"s").getValue(text, false));
    EXPECT_EQ(0u, text.getLength());
    expectStored(L"s", REG_SZ, Bytes(2, 0));
    texts = listOf({L"stale"});
    ASSERT_TRUE(writer<CQBNRegistryMultiString>(L"m").getValue(texts, false));
    EXPECT_EQ(0u, texts.getCount());
    expectStored(L"m", REG_MULTI_SZ, Bytes());
    bytes = bufferOf(Bytes{1});
    ASSERT_TRUE(writer<CQBNRegistryBinary>(L"b").getValue(bytes, false));
    EXPECT_EQ(0u, bytes.getNumElems());
    expectStored(L"b", REG_BINARY, Bytes());
}

// ---- expandable strings ----

TEST_F(RegistryValues, ExpandWriteNeedsPairedPercentMarks)
{
    // Refused before the key is touched: the key is not even created.
    EXPECT_FALSE(
        writer<CQBNRegistryStringExpand>(L"x").setValue(L"plain", false));
    EXPECT_FALSE(m_key.exists());

    ASSERT_TRUE(writer<CQBNRegistryStringExpand>(L"good").setValue(
        L"%ProgramFiles%\\dir", false));
    expectStored(L"good", REG_EXPAND_SZ,
                 bytesOf(std::wstring(L"%ProgramFiles%\\dir") + L'\0'));

    m_key.setText(L"odd", REG_EXPAND_SZ, L"%A%");
    EXPECT_FALSE(
        value<CQBNRegistryStringExpand>(L"odd").setValue(L"100%", false));
    expectStored(L"odd", REG_EXPAND_SZ, bytesOf(std::wstring(L"%A%\0", 4)));
}

TEST_F(RegistryValues, ExpandReadReplacesVariablesOnRequest)
{
    const std::wstring variable =
        L"QBN_RV_EXPAND_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(SetEnvironmentVariableW(variable.c_str(), L"C:\\qbn"));
    const std::wstring stored = L"%" + variable + L"%\\sub";
    m_key.setText(L"v", REG_EXPAND_SZ, stored);

    CQBNRegistryStringExpand reader = value<CQBNRegistryStringExpand>(L"v");
    CQBNWCharString out;
    ASSERT_TRUE(reader.getValue(out, false, true));
    EXPECT_EQ(L"C:\\qbn\\sub", textOf(out));
    ASSERT_TRUE(reader.getValue(out, false, false));
    EXPECT_EQ(stored, textOf(out));
    SetEnvironmentVariableW(variable.c_str(), nullptr);
}

// ---- DWORDs ----

TEST_F(RegistryValues, DwordTakesAtMostFourBytesLittleEndian)
{
    ASSERT_TRUE(writer<CQBNRegistryDword>(L"n").setValue(0xDEADBEEF, false));
    expectStored(L"n", REG_DWORD, Bytes{0xEF, 0xBE, 0xAD, 0xDE});

    m_key.set(L"short", REG_BINARY, Bytes{0x34, 0x12});
    m_key.set(L"wide", REG_QWORD, Bytes(8, 1));
    unsigned long ulOut = 0xFFFFFFFF;
    ASSERT_TRUE(value<CQBNRegistryDword>(L"short").getValue(ulOut, false));
    EXPECT_EQ(0x1234u, ulOut);
    EXPECT_FALSE(value<CQBNRegistryDword>(L"wide").getValue(ulOut, false));
}

// ---- multi-strings ----

TEST_F(RegistryValues, MultiStringEncodesToTheByte)
{
    ASSERT_TRUE(writer<CQBNRegistryMultiString>(L"ab").setValue(
        listOf({L"a", L"b"}), false));
    expectStored(L"ab", REG_MULTI_SZ,
                 Bytes{0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0});
    ASSERT_TRUE(writer<CQBNRegistryMultiString>(L"none").setValue(
        CQBNWCharStringList(), false));
    expectStored(L"none", REG_MULTI_SZ, Bytes());

    // A string cut inside longer storage adds only its text, so the strings
    // after it stay readable.
    CQBNWCharString cut(L"xyz");
    cut[1] = 0;
    CQBNWCharStringList withCut;
    withCut.add(cut, 0);
    withCut.add(L"b", 0);
    ASSERT_TRUE(
        writer<CQBNRegistryMultiString>(L"cut").setValue(withCut, false));
    expectStored(L"cut", REG_MULTI_SZ, bytesOf(std::wstring(L"x\0b\0\0", 5)));

    // Without writing only the cache changes.
    CQBNRegistryMultiString later = writer<CQBNRegistryMultiString>(L"later");
    EXPECT_TRUE(later.setValue(listOf({L"c"}), true));
    EXPECT_FALSE(has(L"later"));
    ASSERT_TRUE(later.writeRegistry());
    expectStored(L"later", REG_MULTI_SZ, bytesOf(std::wstring(L"c\0\0", 3)));
}

TEST_F(RegistryValues, MultiStringDecodesWhateverTheDataHolds)
{
    struct Case {
        const wchar_t* szName;
        std::wstring data;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {L"pair", std::wstring(L"a\0b\0\0", 5), {L"a", L"b"}},
        {L"oneZero", std::wstring(1, L'\0'), {L""}},
        {L"singleEnd", std::wstring(L"a\0b\0", 4), {L"a", L"b"}},
        {L"noEnd", std::wstring(L"a\0b", 3), {L"a", L"b"}},
        {L"trailing", std::wstring(L"a\0\0junk\0\0", 9), {L"a"}},
        {L"empty", std::wstring(), {}},
    };
    for (const Case& c : cases)
        m_key.set(c.szName, REG_MULTI_SZ, bytesOf(c.data));
    // The largest value in the key sizes the read buffer.
    m_key.set(L"big", REG_BINARY, Bytes(4096, 0x41));

    for (const Case& c : cases) {
        CQBNRegistryMultiString reader =
            value<CQBNRegistryMultiString>(c.szName);
        CQBNWCharStringList out = listOf({L"stale"});
        ASSERT_TRUE(reader.getValue(out, false)) << c.szName;
        EXPECT_EQ(c.expected, textsOf(out)) << c.szName;
        EXPECT_TRUE(reader.isCacheValid());
        EXPECT_FALSE(reader.isOpen());
    }
}

// ---- binary ----

TEST_F(RegistryValues, BinaryRoundTripsLargeDataAndEveryByteValue)
{
    Bytes large(64 * 1024);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<unsigned char>(i * 7 + i / 256);
    ASSERT_TRUE(
        writer<CQBNRegistryBinary>(L"large").setValue(bufferOf(large), false));
    expectStored(L"large", REG_BINARY, large);
    Bytes every(256);
    for (size_t i = 0; i < every.size(); ++i)
        every[i] = static_cast<unsigned char>(i);
    m_key.set(L"every", REG_BINARY, every);
    m_key.set(L"empty", REG_BINARY, Bytes());

    CQBNBuffer<unsigned char> out;
    ASSERT_TRUE(value<CQBNRegistryBinary>(L"large").getValue(out, false));
    EXPECT_EQ(large, bytesOf(out));
    ASSERT_TRUE(value<CQBNRegistryBinary>(L"every").getValue(out, false));
    EXPECT_EQ(every, bytesOf(out));
    ASSERT_TRUE(value<CQBNRegistryBinary>(L"empty").getValue(out, false));
    EXPECT_EQ(0u, out.getNumElems());
}

// ---- values that change between being measured and being read ----

TEST_F(RegistryValues, ValueThatGrowsBeforeItIsReadFailsCleanly)
{
    // From no data a read would get no room at all; from some, too little.
    for (const Bytes& before : {Bytes(), Bytes(4, 0)}) {
        m_key.set(L"b", REG_BINARY, before);
        m_key.set(L"m", REG_MULTI_SZ, before);
        CQBNRegistryBinary binary = value<CQBNRegistryBinary>(L"b");
        CQBNRegistryMultiString multi = value<CQBNRegistryMultiString>(L"m");
        CQBNBuffer<unsigned char> bytes = bufferOf(Bytes{9});
        CQBNWCharStringList texts;
        {
            // The binary read measures with its first query, reads with the
            // second; the multi-string read measures the key beforehand.
            ValueChangesBeforeQuery grows(m_key, L"b", Bytes(64, 2), 2);
            ASSERT_TRUE(grows.isInstalled());
            EXPECT_FALSE(binary.getValue(bytes, false));
        }
        {
            // Past the largest value in the key, the measure it was read by.
            ValueChangesBeforeQuery grows(m_key, L"m", Bytes(256, 0x61), 1);
            EXPECT_FALSE(multi.getValue(texts, false));
        }
        EXPECT_EQ(Bytes{9}, bytesOf(bytes));
        EXPECT_FALSE(binary.isCacheValid());
        EXPECT_FALSE(binary.isOpen());
        EXPECT_FALSE(multi.isOpen());
    }
}

// ---- list readers ----

TEST_F(RegistryValues, EachListReaderReturnsOnlyItsType)
{
    const std::wstring variable =
        L"QBN_RV_LIST_" + std::to_wstring(GetCurrentProcessId());
    SetEnvironmentVariableW(variable.c_str(), L"D:\\x");
    m_key.setText(L"s1", REG_SZ, L"one");
    m_key.setText(L"e1", REG_EXPAND_SZ, L"%" + variable + L"%\\y");
    m_key.set(L"d1", REG_DWORD, Bytes{7, 0, 0, 0});
    m_key.set(L"m1", REG_MULTI_SZ, bytesOf(std::wstring(L"a\0b\0\0", 5)));
    m_key.set(L"b1", REG_BINARY, Bytes{1, 2, 3});
    m_key.setText(L"s2", REG_SZ, L"two");
    CQBNRegistryKey reader(HKEY_CURRENT_USER, m_key.path().c_str(), kQbnKeyRead,
                           false, 0);

    CQBNRegistryStringValueList strings;
    ASSERT_TRUE(reader.getStringValues(strings));
    const auto stringPairs = pairsOf<CQBNRegistryStringValue>(strings);
    ASSERT_EQ(2u, stringPairs.size());
    EXPECT_EQ(L"s1", textOf(stringPairs[0].name));
    EXPECT_EQ(L"one", textOf(stringPairs[0].data));
    EXPECT_EQ(L"two", textOf(stringPairs[1].data));

    ASSERT_TRUE(reader.getExpandStringValues(strings, false));
    auto expandPairs = pairsOf<CQBNRegistryStringValue>(strings);
    ASSERT_EQ(1u, expandPairs.size());
    EXPECT_EQ(L"%" + variable + L"%\\y", textOf(expandPairs[0].data));
    ASSERT_TRUE(reader.getExpandStringValues(strings, true));
    expandPairs = pairsOf<CQBNRegistryStringValue>(strings);
    ASSERT_EQ(1u, expandPairs.size());
    EXPECT_EQ(L"e1", textOf(expandPairs[0].name));
    EXPECT_EQ(L"D:\\x\\y", textOf(expandPairs[0].data));
    SetEnvironmentVariableW(variable.c_str(), nullptr);

    CQBNRegistryDwordValueList dwords;
    ASSERT_TRUE(reader.getDwordValues(dwords));
    const auto dwordPairs = pairsOf<CQBNRegistryDwordValue>(dwords);
    ASSERT_EQ(1u, dwordPairs.size());
    EXPECT_EQ(L"d1", textOf(dwordPairs[0].name));
    EXPECT_EQ(7u, dwordPairs[0].data);

    CQBNRegistryMultiStringValueList multis;
    ASSERT_TRUE(reader.getMultiStringValues(multis));
    auto multiPairs = pairsOf<CQBNRegistryMultiStringValue>(multis);
    ASSERT_EQ(1u, multiPairs.size());
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}),
              textsOf(multiPairs[0].data));

    CQBNRegistryBinaryValueList binaries;
    ASSERT_TRUE(reader.getBinaryValues(binaries));
    const auto binaryPairs = pairsOf<CQBNRegistryBinaryValue>(binaries);
    ASSERT_EQ(1u, binaryPairs.size());
    EXPECT_EQ((Bytes{1, 2, 3}), bytesOf(binaryPairs[0].data));
    EXPECT_FALSE(reader.isOpen());
}

TEST_F(RegistryValues, StringListOfAnAllDwordKeyIsEmptyAndTrue)
{
    m_key.set(L"d1", REG_DWORD, Bytes(4, 1));
    m_key.set(L"d2", REG_DWORD, Bytes(4, 2));
    CQBNRegistryKey reader(HKEY_CURRENT_USER, m_key.path().c_str(), kQbnKeyRead,
                           false, 0);
    CQBNRegistryStringValueList list;
    list.add(CQBNRegistryStringValue(), 0);
    EXPECT_TRUE(reader.getStringValues(list));
    EXPECT_EQ(0u, list.getCount());
}

// The readers share one reading of the key while its values stay as they
// were; whatever changes between two calls on the same key object shows in
// the next, and the object gives back what it kept when it goes.
TEST_F(RegistryValues, ListReadersSeeEveryChangeBetweenCalls)
{
    typedef std::vector<std::pair<std::wstring, unsigned long>> Numbers;
    const auto number = [](unsigned char byte) { return Bytes{byte, 0, 0, 0}; };
    m_key.set(L"a", REG_DWORD, number(1));
    const unsigned long ulHandles = qbn_test::openHandleCount();
    const struct {
        const char* szWhat;
        std::function<void()> change;
        bool bRead;
        Numbers expected;
    } steps[] = {
        {"nothing", [] {}, true, {{L"a", 1}}},
        {"the data, same size",
         [&] { m_key.set(L"a", REG_DWORD, number(2)); },
         true,
         {{L"a", 2}}},
        {"a value added",
         [&] { m_key.set(L"b", REG_DWORD, number(3)); },
         true,
         {{L"a", 2}, {L"b", 3}}},
        {"a value of another type added",
         [&] { m_key.setText(L"s", REG_SZ, L"text"); },
         true,
         {{L"a", 2}, {L"b", 3}}},
        {"a value deleted",
         [&] { qbntest::deleteValue(HKEY_CURRENT_USER, m_key.path(), L"a"); },
         true,
         {{L"b", 3}}},
        {"the key deleted and made again with the same names",
         [&] {
             m_key.remove();
             m_key.set(L"b", REG_DWORD, number(4));
             m_key.setText(L"s", REG_SZ, L"text");
         },
         true,
         {{L"b", 4}}},
        {"the key deleted", [&] { m_key.remove(); }, false, {}},
    };
    {
        CQBNRegistryKey reader(HKEY_CURRENT_USER, m_key.path().c_str(),
                               kQbnKeyRead, false, 0);
        // Named in each message rather than with SCOPED_TRACE, whose
        // first use gives gtest a thread handle of its own to count.
        for (const auto& step : steps) {
            step.change();
            CQBNRegistryDwordValueList dwords;
            CQBNRegistryStringValueList strings;
            EXPECT_EQ(step.bRead, reader.getDwordValues(dwords)) << step.szWhat;
            EXPECT_EQ(step.bRead, reader.getStringValues(strings))
                << step.szWhat;
            Numbers numbers;
            for (const auto& pair : pairsOf<CQBNRegistryDwordValue>(dwords))
                numbers.emplace_back(textOf(pair.name), pair.data);
            EXPECT_EQ(step.expected, numbers) << step.szWhat;
            EXPECT_FALSE(reader.isOpen()) << step.szWhat;
        }
    }
    EXPECT_EQ(ulHandles, qbn_test::openHandleCount());
}

// ---- registry views (the test program is 32-bit on 64-bit Windows) ----

class RegistryValueViews : public ::testing::Test {
protected:
    RegistryValueViews()
        : m_view64(HKEY_LOCAL_MACHINE, kView64), m_view32(m_view64, kView32)
    {
    }
    void TearDown() override
    {
        m_view64.remove();
        m_view32.remove();
    }

    ScratchKey m_view64;
    ScratchKey m_view32;
};

TEST_F(RegistryValueViews, AValueWrittenInOneViewIsNotReadInTheOther)
{
    const CQBNWCharString path(m_view64.path().c_str());
    ASSERT_TRUE(CQBNRegistryString(HKEY_LOCAL_MACHINE, path, L"v",
                                   kQbnKeyReadWrite | m_view64.view(), true, 0)
                    .setValue(L"sixty-four", false));
    ASSERT_TRUE(CQBNRegistryDword(HKEY_LOCAL_MACHINE, path, L"n",
                                  kQbnKeyReadWrite | m_view32.view(), true, 0)
                    .setValue(32, false));

    CQBNWCharString text;
    EXPECT_FALSE(CQBNRegistryString(HKEY_LOCAL_MACHINE, path, L"v",
                                    kQbnKeyRead | kView32, false, 0)
                     .getValue(text, false));
    ASSERT_TRUE(CQBNRegistryString(HKEY_LOCAL_MACHINE, path, L"v",
                                   kQbnKeyRead | kView64, false, 0)
                    .getValue(text, false));
    EXPECT_EQ(L"sixty-four", textOf(text));

    unsigned long ulNumber = 0;
    EXPECT_FALSE(CQBNRegistryDword(HKEY_LOCAL_MACHINE, path, L"n",
                                   kQbnKeyRead | kView64, false, 0)
                     .getValue(ulNumber, false));
    ASSERT_TRUE(CQBNRegistryDword(HKEY_LOCAL_MACHINE, path, L"n",
                                  kQbnKeyRead | kView32, false, 0)
                    .getValue(ulNumber, false));
    EXPECT_EQ(32u, ulNumber);
}

TEST_F(RegistryValueViews, ExpandListReaderStaysInTheKeysView)
{
    const std::wstring variable =
        L"QBN_RV_VIEW_" + std::to_wstring(GetCurrentProcessId());
    SetEnvironmentVariableW(variable.c_str(), L"E:\\z");
    m_view64.setText(L"e", REG_EXPAND_SZ, L"%" + variable + L"%");

    CQBNRegistryKey reader(HKEY_LOCAL_MACHINE, m_view64.path().c_str(),
                           kQbnKeyRead | kView64, false, 0);
    CQBNRegistryStringValueList list;
    ASSERT_TRUE(reader.getExpandStringValues(list, true));
    const auto pairs = pairsOf<CQBNRegistryStringValue>(list);
    ASSERT_EQ(1u, pairs.size());
    EXPECT_EQ(L"E:\\z", textOf(pairs[0].data));
    SetEnvironmentVariableW(variable.c_str(), nullptr);
}

} // namespace

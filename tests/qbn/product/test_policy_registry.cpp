// Policy settings against the real registry: reading and writing at each
// location, the cache, the registry views, and the 32-bit view mirror of
// string writes. Every key a test writes is removed when it ends.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qbn_policy_dword_setting.h"
#include "qbn_policy_string_setting.h"
#include "support/handle_count.h"
#include "test_policy_support.h"

using namespace policytest;

namespace {

const wchar_t kDwordName[] = L"TestDword";
const wchar_t kStringName[] = L"TestString";
const unsigned long kDwordDefault = 42;
const unsigned long kUntouched = 0xDEAD;

CQBNPolicyDwordSetting dwordSetting(bool bAlso32BitView = false,
                                    const wchar_t* szSubKey = L"Vaultrion",
                                    unsigned long ulSource = psRegistry)
{
    return CQBNPolicyDwordSetting(L"Ostrel", L"QBN Common", 20, ulSource,
                                  L"1.0", kDwordName, szSubKey, kDwordDefault,
                                  bAlso32BitView);
}

CQBNPolicyStringSetting stringSetting(bool bExpand, bool bAlso32BitView)
{
    return CQBNPolicyStringSetting(L"Ostrel", L"QBN Common", 21, psRegistry,
                                   L"1.0", kStringName, L"Vaultrion",
                                   L"default", bExpand, bAlso32BitView);
}

KeyRef vaultrionAt(SP::PolicyLocation location)
{
    return placeOf(location, L"Vaultrion");
}

unsigned long writesIn(const std::vector<RegCall>& calls)
{
    unsigned long ulWrites = 0;
    for (const RegCall& call : calls)
        ulWrites += call.kind == rcSet ? 1 : 0;
    return ulWrites;
}

class PolicySettingRegistry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_keys.startsClean()); }

    // A plain string write of `setting` at the machine settings key, with
    // every registry call it made.
    std::vector<RegCall> recordStringWrite(CQBNPolicyStringSetting& setting,
                                           const wchar_t* szText,
                                           bool& bWritten,
                                           unsigned long ulFailWrite = 0)
    {
        EXPECT_EQ(ERROR_SUCCESS,
                  plantDword(vaultrionAt(SP::MachineSetting), L"Other", 0));
        CRegistryRecorder recorder;
        EXPECT_TRUE(recorder.isActive());
        recorder.failWriteNumber = ulFailWrite;
        bWritten =
            setting.setPolicy(SP::MachineSetting, szText, false, L"", false);
        return recorder.productCalls();
    }

    CPolicyKeyGuard m_keys;
};

} // namespace

// ---- reading ----

TEST_F(PolicySettingRegistry, CacheAnswersOnlyWhenAskedAndFilled)
{
    const KeyRef key = vaultrionAt(SP::MachineSetting);
    CQBNPolicyDwordSetting setting = dwordSetting();
    unsigned long ulValue = 0;
    ASSERT_EQ(ERROR_SUCCESS, plantDword(key, kDwordName, 5));
    EXPECT_TRUE(setting.getPolicy(SP::MachineSetting, ulValue, true, L""));
    EXPECT_EQ(5u, ulValue) << "an empty cache reads the registry";
    ASSERT_EQ(ERROR_SUCCESS, plantDword(key, kDwordName, 6));
    EXPECT_TRUE(setting.getPolicy(SP::MachineSetting, ulValue, true, L""));
    EXPECT_EQ(5u, ulValue);
    EXPECT_TRUE(setting.getPolicy(SP::MachineSetting, ulValue, false, L""));
    EXPECT_EQ(6u, ulValue);
    removeValue(key, kDwordName);
    ulValue = kUntouched;
    EXPECT_FALSE(setting.getPolicy(SP::MachineSetting, ulValue, false, L""));
    EXPECT_EQ(kUntouched, ulValue);
    EXPECT_TRUE(setting.getPolicy(SP::MachineSetting, ulValue, true, L""));
    EXPECT_EQ(6u, ulValue) << "a failed read keeps the cache";
    EXPECT_EQ(kDwordDefault, setting.getValue());
    CQBNPolicyDwordSetting fresh = dwordSetting();
    EXPECT_FALSE(fresh.getPolicy(SP::MachineSetting, ulValue, true, L""));
    EXPECT_EQ(6u, ulValue);
}

// A copy that claims a cached value must hold the one that was read, not
// the source's default.
TEST_F(PolicySettingRegistry, CopiesCarryTheCachedValue)
{
    const KeyRef key = vaultrionAt(SP::MachineSetting);
    ASSERT_EQ(ERROR_SUCCESS, plantDword(key, kDwordName, 5));
    CQBNPolicyDwordSetting setting = dwordSetting();
    unsigned long ulValue = 0;
    ASSERT_TRUE(setting.getPolicy(SP::MachineSetting, ulValue, false, L""));
    removeValue(key, kDwordName);
    CQBNPolicyDwordSetting constructed(setting);
    CQBNPolicyDwordSetting assigned;
    assigned = setting;
    for (CQBNPolicyDwordSetting* pCopy : {&constructed, &assigned}) {
        ulValue = kUntouched;
        EXPECT_TRUE(pCopy->getPolicy(SP::MachineSetting, ulValue, true, L""));
        EXPECT_EQ(5u, ulValue);
        EXPECT_TRUE(*pCopy == setting);
    }
}

TEST_F(PolicySettingRegistry, ExpandableValuesAreReadExpanded)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"QBNPOLICYTEST", L"C:\\Expanded"));
    ASSERT_EQ(ERROR_SUCCESS,
              plantText(vaultrionAt(SP::UserSetting), kStringName,
                        L"%QBNPOLICYTEST%\\bin", REG_EXPAND_SZ));
    CQBNWCharString text;
    CQBNPolicyStringSetting expand = stringSetting(true, false);
    EXPECT_TRUE(expand.getPolicy(SP::UserSetting, text, false, L""));
    EXPECT_STREQ(L"C:\\Expanded\\bin", text.getText());
    CQBNPolicyStringSetting plain = stringSetting(false, false);
    EXPECT_TRUE(plain.getPolicy(SP::UserSetting, text, false, L""));
    EXPECT_STREQ(L"%QBNPOLICYTEST%\\bin", text.getText());
    SetEnvironmentVariableW(L"QBNPOLICYTEST", nullptr);
}

// A 32-bit program's default view of HKLM\Software is the 32-bit one; the
// settings read there, not in the 64-bit view.
TEST_F(PolicySettingRegistry, ReadsUseKeyReadInTheDefaultView)
{
    const KeyRef key = vaultrionAt(SP::MachineSetting);
    ASSERT_EQ(ERROR_SUCCESS, plantDword(inView(key, kView64), kDwordName, 64));
    CQBNPolicyDwordSetting setting = dwordSetting();
    unsigned long ulValue = kUntouched;
    CRegistryRecorder recorder;
    ASSERT_TRUE(recorder.isActive());
    const bool bRead =
        setting.getPolicy(SP::MachineSetting, ulValue, false, L"");
    const std::vector<RegCall> calls = recorder.productCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(rcOpen, calls[0].kind);
    EXPECT_EQ(key.path, calls[0].path);
    EXPECT_EQ(static_cast<REGSAM>(0x20019), calls[0].sam);
    // On 32-bit Windows there is one view only, and the value is in it.
    EXPECT_EQ(!isWow64(), bRead);
}

// ---- writing ----

TEST_F(PolicySettingRegistry, DwordWriteCreatesOnlyWhenAskedAndFillsCache)
{
    const KeyRef key = vaultrionAt(SP::UserSetting);
    CQBNPolicyDwordSetting setting = dwordSetting(true);
    unsigned long ulValue = kUntouched;
    EXPECT_FALSE(setting.setPolicy(SP::UserSetting, 9, false, L"", false));
    EXPECT_FALSE(keyExists(key));
    EXPECT_FALSE(setting.getPolicy(SP::UserSetting, ulValue, true, L""));
    CRegistryRecorder recorder;
    ASSERT_TRUE(recorder.isActive());
    EXPECT_TRUE(setting.setPolicy(SP::UserSetting, 9, true, L"", false));
    DWORD dwType = 0;
    DWORD dwNumber = 0;
    std::wstring text;
    ASSERT_TRUE(readBack(key, kDwordName, dwType, text, dwNumber));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), dwType);
    EXPECT_EQ(9u, dwNumber);
    // A DWORD is written once, whatever the view flag says.
    EXPECT_EQ(1u, writesIn(recorder.productCalls()));
    removeValue(key, kDwordName);
    EXPECT_TRUE(setting.getPolicy(SP::UserSetting, ulValue, true, L""));
    EXPECT_EQ(9u, ulValue) << "the written value is cached";
    EXPECT_EQ(kDwordDefault, setting.getValue());
}

TEST_F(PolicySettingRegistry, WritesAskForReadWriteAndPassVolatility)
{
    ASSERT_EQ(ERROR_SUCCESS,
              plantDword(placeOf(SP::MachineSetting, L""), L"Other", 0));
    CQBNPolicyDwordSetting setting = dwordSetting(false, L"Volatile");
    CRegistryRecorder recorder;
    ASSERT_TRUE(recorder.isActive());
    EXPECT_TRUE(setting.setPolicy(SP::MachineSetting, 1, true, L"", true));
    bool bCreated = false;
    for (const RegCall& call : recorder.productCalls()) {
        if (call.kind == rcSet)
            continue;
        EXPECT_EQ(static_cast<REGSAM>(0x2001F), call.sam);
        if (call.kind == rcCreate) {
            EXPECT_EQ(static_cast<DWORD>(REG_OPTION_VOLATILE), call.dwOptions);
            bCreated = true;
        }
    }
    EXPECT_TRUE(bCreated);
}

TEST_F(PolicySettingRegistry, ExpandableWriteStoresExpandType)
{
    CQBNPolicyStringSetting setting = stringSetting(true, true);
    CRegistryRecorder recorder;
    ASSERT_TRUE(recorder.isActive());
    EXPECT_TRUE(
        setting.setPolicy(SP::UserSetting, L"%TEMP%\\x", true, L"", false));
    EXPECT_EQ(1u, writesIn(recorder.productCalls())) << "never mirrored";
    DWORD dwType = 0;
    DWORD dwNumber = 0;
    std::wstring text;
    ASSERT_TRUE(readBack(vaultrionAt(SP::UserSetting), kStringName, dwType,
                         text, dwNumber));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), dwType);
    EXPECT_EQ(L"%TEMP%\\x", text);
}

TEST_F(PolicySettingRegistry, PlainStringWriteIsMirroredIntoThe32BitView)
{
    CQBNPolicyStringSetting setting = stringSetting(false, true);
    bool bWritten = false;
    const std::vector<RegCall> calls =
        recordStringWrite(setting, L"alice", bWritten);
    EXPECT_TRUE(bWritten);
    std::vector<REGSAM> writeKeys;
    REGSAM lastOpen = 0;
    for (const RegCall& call : calls) {
        if (call.kind == rcOpen)
            lastOpen = call.sam;
        if (call.kind == rcSet) {
            EXPECT_EQ(L"alice", call.text);
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), call.dwType);
            writeKeys.push_back(lastOpen);
        }
    }
    EXPECT_EQ((std::vector<REGSAM>{0x2001F, 0x2001F | kView32}), writeKeys);
    const KeyRef key = vaultrionAt(SP::MachineSetting);
    EXPECT_TRUE(hasValue(inView(key, kView32), kStringName));
    EXPECT_EQ(!isWow64(), hasValue(inView(key, kView64), kStringName));
    CQBNPolicyStringSetting unflagged = stringSetting(false, false);
    EXPECT_EQ(1u, writesIn(recordStringWrite(unflagged, L"bob", bWritten)));
    EXPECT_TRUE(bWritten);
}

TEST_F(PolicySettingRegistry, FailedMirrorDoesNotChangeTheOutcome)
{
    CQBNPolicyStringSetting setting = stringSetting(false, true);
    bool bWritten = false;
    EXPECT_EQ(2u, writesIn(recordStringWrite(setting, L"carol", bWritten, 2)));
    EXPECT_TRUE(bWritten);
    removeValue(vaultrionAt(SP::MachineSetting), kStringName);
    CQBNWCharString text;
    EXPECT_TRUE(setting.getPolicy(SP::MachineSetting, text, true, L""));
    EXPECT_STREQ(L"carol", text.getText());
}

TEST_F(PolicySettingRegistry, FailedWriteIsNotMirroredAndNotCached)
{
    CQBNPolicyStringSetting setting = stringSetting(false, true);
    bool bWritten = true;
    EXPECT_EQ(1u, writesIn(recordStringWrite(setting, L"dave", bWritten, 1)));
    EXPECT_FALSE(bWritten);
    EXPECT_FALSE(hasValue(vaultrionAt(SP::MachineSetting), kStringName));
    CQBNWCharString text(L"untouched");
    EXPECT_FALSE(setting.getPolicy(SP::MachineSetting, text, true, L""));
    EXPECT_STREQ(L"untouched", text.getText());
}

TEST_F(PolicySettingRegistry, OtherSourcesNeitherReadNorWrite)
{
    ASSERT_EQ(ERROR_SUCCESS,
              plantDword(vaultrionAt(SP::UserSetting), kDwordName, 1));
    CQBNPolicyDwordSetting setting = dwordSetting(false, L"Vaultrion", 0);
    CLogCapture log;
    unsigned long ulValue = kUntouched;
    EXPECT_FALSE(setting.getPolicy(SP::UserSetting, ulValue, false, L""));
    EXPECT_EQ(kUntouched, ulValue);
    EXPECT_FALSE(setting.setPolicy(SP::MachineSetting, 2, true, L"", false));
    EXPECT_FALSE(keyExists(vaultrionAt(SP::MachineSetting)));
    EXPECT_EQ(2u, log.count(L"Policy source is not supported."));
}

TEST_F(PolicySettingRegistry, NoHandleOutlivesAnOperation)
{
    ASSERT_EQ(ERROR_SUCCESS,
              plantText(vaultrionAt(SP::UserPolicy), kStringName, L"x"));
    CQBNPolicyStringSetting setting = stringSetting(false, true);
    CQBNPolicyDwordSetting dword = dwordSetting();
    const auto runAll = [&]() {
        CQBNWCharString text;
        unsigned long ulValue = 0;
        setting.getPolicy(SP::UserPolicy, text, false, L"");
        setting.getPolicy(SP::MachinePolicy, text, false, L"");
        setting.setPolicy(SP::MachineSetting, L"y", true, L"", false);
        setting.setPolicy(SP::UserSetting, L"y", false, L"Vaultrion=None",
                          false);
        dword.setPolicy(SP::UserSetting, 3, true, L"", false);
        dword.getPolicy(SP::UserSetting, ulValue, false, L"");
        dword.getPolicy(SP::MachinePolicyUserDefaults, ulValue, false, L"");
    };
    runAll();
    const unsigned long ulBefore = qbn_test::openHandleCount();
    ASSERT_NE(0u, ulBefore);
    runAll();
    EXPECT_EQ(ulBefore, qbn_test::openHandleCount());
}

// The product policy and the common policy: the registered settings, the
// search through the locations, defaults, and lookups that fail.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qbn_common_policy.h"
#include "qbn_policy_ad_search_policy.h"
#include "qbn_policy_quarry_search_policy.h"
#include "test_policy_support.h"

using namespace policytest;

namespace {

const unsigned long kUntouched = 0xDEAD;

struct DwordRow {
    unsigned long ulId;
    const wchar_t* szValueName;
    const wchar_t* szSubKey;
    unsigned long ulDefault;
    bool bAlso32BitView;
};

// The common DWORD settings in registration order.
const DwordRow kDwordRows[] = {
    {7, L"PDALogonGUIOption", L"Restorix", 0, false},
    {6, L"WindowsPasswordRecoveryGUIOption", L"Restorix", 0, false},
    {10, L"PasswordRecoveryEnabled", L"Restorix", 0, true},
    {0, L"UsingEmulator", L"Vaultrion", 0, false},
    {1, L"VRNInstall", L"Vaultrion", 0, false},
    {4, L"PreferInternalFPSensor", L"Vaultrion", 0, false},
    {5, L"FPSwipeResult", L"Vaultrion", 1, false},
    {2, L"VRN6VRNInstall", L"Vaultrion", 0, false},
    {8, L"SystemType", L"", 0, false},
    {11, L"WizardGUIOption", L"", 0, false},
    {9, L"DisableHotfixMessage", L"Vaultrion", 0, false}};

// Opens the registered lists to the test.
class CInspectedCommonPolicy : public CQBNCommonPolicy {
public:
    std::vector<unsigned long> dwordIds()
    {
        std::vector<unsigned long> ids;
        for (bool bMore = m_dwordSettings.moveFirst(); bMore;
             bMore = m_dwordSettings.moveNext()) {
            CQBNPolicyDwordSetting setting;
            m_dwordSettings.getCurrent(setting);
            ids.push_back(setting.getId());
        }
        return ids;
    }
    bool onlyStringSetting(CQBNPolicyStringSetting& setting)
    {
        return m_stringSettings.getCount() == 1 &&
               m_stringSettings.moveFirst() &&
               m_stringSettings.getCurrent(setting);
    }
};

void expectCommonIdentity(const CQBNPolicySetting<unsigned long>& setting)
{
    EXPECT_STREQ(L"Ostrel", setting.getVendorName().getText());
    EXPECT_STREQ(L"QBN Common", setting.getProductName().getText());
    EXPECT_STREQ(L"1.0", setting.getVersion().getText());
    EXPECT_EQ(static_cast<unsigned long>(psRegistry), setting.getSource());
}

class CommonPolicy : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_keys.startsClean()); }

    CPolicyKeyGuard m_keys;
};

} // namespace

// ---- the registered settings ----

TEST(CommonPolicyTables, DwordSettingsAreRegisteredAsListed)
{
    CInspectedCommonPolicy policy;
    std::vector<unsigned long> expectedOrder;
    for (const DwordRow& row : kDwordRows) {
        SCOPED_TRACE(row.szValueName);
        expectedOrder.push_back(row.ulId);
        CQBNPolicyDwordSetting setting;
        ASSERT_TRUE(policy.getPolicySetting(row.ulId, setting));
        EXPECT_EQ(row.ulId, setting.getId());
        EXPECT_EQ(static_cast<unsigned long>(pkDword), setting.getKind());
        EXPECT_STREQ(row.szValueName, setting.getValueName().getText());
        EXPECT_STREQ(row.szSubKey, setting.getSubKey().getText());
        EXPECT_EQ(row.ulDefault, setting.getValue());
        EXPECT_EQ(row.bAlso32BitView, setting.getAlso32BitView());
        expectCommonIdentity(setting);
    }
    EXPECT_EQ(expectedOrder, policy.dwordIds());
}

TEST(CommonPolicyTables, AdminUserIsTheOneStringSetting)
{
    CInspectedCommonPolicy policy;
    CQBNPolicyStringSetting setting;
    ASSERT_TRUE(policy.onlyStringSetting(setting));
    EXPECT_EQ(3u, setting.getId());
    EXPECT_EQ(static_cast<unsigned long>(pkString), setting.getKind());
    EXPECT_STREQ(L"AdminUser", setting.getValueName().getText());
    EXPECT_STREQ(L"Vaultrion", setting.getSubKey().getText());
    EXPECT_EQ(0u, setting.getValue().getLength());
    EXPECT_FALSE(setting.isExpand());
    EXPECT_TRUE(setting.getAlso32BitView());
    EXPECT_STREQ(L"Ostrel", setting.getVendorName().getText());
    EXPECT_STREQ(L"QBN Common", setting.getProductName().getText());
    EXPECT_STREQ(L"1.0", setting.getVersion().getText());
}

// ---- reading through the locations ----

TEST_F(CommonPolicy, EmptyRegistryGivesEachDefaultUnlessRefused)
{
    CQBNCommonPolicy policy;
    for (const DwordRow& row : kDwordRows) {
        SCOPED_TRACE(row.szValueName);
        unsigned long ulValue = kUntouched;
        EXPECT_TRUE(policy.getPolicy(row.ulId, ulValue, false, L""));
        EXPECT_EQ(row.ulDefault, ulValue);
        ulValue = kUntouched;
        EXPECT_FALSE(policy.getPolicy(row.ulId, ulValue, true, L""));
        EXPECT_EQ(kUntouched, ulValue);
    }
}

// Machine policy, user policy, machine policy defaults, machine settings,
// user settings, machine settings defaults: each location hides the ones
// after it.
TEST_F(CommonPolicy, LocationsAreSearchedInOrder)
{
    const unsigned long kOrder[] = {1, 2, 4, 8, 16, 32};
    for (unsigned long i = 0; i < 6; ++i)
        ASSERT_EQ(ERROR_SUCCESS,
                  plantDword(placeOf(static_cast<SP::PolicyLocation>(kOrder[i]),
                                     L"Vaultrion"),
                             L"VRNInstall", 100 + i));
    CQBNCommonPolicy policy;
    for (unsigned long i = 0; i < 6; ++i) {
        SCOPED_TRACE(kOrder[i]);
        unsigned long ulValue = kUntouched;
        EXPECT_TRUE(policy.getPolicy(cpsVRNInstall, ulValue, true, L""));
        EXPECT_EQ(100 + i, ulValue);
        removeValue(
            placeOf(static_cast<SP::PolicyLocation>(kOrder[i]), L"Vaultrion"),
            L"VRNInstall");
    }
    unsigned long ulValue = kUntouched;
    EXPECT_FALSE(policy.getPolicy(cpsVRNInstall, ulValue, true, L""));
}

TEST_F(CommonPolicy, MachineSettingsComeBeforeUserSettings)
{
    ASSERT_EQ(ERROR_SUCCESS, plantDword(placeOf(SP::UserSetting, L"Vaultrion"),
                                        L"VRNInstall", 1));
    ASSERT_EQ(ERROR_SUCCESS,
              plantDword(placeOf(SP::MachineSetting, L"Vaultrion"),
                         L"VRNInstall", 0));
    unsigned long ulValue = kUntouched;
    EXPECT_TRUE(
        CQBNCommonPolicy().getPolicy(1, ulValue, false, CQBNWCharString()));
    EXPECT_EQ(0u, ulValue);
}

TEST_F(CommonPolicy, SettingsWithoutSubKeyLiveInTheProductKey)
{
    ASSERT_EQ(ERROR_SUCCESS,
              plantDword(placeOf(SP::UserSetting, L""), L"SystemType", 3));
    ASSERT_EQ(ERROR_SUCCESS, plantDword(placeOf(SP::UserSetting, L"Vaultrion"),
                                        L"SystemType", 4));
    unsigned long ulValue = kUntouched;
    EXPECT_TRUE(CQBNCommonPolicy().getPolicy(cpsSystemType, ulValue, true,
                                             L"QBN Common=Vaultrion"));
    EXPECT_EQ(3u, ulValue);
}

TEST_F(CommonPolicy, SubstitutionIsPassedToEveryLocation)
{
    ASSERT_EQ(ERROR_SUCCESS,
              plantDword(placeOf(SP::MachineSettingUserDefaults, L"Other"),
                         L"FPSwipeResult", 7));
    CQBNCommonPolicy policy;
    unsigned long ulValue = kUntouched;
    EXPECT_TRUE(
        policy.getPolicy(cpsFPSwipeResult, ulValue, true, L"Vaultrion=Other"));
    EXPECT_EQ(7u, ulValue);
    EXPECT_TRUE(policy.getPolicy(cpsFPSwipeResult, ulValue, false, L""));
    EXPECT_EQ(1u, ulValue);
}

TEST_F(CommonPolicy, SearchPolicyDecidesWhichLocationsCount)
{
    ASSERT_EQ(
        ERROR_SUCCESS,
        plantDword(placeOf(SP::MachinePolicy, L"Vaultrion"), L"VRNInstall", 5));
    CQBNProductPolicy quarry((CQBNPolicyQuarrySearchPolicy()));
    quarry.addPolicySetting(
        CQBNPolicyDwordSetting(L"Ostrel", L"QBN Common", 1, psRegistry, L"1.0",
                               L"VRNInstall", L"Vaultrion", 9, false));
    unsigned long ulValue = kUntouched;
    EXPECT_TRUE(quarry.getPolicy(1, ulValue, false, L""));
    EXPECT_EQ(9u, ulValue) << "the policies branch is not searched";
    ASSERT_EQ(ERROR_SUCCESS, plantDword(placeOf(SP::UserSetting, L"Vaultrion"),
                                        L"VRNInstall", 6));
    EXPECT_TRUE(quarry.getPolicy(1, ulValue, false, L""));
    EXPECT_EQ(6u, ulValue);
}

// ---- lookups that fail ----

TEST_F(CommonPolicy, UnknownIdsAreWarnedAboutAndNotDefaulted)
{
    CQBNCommonPolicy policy;
    CLogCapture log;
    unsigned long ulValue = kUntouched;
    EXPECT_FALSE(policy.getPolicy(cpsAdminUser, ulValue, false, L""));
    EXPECT_FALSE(policy.getPolicy(12, ulValue, false, L""));
    EXPECT_EQ(kUntouched, ulValue);
    CQBNPolicyDwordSetting setting(L"V", L"P", 99, psRegistry, L"1.0", L"N",
                                   L"S", 4, false);
    const CQBNPolicyDwordSetting before(setting);
    EXPECT_FALSE(policy.getPolicySetting(12, setting));
    EXPECT_TRUE(setting == before);
    EXPECT_EQ(1u, log.count(L"Could not find policy setting with ID ( 3 )"));
    EXPECT_EQ(2u, log.count(L"Could not find policy setting with ID ( 12 )"));
}

TEST_F(CommonPolicy, FirstRegisteredIdWins)
{
    CQBNProductPolicy policy((CQBNPolicyADSearchPolicy()));
    EXPECT_TRUE(policy.addPolicySetting(
        CQBNPolicyDwordSetting(L"Ostrel", L"QBN Common", 1, psRegistry, L"1.0",
                               L"First", L"Vaultrion", 10, false)));
    EXPECT_TRUE(policy.addPolicySetting(
        CQBNPolicyDwordSetting(L"Ostrel", L"QBN Common", 1, psRegistry, L"1.0",
                               L"Second", L"Vaultrion", 20, false)));
    CQBNPolicyDwordSetting setting;
    ASSERT_TRUE(policy.getPolicySetting(1, setting));
    EXPECT_STREQ(L"First", setting.getValueName().getText());
    ASSERT_EQ(ERROR_SUCCESS,
              plantDword(placeOf(SP::UserSetting, L"Vaultrion"), L"Second", 2));
    unsigned long ulValue = kUntouched;
    EXPECT_TRUE(policy.getPolicy(1, ulValue, false, L""));
    EXPECT_EQ(10u, ulValue);
}

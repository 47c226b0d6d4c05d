// Search policies, the location table, key paths with substitutions and the
// settings' comparison and copying: everything about policies that needs no
// registry value.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qbn_policy_ad_search_policy.h"
#include "qbn_policy_dword_setting.h"
#include "qbn_policy_quarry_search_policy.h"
#include "qbn_policy_string_setting.h"
#include "test_policy_support.h"

using namespace policytest;

namespace {

std::vector<unsigned long> locationsOf(CQBNPolicySearchPolicy& searchPolicy)
{
    std::vector<unsigned long> locations;
    for (unsigned long i = 0; i < searchPolicy.getCount(); ++i)
        locations.push_back(searchPolicy.getPolicyLocation(i));
    return locations;
}

SP::PolicyLocation location(unsigned long ulValue)
{
    return static_cast<SP::PolicyLocation>(ulValue);
}

CQBNPolicyDwordSetting dwordSetting(const wchar_t* szSubKey,
                                    unsigned long ulId = 1,
                                    const wchar_t* szValueName = L"Value")
{
    return CQBNPolicyDwordSetting(L"Ostrel", L"QBN Common", ulId, psRegistry,
                                  L"1.0", szValueName, szSubKey, 0, false);
}

std::wstring pathOf(CQBNPolicyDwordSetting& setting, unsigned long ulLocation,
                    const wchar_t* szSubstitution = L"")
{
    return setting.getValueLocation(location(ulLocation), szSubstitution)
        .getText();
}

std::wstring valueNameFor(const std::vector<std::wstring>& entries)
{
    CQBNWCharStringList list;
    for (const std::wstring& entry : entries)
        list.add(CQBNWCharString(entry.c_str()), 0);
    CQBNPolicyDwordSetting setting = dwordSetting(L"Vaultrion");
    return setting.getValueLocation(list).getText();
}

} // namespace

// ---- search policies ----

TEST(PolicySearchPolicy, VariantsListTheirLocationsInSearchOrder)
{
    CQBNPolicyADSearchPolicy ad;
    EXPECT_EQ((std::vector<unsigned long>{1, 2, 4, 8, 16, 32}),
              locationsOf(ad));
    CQBNPolicyQuarrySearchPolicy quarry;
    EXPECT_EQ((std::vector<unsigned long>{8, 16, 32}), locationsOf(quarry));
    EXPECT_EQ(0u, CQBNPolicySearchPolicy().getCount());
}

TEST(PolicySearchPolicy, IndexPastTheEndAnswersMachinePolicyAndLogs)
{
    CPolicyKeyGuard keys;
    CQBNPolicyQuarrySearchPolicy quarry;
    CLogCapture log;
    EXPECT_EQ(SP::MachinePolicy, quarry.getPolicyLocation(3));
    EXPECT_EQ(SP::MachinePolicy, quarry.getPolicyLocation(0xFFFFFFFFul));
    EXPECT_EQ(2u, log.count(L"Index out of array bounds"));
    EXPECT_EQ(SP::MachineSettingUserDefaults, quarry.getPolicyLocation(2));
}

TEST(PolicySearchPolicy, CopiesKeepTheOrderAndStandAlone)
{
    CQBNPolicyADSearchPolicy ad;
    CQBNPolicySearchPolicy copy(ad);
    CQBNPolicySearchPolicy assigned;
    assigned.addPolicy(SP::UserSetting);
    assigned = copy;
    copy.addPolicy(SP::UserPolicy);
    EXPECT_EQ((std::vector<unsigned long>{1, 2, 4, 8, 16, 32}),
              locationsOf(assigned));
    EXPECT_EQ(6u, ad.getCount());
    EXPECT_EQ(7u, copy.getCount());
}

// Templates are checked through the paths they give (below).
TEST(PolicySearchPolicy, LocationIndexIsTheHighestBitOfALocationValue)
{
    const struct {
        unsigned long ulLocation;
        unsigned long ulIndex;
        HKEY hRoot;
    } kRows[] = {{1, 0, HKEY_LOCAL_MACHINE},
                 {2, 1, HKEY_CURRENT_USER},
                 {4, 2, HKEY_LOCAL_MACHINE},
                 {8, 3, HKEY_LOCAL_MACHINE},
                 {16, 4, HKEY_CURRENT_USER},
                 {32, 5, HKEY_LOCAL_MACHINE},
                 // 0 and foreign bits read as the machine policy.
                 {0, 0, HKEY_LOCAL_MACHINE},
                 {64, 0, HKEY_LOCAL_MACHINE},
                 {0x48, 0, HKEY_LOCAL_MACHINE},
                 {3, 1, HKEY_CURRENT_USER}};
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.ulLocation);
        EXPECT_EQ(row.ulIndex, SP::getLocationIndex(location(row.ulLocation)));
        EXPECT_EQ(row.hRoot, SP::getRootKey(location(row.ulLocation)));
    }
    EXPECT_STREQ(SP::getKeyPathTemplate(SP::MachinePolicy),
                 SP::getKeyPathTemplate(location(64)));
}

// ---- key paths ----

TEST(PolicyKeyPath, EachLocationFillsItsTemplate)
{
    CQBNPolicyDwordSetting setting = dwordSetting(L"Vaultrion");
    for (unsigned long ulLocation = 1; ulLocation <= 32; ulLocation <<= 1) {
        SCOPED_TRACE(ulLocation);
        EXPECT_EQ(placeOf(location(ulLocation), L"Vaultrion").path,
                  pathOf(setting, ulLocation));
    }
    EXPECT_EQ(L"Software\\Ostrel\\QBN Common\\Vaultrion", pathOf(setting, 16));
    EXPECT_EQ(
        L"Software\\Policies\\Ostrel\\QBN Common\\User Defaults\\Vaultrion",
        pathOf(setting, 4));
}

TEST(PolicyKeyPath, SubKeyIsJoinedWithOneBackslashOrNotAtAll)
{
    CQBNPolicyDwordSetting leading = dwordSetting(L"\\Vaultrion");
    EXPECT_EQ(L"Software\\Ostrel\\QBN Common\\Vaultrion", pathOf(leading, 8));
    CQBNPolicyDwordSetting none = dwordSetting(L"");
    EXPECT_EQ(L"Software\\Ostrel\\QBN Common", pathOf(none, 8));
    EXPECT_EQ(L"Software\\Policies\\Ostrel\\QBN Common\\User Defaults",
              pathOf(none, 4));
}

TEST(PolicyKeyPath, SubstitutionRenamesTheFirstOccurrenceOnly)
{
    CQBNPolicyDwordSetting setting = dwordSetting(L"Vaultrion\\Vaultrion");
    const std::wstring base = L"Software\\Ostrel\\QBN Common\\";
    EXPECT_EQ(base + L"Other\\Vaultrion",
              pathOf(setting, 8, L"Vaultrion=Other"));
    // The replacement is what follows the last sign.
    EXPECT_EQ(base + L"Last\\Vaultrion",
              pathOf(setting, 8, L"Vaultrion=First=Last"));
    // Any part of the path may be renamed, the product key included.
    EXPECT_EQ(L"Software\\Ostrel\\Suite\\Vaultrion\\Vaultrion",
              pathOf(setting, 8, L"QBN Common=Suite"));
    // A replacement that contains its token is inserted once.
    EXPECT_EQ(base + L"Vaultrion2\\Vaultrion",
              pathOf(setting, 8, L"Vaultrion=Vaultrion2"));
}

TEST(PolicyKeyPath, SubstitutionsThatCannotApplyLeaveThePath)
{
    CQBNPolicyDwordSetting setting = dwordSetting(L"Vaultrion");
    const std::wstring plain = L"Software\\Ostrel\\QBN Common\\Vaultrion";
    const wchar_t* kEntries[] = {L"Restorix=Other",
                                 L"%VALUE_NAME%=Other",
                                 L"Vaultrion",
                                 L"=Other",
                                 L"Vaultrion=",
                                 L"=",
                                 L"==",
                                 L""};
    for (const wchar_t* szEntry : kEntries) {
        SCOPED_TRACE(szEntry);
        EXPECT_EQ(plain, pathOf(setting, 8, szEntry));
    }
    // Only settings with a sub-key are renamed.
    CQBNPolicyDwordSetting none = dwordSetting(L"");
    EXPECT_EQ(L"Software\\Ostrel\\QBN Common",
              pathOf(none, 8, L"QBN Common=Suite"));
}

TEST(PolicyKeyPath, ValueNameComesFromTheFirstValueNameEntry)
{
    EXPECT_EQ(L"Value", valueNameFor({}));
    EXPECT_EQ(L"Other", valueNameFor({L"%VALUE_NAME%=Other"}));
    EXPECT_EQ(L"First",
              valueNameFor({L"", L"%VALUE_NAME%", L"Vaultrion=X",
                            L"%VALUE_NAME%=First", L"%VALUE_NAME%=Second"}));
    // The first match ends the walk even when it names nothing.
    EXPECT_EQ(L"Value",
              valueNameFor({L"%VALUE_NAME%=", L"%VALUE_NAME%=Later"}));
    EXPECT_EQ(L"Value", valueNameFor({L"%value_name%=Other", L"=Other"}));
}

TEST(PolicyKeyPath, OtherSourcesHaveNoPathAndAreLogged)
{
    CPolicyKeyGuard keys;
    CQBNPolicyDwordSetting setting(L"Ostrel", L"QBN Common", 1, 2, L"1.0",
                                   L"Value", L"Vaultrion", 0, false);
    CLogCapture log;
    EXPECT_EQ(L"", pathOf(setting, 8));
    EXPECT_EQ(1u, log.count(L"Policy source is not supported."));
}

// ---- comparing and copying settings ----

TEST(PolicySettingOperators, OrderIsByIdAlone)
{
    CQBNPolicyDwordSetting low = dwordSetting(L"A", 3, L"Zeta");
    CQBNPolicyDwordSetting high = dwordSetting(L"B", 0x80000000ul, L"Alpha");
    EXPECT_TRUE(low < high);
    EXPECT_TRUE(high > low);
    EXPECT_FALSE(high < low);
    CQBNPolicyDwordSetting sameId = dwordSetting(L"C", 3, L"Other");
    EXPECT_FALSE(low < sameId);
    EXPECT_FALSE(low > sameId);
    EXPECT_TRUE(low != sameId);
}

TEST(PolicySettingOperators, EqualityLooksAtNamesAndValue)
{
    CQBNPolicyDwordSetting base = dwordSetting(L"Vaultrion");
    CQBNPolicyDwordSetting other = base;
    EXPECT_TRUE(other == base);
    other.setValueName(L"value");
    EXPECT_TRUE(other != base) << "names compare case-sensitively";
    other = base;
    other.setValue(7);
    EXPECT_TRUE(other != base);
}

TEST(PolicySettingOperators, AssignmentCopiesEveryField)
{
    CQBNPolicyStringSetting source(L"Ostrel", L"QBN Common", 3, psRegistry,
                                   L"1.0", L"AdminUser", L"Vaultrion",
                                   L"nobody", true, true);
    CQBNPolicyStringSetting target;
    EXPECT_EQ(pkDword, target.getKind());
    target = source;
    EXPECT_TRUE(target == source);
    EXPECT_EQ(pkString, target.getKind());
    EXPECT_EQ(3u, target.getId());
    EXPECT_TRUE(target.isExpand());
    EXPECT_TRUE(target.getAlso32BitView());
    EXPECT_STREQ(L"nobody", target.getValue().getText());
    EXPECT_STREQ(L"1.0", target.getVersion().getText());
}

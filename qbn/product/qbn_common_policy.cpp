#include "qbn_common_policy.h"

#include "qbn_policy_ad_search_policy.h"

namespace {

const wchar_t kVendorName[] = L"Ostrel";
const wchar_t kProductName[] = L"QBN Common";
const wchar_t kVersion[] = L"1.0";

struct CDwordSettingEntry {
    unsigned long ulId;
    const wchar_t* szValueName;
    const wchar_t* szSubKey;
    unsigned long ulDefault;
    bool bAlso32BitView;
};

struct CStringSettingEntry {
    unsigned long ulId;
    const wchar_t* szValueName;
    const wchar_t* szSubKey;
    const wchar_t* szDefault;
    bool bExpand;
    bool bAlso32BitView;
};

// In registration order, which is what a lookup by a duplicated ID would
// go by.
const CDwordSettingEntry kDwordSettings[] = {
    {cpsPDALogonGUIOption, L"PDALogonGUIOption", L"Restorix", 0, false},
    {cpsWindowsPasswordRecoveryGUIOption, L"WindowsPasswordRecoveryGUIOption",
     L"Restorix", 0, false},
    {cpsPasswordRecoveryEnabled, L"PasswordRecoveryEnabled", L"Restorix", 0,
     true},
    {cpsUsingEmulator, L"UsingEmulator", L"Vaultrion", 0, false},
    {cpsVRNInstall, L"VRNInstall", L"Vaultrion", 0, false},
    {cpsPreferInternalFPSensor, L"PreferInternalFPSensor", L"Vaultrion", 0,
     false},
    {cpsFPSwipeResult, L"FPSwipeResult", L"Vaultrion", 1, false},
    {cpsVRN6VRNInstall, L"VRN6VRNInstall", L"Vaultrion", 0, false},
    {cpsSystemType, L"SystemType", L"", 0, false},
    {cpsWizardGUIOption, L"WizardGUIOption", L"", 0, false},
    {cpsDisableHotfixMessage, L"DisableHotfixMessage", L"Vaultrion", 0, false}};

const CStringSettingEntry kStringSettings[] = {
    {cpsAdminUser, L"AdminUser", L"Vaultrion", L"", false, true}};

} // namespace

CQBNCommonPolicy::CQBNCommonPolicy()
    : CQBNProductPolicy(CQBNPolicyADSearchPolicy())
{
    registerDwordSettings();
    registerStringSettings();
}

void CQBNCommonPolicy::registerDwordSettings()
{
    for (const CDwordSettingEntry& entry : kDwordSettings) {
        addPolicySetting(CQBNPolicyDwordSetting(
            kVendorName, kProductName, entry.ulId, psRegistry, kVersion,
            entry.szValueName, entry.szSubKey, entry.ulDefault,
            entry.bAlso32BitView));
    }
}

void CQBNCommonPolicy::registerStringSettings()
{
    for (const CStringSettingEntry& entry : kStringSettings) {
        addPolicySetting(CQBNPolicyStringSetting(
            kVendorName, kProductName, entry.ulId, psRegistry, kVersion,
            entry.szValueName, entry.szSubKey, entry.szDefault, entry.bExpand,
            entry.bAlso32BitView));
    }
}

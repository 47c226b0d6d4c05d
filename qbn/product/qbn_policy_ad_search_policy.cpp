#include "qbn_policy_ad_search_policy.h"

CQBNPolicyADSearchPolicy::CQBNPolicyADSearchPolicy()
{
    static const PolicyLocation kOrder[] = {
        MachinePolicy,  UserPolicy,  MachinePolicyUserDefaults,
        MachineSetting, UserSetting, MachineSettingUserDefaults};
    addPolicies(kOrder, sizeof(kOrder) / sizeof(kOrder[0]));
}

#include "qbn_policy_quarry_search_policy.h"

CQBNPolicyQuarrySearchPolicy::CQBNPolicyQuarrySearchPolicy()
{
    static const PolicyLocation kOrder[] = {MachineSetting, UserSetting,
                                            MachineSettingUserDefaults};
    addPolicies(kOrder, sizeof(kOrder) / sizeof(kOrder[0]));
}

// The policy settings of one product and the order in which the registry
// locations are searched for them. Settings are registered once and then
// read by ID: the first location that holds the value wins, and the
// setting's default stands in when none does.
#ifndef QBN_PRODUCT_POLICY_H
#define QBN_PRODUCT_POLICY_H

#include "qbn_dbllist.h"
#include "qbn_policy_dword_setting.h"
#include "qbn_policy_search_policy.h"
#include "qbn_policy_string_setting.h"

typedef CQBNDblList<CQBNObjNode<CQBNPolicyDwordSetting>>
    CQBNPolicyDwordSettingList;
typedef CQBNDblList<CQBNObjNode<CQBNPolicyStringSetting>>
    CQBNPolicyStringSettingList;

class CQBNProductPolicy {
public:
    explicit CQBNProductPolicy(const CQBNPolicySearchPolicy& searchPolicy);
    ~CQBNProductPolicy();

    // Keeps a copy keyed by the setting's ID. A second setting with an ID
    // already registered is kept too but never found: the first one wins.
    bool addPolicySetting(const CQBNPolicyDwordSetting& setting);
    bool addPolicySetting(const CQBNPolicyStringSetting& setting);

    // A copy of the DWORD setting registered with ulId; a missing ID is
    // logged as a warning and leaves `setting` as it was.
    bool getPolicySetting(unsigned long ulId, CQBNPolicyDwordSetting& setting);
    // The DWORD value of setting ulId from the first location that has it,
    // else its default (or false and `ulValue` untouched with bNoDefault).
    // `substitution` ("token=replacement") renames part of the key path.
    bool getPolicy(unsigned long ulId, unsigned long& ulValue, bool bNoDefault,
                   const CQBNWCharString& substitution);

protected:
    // Members are destroyed in reverse order: string settings, DWORD
    // settings, then the locations.
    CQBNPolicySearchPolicy m_searchPolicy;
    CQBNPolicyDwordSettingList m_dwordSettings;
    CQBNPolicyStringSettingList m_stringSettings;

private:
    CQBNProductPolicy(const CQBNProductPolicy&) = delete;
    CQBNProductPolicy& operator=(const CQBNProductPolicy&) = delete;

    bool searchLocations(CQBNPolicyDwordSetting& setting,
                         unsigned long& ulValue,
                         const CQBNWCharString& substitution);
};

#endif

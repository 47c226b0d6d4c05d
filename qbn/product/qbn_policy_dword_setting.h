// A policy setting held as a REG_DWORD value.
#ifndef QBN_POLICY_DWORD_SETTING_H
#define QBN_POLICY_DWORD_SETTING_H

#include "qbn_policy_setting.h"

class CQBNPolicyDwordSetting final : public CQBNPolicySetting<unsigned long> {
public:
    CQBNPolicyDwordSetting();
    CQBNPolicyDwordSetting(const CQBNWCharString& vendorName,
                           const CQBNWCharString& productName,
                           unsigned long ulId, unsigned long ulSource,
                           const CQBNWCharString& version,
                           const CQBNWCharString& valueName,
                           const CQBNWCharString& subKey,
                           unsigned long ulDefaultValue, bool bAlso32BitView);

    bool getPolicy(PolicyLocation location, unsigned long& ulValue,
                   bool bUseCache,
                   const CQBNWCharString& substitution) override;
    // The 32-bit view flag plays no part here: only plain string writes are
    // mirrored.
    bool setPolicy(PolicyLocation location, const unsigned long& ulValue,
                   bool bCreateIfMissing, const CQBNWCharString& substitution,
                   bool bVolatileKey) override;
};

#endif

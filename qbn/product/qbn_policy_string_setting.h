// A policy setting held as a string value, plain (REG_SZ) or expandable
// (REG_EXPAND_SZ, read with environment references expanded).
#ifndef QBN_POLICY_STRING_SETTING_H
#define QBN_POLICY_STRING_SETTING_H

#include "qbn_policy_setting.h"

class CQBNPolicyStringSetting final
    : public CQBNPolicySetting<CQBNWCharString> {
public:
    CQBNPolicyStringSetting();
    CQBNPolicyStringSetting(const CQBNWCharString& vendorName,
                            const CQBNWCharString& productName,
                            unsigned long ulId, unsigned long ulSource,
                            const CQBNWCharString& version,
                            const CQBNWCharString& valueName,
                            const CQBNWCharString& subKey,
                            const CQBNWCharString& defaultValue, bool bExpand,
                            bool bAlso32BitView);
    // The implicit copy and assignment take the template's and then
    // m_expand.

    bool getPolicy(PolicyLocation location, CQBNWCharString& value,
                   bool bUseCache,
                   const CQBNWCharString& substitution) override;
    // A successful plain write is repeated through the 32-bit registry view
    // when the setting asks for it; that second write never changes the
    // outcome. Expandable values are written once.
    bool setPolicy(PolicyLocation location, const CQBNWCharString& value,
                   bool bCreateIfMissing, const CQBNWCharString& substitution,
                   bool bVolatileKey) override;

    bool isExpand() const { return m_expand; }

private:
    bool m_expand;
};

#endif

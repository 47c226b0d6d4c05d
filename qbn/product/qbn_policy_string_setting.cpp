#include "qbn_policy_string_setting.h"

#include "qbn_registry_expand.h"
#include "qbn_registry_string.h"

namespace {

const wchar_t kClassName[] = L"CQBNPolicyStringSetting";

} // namespace

CQBNPolicyStringSetting::CQBNPolicyStringSetting() : m_expand(false) {}

CQBNPolicyStringSetting::CQBNPolicyStringSetting(
    const CQBNWCharString& vendorName, const CQBNWCharString& productName,
    unsigned long ulId, unsigned long ulSource, const CQBNWCharString& version,
    const CQBNWCharString& valueName, const CQBNWCharString& subKey,
    const CQBNWCharString& defaultValue, bool bExpand, bool bAlso32BitView)
    : CQBNPolicySetting<CQBNWCharString>(vendorName, productName, pkString,
                                         ulId, ulSource, version, valueName,
                                         subKey, defaultValue, bAlso32BitView),
      m_expand(bExpand)
{
}

bool CQBNPolicyStringSetting::getPolicy(PolicyLocation location,
                                        CQBNWCharString& value, bool bUseCache,
                                        const CQBNWCharString& substitution)
{
    if (m_expand)
        return readPolicy<CQBNRegistryStringExpand>(
            kClassName, location, value, bUseCache, substitution,
            [](CQBNRegistryStringExpand& registryValue, CQBNWCharString& read) {
                return registryValue.getValue(read, false, true);
            });
    return readPolicy<CQBNRegistryString>(
        kClassName, location, value, bUseCache, substitution,
        [](CQBNRegistryString& registryValue, CQBNWCharString& read) {
            return registryValue.getValue(read, false);
        });
}

bool CQBNPolicyStringSetting::setPolicy(PolicyLocation location,
                                        const CQBNWCharString& value,
                                        bool bCreateIfMissing,
                                        const CQBNWCharString& substitution,
                                        bool bVolatileKey)
{
    if (m_expand)
        return writePolicy<CQBNRegistryStringExpand>(
            kClassName, location, value, bCreateIfMissing, substitution,
            bVolatileKey,
            [](CQBNRegistryStringExpand& registryValue,
               const CQBNWCharString& text) {
                return registryValue.setValue(text, false);
            });
    return writePolicy<CQBNRegistryString>(
        kClassName, location, value, bCreateIfMissing, substitution,
        bVolatileKey,
        [&](CQBNRegistryString& registryValue, const CQBNWCharString& text) {
            if (!registryValue.setValue(text, false))
                return false;
            if (m_also32BitView) {
                registryValue.setAccess(registryValue.getAccess() |
                                        KEY_WOW64_32KEY);
                registryValue.setValue(text, false);
            }
            return true;
        });
}

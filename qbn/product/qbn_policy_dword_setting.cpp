#include "qbn_policy_dword_setting.h"

#include "qbn_registry_dword.h"

namespace {

const wchar_t kClassName[] = L"CQBNPolicyDwordSetting";

} // namespace

CQBNPolicyDwordSetting::CQBNPolicyDwordSetting() {}

CQBNPolicyDwordSetting::CQBNPolicyDwordSetting(
    const CQBNWCharString& vendorName, const CQBNWCharString& productName,
    unsigned long ulId, unsigned long ulSource, const CQBNWCharString& version,
    const CQBNWCharString& valueName, const CQBNWCharString& subKey,
    unsigned long ulDefaultValue, bool bAlso32BitView)
    : CQBNPolicySetting<unsigned long>(vendorName, productName, pkDword, ulId,
                                       ulSource, version, valueName, subKey,
                                       ulDefaultValue, bAlso32BitView)
{
}

bool CQBNPolicyDwordSetting::getPolicy(PolicyLocation location,
                                       unsigned long& ulValue, bool bUseCache,
                                       const CQBNWCharString& substitution)
{
    return readPolicy<CQBNRegistryDword>(
        kClassName, location, ulValue, bUseCache, substitution,
        [](CQBNRegistryDword& registryValue, unsigned long& ulRead) {
            return registryValue.getValue(ulRead, false);
        });
}

bool CQBNPolicyDwordSetting::setPolicy(PolicyLocation location,
                                       const unsigned long& ulValue,
                                       bool bCreateIfMissing,
                                       const CQBNWCharString& substitution,
                                       bool bVolatileKey)
{
    return writePolicy<CQBNRegistryDword>(
        kClassName, location, ulValue, bCreateIfMissing, substitution,
        bVolatileKey,
        [](CQBNRegistryDword& registryValue, unsigned long ulWritten) {
            return registryValue.setValue(ulWritten, false);
        });
}

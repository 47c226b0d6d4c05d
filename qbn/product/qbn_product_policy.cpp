#include "qbn_product_policy.h"

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"

#define QBN_PRODUCT_POLICY_SOURCE L".\\qbn_product_policy.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNProductPolicy";

} // namespace

CQBNProductPolicy::CQBNProductPolicy(const CQBNPolicySearchPolicy& searchPolicy)
    : m_searchPolicy(searchPolicy)
{
    CQBNTraceScope trace(kClassName, L"CQBNProductPolicy",
                         QBN_PRODUCT_POLICY_SOURCE, __LINE__);
    trace.finish(m_searchPolicy.getCount() == searchPolicy.getCount());
}

CQBNProductPolicy::~CQBNProductPolicy()
{
    CQBNTraceScope trace(kClassName, L"~CQBNProductPolicy",
                         QBN_PRODUCT_POLICY_SOURCE, __LINE__);
    trace.finish(true);
}

bool CQBNProductPolicy::addPolicySetting(const CQBNPolicyDwordSetting& setting)
{
    CQBNTraceScope trace(kClassName, L"addPolicySetting",
                         QBN_PRODUCT_POLICY_SOURCE, __LINE__);
    return trace.finish(
        m_dwordSettings.add(setting, static_cast<long>(setting.getId())));
}

bool CQBNProductPolicy::addPolicySetting(const CQBNPolicyStringSetting& setting)
{
    CQBNTraceScope trace(kClassName, L"addPolicySetting",
                         QBN_PRODUCT_POLICY_SOURCE, __LINE__);
    return trace.finish(
        m_stringSettings.add(setting, static_cast<long>(setting.getId())));
}

bool CQBNProductPolicy::getPolicySetting(unsigned long ulId,
                                         CQBNPolicyDwordSetting& setting)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getPolicySetting",
                        QBN_PRODUCT_POLICY_SOURCE),
        esLastError, [&]() {
            if (m_dwordSettings.findKey(static_cast<long>(ulId)))
                return m_dwordSettings.getCurrent(setting);
            CQBNGetPolicySettingWarning notFound(
                ulId, QBN_PRODUCT_POLICY_SOURCE, __LINE__);
            return false;
        });
}

bool CQBNProductPolicy::getPolicy(unsigned long ulId, unsigned long& ulValue,
                                  bool bNoDefault,
                                  const CQBNWCharString& substitution)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getPolicy", QBN_PRODUCT_POLICY_SOURCE),
        esLastError, rtLogical, [&]() {
            CQBNPolicyDwordSetting setting;
            if (!getPolicySetting(ulId, setting))
                return false;
            if (searchLocations(setting, ulValue, substitution))
                return true;
            if (bNoDefault)
                return false;
            ulValue = setting.getValue();
            return true;
        });
}

bool CQBNProductPolicy::searchLocations(CQBNPolicyDwordSetting& setting,
                                        unsigned long& ulValue,
                                        const CQBNWCharString& substitution)
{
    const unsigned long ulCount = m_searchPolicy.getCount();
    for (unsigned long ulIndex = 0; ulIndex < ulCount; ++ulIndex) {
        if (setting.getPolicy(m_searchPolicy.getPolicyLocation(ulIndex),
                              ulValue, false, substitution))
            return true;
    }
    return false;
}

#include "qbn_policy_search_policy.h"

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_flags.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"

#define QBN_POLICY_SEARCH_POLICY_SOURCE L".\\qbn_policy_search_policy.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNPolicySearchPolicy";

// Every location bit together; the index of anything else is not defined.
const unsigned long kAllLocations = 0x3F;

struct CLocationEntry {
    HKEY hRoot;
    const wchar_t* szKeyPathTemplate;
};

// Indexed by the position of the location's bit.
const CLocationEntry& locationEntry(unsigned long ulIndex)
{
    static const CLocationEntry kLocations[] = {
        {HKEY_LOCAL_MACHINE,
         L"Software\\Policies\\%VENDOR_NAME%\\%PRODUCT_NAME%"},
        {HKEY_CURRENT_USER,
         L"Software\\Policies\\%VENDOR_NAME%\\%PRODUCT_NAME%"},
        {HKEY_LOCAL_MACHINE,
         L"Software\\Policies\\%VENDOR_NAME%\\%PRODUCT_NAME%\\User Defaults"},
        {HKEY_LOCAL_MACHINE, L"Software\\%VENDOR_NAME%\\%PRODUCT_NAME%"},
        {HKEY_CURRENT_USER, L"Software\\%VENDOR_NAME%\\%PRODUCT_NAME%"},
        {HKEY_LOCAL_MACHINE,
         L"Software\\%VENDOR_NAME%\\%PRODUCT_NAME%\\User Defaults"}};
    return kLocations[ulIndex];
}

} // namespace

CQBNPolicySearchPolicy::CQBNPolicySearchPolicy()
{
    CQBNTraceScope trace(kClassName, L"CQBNPolicySearchPolicy",
                         QBN_POLICY_SEARCH_POLICY_SOURCE, __LINE__);
    trace.finish(true);
}

CQBNPolicySearchPolicy::CQBNPolicySearchPolicy(
    const CQBNPolicySearchPolicy& other)
    : m_locations(other.m_locations)
{
    CQBNTraceScope trace(kClassName, L"CQBNPolicySearchPolicy",
                         QBN_POLICY_SEARCH_POLICY_SOURCE, __LINE__);
    trace.finish(m_locations.getCount() == other.m_locations.getCount());
}

CQBNPolicySearchPolicy::~CQBNPolicySearchPolicy()
{
    CQBNTraceScope trace(kClassName, L"~CQBNPolicySearchPolicy",
                         QBN_POLICY_SEARCH_POLICY_SOURCE, __LINE__);
    trace.finish(m_locations.clear());
}

CQBNPolicySearchPolicy& CQBNPolicySearchPolicy::operator=(
    const CQBNPolicySearchPolicy& other)
{
    CQBNTraceScope trace(kClassName, L"operator=",
                         QBN_POLICY_SEARCH_POLICY_SOURCE, __LINE__);
    m_locations = other.m_locations;
    trace.finish(m_locations.getCount() == other.m_locations.getCount());
    return *this;
}

bool CQBNPolicySearchPolicy::addPolicy(PolicyLocation location)
{
    CQBNTraceScope trace(kClassName, L"addPolicy",
                         QBN_POLICY_SEARCH_POLICY_SOURCE, __LINE__);
    return trace.finish(m_locations.add(location, 0));
}

void CQBNPolicySearchPolicy::addPolicies(const PolicyLocation* pLocations,
                                         unsigned long ulCount)
{
    for (unsigned long ulLocation = 0; ulLocation < ulCount; ++ulLocation)
        addPolicy(pLocations[ulLocation]);
}

CQBNPolicySearchPolicy::PolicyLocation CQBNPolicySearchPolicy::
    getPolicyLocation(unsigned long ulIndex)
{
    PolicyLocation location = MachinePolicy;
    const bool bFound = qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getPolicyLocation",
                        QBN_POLICY_SEARCH_POLICY_SOURCE),
        esLastError, [&]() {
            if (ulIndex >= m_locations.getCount())
                throw CQBNIndexOutOfBoundsException(
                    QBN_POLICY_SEARCH_POLICY_SOURCE, __LINE__);
            m_locations.moveFirst();
            for (unsigned long ulStep = 0; ulStep < ulIndex; ++ulStep)
                m_locations.moveNext();
            return m_locations.getCurrent(location);
        });
    return bFound ? location : MachinePolicy;
}

unsigned long CQBNPolicySearchPolicy::getLocationIndex(PolicyLocation location)
{
    unsigned long ulIndex = 0;
    if (!CQBNFlags(kAllLocations).getIndex(location, ulIndex))
        return 0;
    return ulIndex;
}

HKEY CQBNPolicySearchPolicy::getRootKey(PolicyLocation location)
{
    return locationEntry(getLocationIndex(location)).hRoot;
}

const wchar_t* CQBNPolicySearchPolicy::getKeyPathTemplate(
    PolicyLocation location)
{
    return locationEntry(getLocationIndex(location)).szKeyPathTemplate;
}

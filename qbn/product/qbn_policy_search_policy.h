// Where a product's policy values may be set, and in which order a product
// policy looks at those places. Six fixed registry locations exist, machine
// wide or per user, under the policies branch or under the product's own
// settings key; a search policy is an ordered selection of them.
#ifndef QBN_POLICY_SEARCH_POLICY_H
#define QBN_POLICY_SEARCH_POLICY_H

#include <windows.h>

#include "qbn_dbllist.h"

class CQBNPolicySearchPolicy {
public:
    // Single bits: a location's bit position is its index in the location
    // table (root key and key path template).
    enum PolicyLocation : unsigned long {
        MachinePolicy = 1,
        UserPolicy = 2,
        MachinePolicyUserDefaults = 4,
        MachineSetting = 8,
        UserSetting = 16,
        MachineSettingUserDefaults = 32
    };
    typedef CQBNDblList<CQBNStdNode<PolicyLocation>> PolicyLocationList;

    CQBNPolicySearchPolicy();
    CQBNPolicySearchPolicy(const CQBNPolicySearchPolicy& other);
    ~CQBNPolicySearchPolicy();

    CQBNPolicySearchPolicy& operator=(const CQBNPolicySearchPolicy& other);

    // Appends a location to the search order.
    bool addPolicy(PolicyLocation location);
    // The location at position ulIndex (from 0); past the end it answers
    // MachinePolicy after logging the bad index.
    PolicyLocation getPolicyLocation(unsigned long ulIndex);
    unsigned long getCount() const { return m_locations.getCount(); }

    // The location table. A value that is not made of location bits only
    // (0 among them) is read as MachinePolicy; several bits select the
    // highest one.
    static unsigned long getLocationIndex(PolicyLocation location);
    static HKEY getRootKey(PolicyLocation location);
    // "%VENDOR_NAME%" and "%PRODUCT_NAME%" stand for the setting's names.
    static const wchar_t* getKeyPathTemplate(PolicyLocation location);

protected:
    // What the fixed search orders are made of.
    void addPolicies(const PolicyLocation* pLocations, unsigned long ulCount);

private:
    PolicyLocationList m_locations;
};

#endif

// The search order of centrally managed products: all six locations, the
// policies branch before the product's own settings keys.
#ifndef QBN_POLICY_AD_SEARCH_POLICY_H
#define QBN_POLICY_AD_SEARCH_POLICY_H

#include "qbn_policy_search_policy.h"

class CQBNPolicyADSearchPolicy : public CQBNPolicySearchPolicy {
public:
    CQBNPolicyADSearchPolicy();
};

#endif

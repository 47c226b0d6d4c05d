// The search order of products that are not centrally managed: only the
// product's own settings keys, the policies branch is never consulted.
#ifndef QBN_POLICY_QUARRY_SEARCH_POLICY_H
#define QBN_POLICY_QUARRY_SEARCH_POLICY_H

#include "qbn_policy_search_policy.h"

class CQBNPolicyQuarrySearchPolicy : public CQBNPolicySearchPolicy {
public:
    CQBNPolicyQuarrySearchPolicy();
};

#endif

// A REG_EXPAND_SZ value: stored like a string value, written only when it
// holds environment references, and expanded on request when read.
#ifndef QBN_REGISTRY_EXPAND_H
#define QBN_REGISTRY_EXPAND_H

#include "qbn_registry_string.h"

class CQBNRegistryStringExpand : public CQBNRegistryString {
public:
    using CQBNRegistryString::CQBNRegistryString;

    bool writeRegistry() override;

    using CQBNRegistryString::getValue;
    // The stored text, with its %NAME% references replaced when `bExpand`.
    bool getValue(CQBNWCharString& out, bool bUseCache, bool bExpand);

    // ExpandEnvironmentStringsW over `text`; false when Windows cannot
    // expand it or the environment changed between measuring and expanding.
    static bool expandText(const CQBNWCharString& text, CQBNWCharString& out);
};

#endif

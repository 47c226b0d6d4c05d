// A REG_MULTI_SZ value held as a list of strings, and the (name, list) pair
// the key's multi-string list reader returns.
#ifndef QBN_REGISTRY_MULTI_STRING_H
#define QBN_REGISTRY_MULTI_STRING_H

#include "qbn_registry_value.h"

class CQBNRegistryMultiString : public CQBNRegistryValue {
public:
    using CQBNRegistryValue::CQBNRegistryValue;

    bool readRegistry() override;
    bool writeRegistry() override;

    bool getValue(CQBNWCharStringList& out, bool bUseCache);
    // With `bNoWrite` the cache is replaced and the answer is true.
    bool setValue(const CQBNWCharStringList& value, bool bNoWrite);

    // Registry data to strings: each run of characters ending in a 0 is one
    // string; a second 0 in a row, or the end of the data, ends the list. A
    // last run that ends with the data, without its 0, is kept as one more
    // string rather than dropped.
    static bool decode(const CQBNBuffer<unsigned char>& bytes,
                       CQBNWCharStringList& list);
    // Strings to registry data: each text with its 0, then one more 0; an
    // empty list is no data at all.
    static bool encode(CQBNWCharStringList& list,
                       CQBNBuffer<unsigned char>& bytes);

private:
    CQBNWCharStringList m_regMultiStringCache;
};

class CQBNRegistryMultiStringValue {
public:
    bool operator==(const CQBNRegistryMultiStringValue& other) const
    {
        return name == other.name && data == other.data;
    }
    bool operator!=(const CQBNRegistryMultiStringValue& other) const
    {
        return !(*this == other);
    }

    CQBNWCharString name;
    CQBNWCharStringList data;
};

#endif

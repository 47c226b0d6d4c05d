// A REG_BINARY value held as raw bytes, and the (name, bytes) pair the key's
// binary list reader returns.
#ifndef QBN_REGISTRY_BINARY_H
#define QBN_REGISTRY_BINARY_H

#include "qbn_registry_value.h"

class CQBNRegistryBinary : public CQBNRegistryValue {
public:
    using CQBNRegistryValue::CQBNRegistryValue;

    bool readRegistry() override;
    bool writeRegistry() override;

    bool getValue(CQBNBuffer<unsigned char>& out, bool bUseCache);
    bool setValue(const CQBNBuffer<unsigned char>& value, bool bNoWrite);

private:
    CQBNBuffer<unsigned char> m_regBinaryCache;
};

class CQBNRegistryBinaryValue {
public:
    bool operator==(const CQBNRegistryBinaryValue& other) const
    {
        return name == other.name &&
               CQBNRegistryValue::sameBytes(data, other.data);
    }
    bool operator!=(const CQBNRegistryBinaryValue& other) const
    {
        return !(*this == other);
    }

    CQBNWCharString name;
    CQBNBuffer<unsigned char> data;
};

#endif

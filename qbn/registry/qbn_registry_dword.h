// A REG_DWORD value held as a 32-bit unsigned number, and the (name, number)
// pair the key's DWORD list reader returns.
#ifndef QBN_REGISTRY_DWORD_H
#define QBN_REGISTRY_DWORD_H

#include "qbn_registry_value.h"

class CQBNRegistryDword : public CQBNRegistryValue {
public:
    using CQBNRegistryValue::CQBNRegistryValue;

    bool readRegistry() override;
    bool writeRegistry() override;

    bool getValue(unsigned long& out, bool bUseCache);
    bool setValue(unsigned long value, bool bNoWrite);

    // The first four bytes as a little-endian number; data shorter than
    // that is taken as if padded with zero bytes.
    static unsigned long numberFromBytes(const unsigned char* pBytes,
                                         unsigned long ulCount);

private:
    unsigned long m_ulRegDwordCache = 0;
};

class CQBNRegistryDwordValue {
public:
    CQBNRegistryDwordValue() : data(0) {}

    bool operator==(const CQBNRegistryDwordValue& other) const
    {
        return name == other.name && data == other.data;
    }
    bool operator!=(const CQBNRegistryDwordValue& other) const
    {
        return !(*this == other);
    }

    CQBNWCharString name;
    unsigned long data;
};

#endif

// A REG_SZ value read into and written from a wide string, and the (name,
// text) pair the key's string list readers return.
#ifndef QBN_REGISTRY_STRING_H
#define QBN_REGISTRY_STRING_H

#include "qbn_registry_value.h"

class CQBNRegistryString : public CQBNRegistryValue {
public:
    using CQBNRegistryValue::CQBNRegistryValue;

    bool readRegistry() override;
    bool writeRegistry() override;

    bool getValue(CQBNWCharString& out, bool bUseCache);
    bool setValue(const CQBNWCharString& value, bool bNoWrite);

    // The text in registry data: everything before the first 0 code unit,
    // or all of it when there is none. An odd last byte is a code unit of
    // its own.
    static bool textFromBytes(const CQBNBuffer<unsigned char>& bytes,
                              CQBNWCharString& out);

protected:
    // The cache as `dwType` data, logged as `szClassName` on refusal.
    bool writeText(DWORD dwType, const wchar_t* szClassName,
                   const wchar_t* szSourceFile, unsigned long ulLine);

    CQBNWCharString m_szRegStringCache;
};

class CQBNRegistryStringValue {
public:
    bool operator==(const CQBNRegistryStringValue& other) const
    {
        return name == other.name && data == other.data;
    }
    bool operator!=(const CQBNRegistryStringValue& other) const
    {
        return !(*this == other);
    }

    CQBNWCharString name;
    CQBNWCharString data;
};

#endif

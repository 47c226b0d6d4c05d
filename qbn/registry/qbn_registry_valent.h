// One registry value as read in bulk: name, raw bytes and registry type.
#ifndef QBN_REGISTRY_VALENT_H
#define QBN_REGISTRY_VALENT_H

#include "qbn_wchar_string.h"

class CQBNRegistryValent {
public:
    CQBNRegistryValent() : type(0) {}

    bool operator==(const CQBNRegistryValent& other) const;
    bool operator!=(const CQBNRegistryValent& other) const
    {
        return !(*this == other);
    }

    CQBNWCharString name;
    CQBNBuffer<unsigned char> data;
    unsigned long type;
};

#endif

#include "qbn_registry_valent.h"

#include <cstring>

bool CQBNRegistryValent::operator==(const CQBNRegistryValent& other) const
{
    if (type != other.type || !(name == other.name))
        return false;
    const unsigned long ulSize = data.getNumElems();
    if (ulSize != other.data.getNumElems())
        return false;
    // Two empty values are equal whatever their (absent) storage.
    return ulSize == 0 ||
           std::memcmp(data.getBuffer(), other.data.getBuffer(), ulSize) == 0;
}

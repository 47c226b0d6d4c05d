#include "qbn_registry_dword.h"

#define QBN_REGISTRY_DWORD_SOURCE L".\\qbn_registry_dword.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNRegistryDword";
const unsigned long kDwordBytes = 4;

} // namespace

unsigned long CQBNRegistryDword::numberFromBytes(const unsigned char* pBytes,
                                                 unsigned long ulCount)
{
    unsigned long ulNumber = 0;
    const unsigned long ulUsed = ulCount < kDwordBytes ? ulCount : kDwordBytes;
    for (unsigned long ulByte = 0; ulByte < ulUsed; ++ulByte)
        ulNumber |= static_cast<unsigned long>(pBytes[ulByte]) << (8 * ulByte);
    return ulNumber;
}

// Larger data does not fit the four bytes and fails; shorter data (the type
// is not checked) is zero-extended instead of leaving old cache bytes in the
// high part of the number.
bool CQBNRegistryDword::readRegistry()
{
    return onOpenKey(QBN_REGISTRY_DWORD_SOURCE, __LINE__, [&]() {
        unsigned char bytes[kDwordBytes] = {0, 0, 0, 0};
        DWORD dwSize = kDwordBytes;
        const LONG lResult = queryValue(bytes, dwSize);
        if (lResult == ERROR_FILE_NOT_FOUND)
            return answerMissing([&]() { m_ulRegDwordCache = 0; });
        if (lResult != ERROR_SUCCESS)
            return false;
        m_ulRegDwordCache = numberFromBytes(bytes, dwSize);
        m_cacheValid = true;
        return true;
    });
}

bool CQBNRegistryDword::writeRegistry()
{
    return onOpenKey(QBN_REGISTRY_DWORD_SOURCE, __LINE__, [&]() {
        const DWORD dwValue = m_ulRegDwordCache;
        return setRegistryValue(REG_DWORD, &dwValue, sizeof(dwValue),
                                kClassName, QBN_REGISTRY_DWORD_SOURCE,
                                __LINE__);
    });
}

bool CQBNRegistryDword::getValue(unsigned long& out, bool bUseCache)
{
    return deliverCache(out, m_ulRegDwordCache, bUseCache,
                        QBN_REGISTRY_DWORD_SOURCE, __LINE__);
}

bool CQBNRegistryDword::setValue(unsigned long value, bool bNoWrite)
{
    return replaceCache(m_ulRegDwordCache, value, bNoWrite,
                        QBN_REGISTRY_DWORD_SOURCE, __LINE__);
}

bool CQBNRegistryKey::getDwordValues(CQBNRegistryDwordValueList& list)
{
    return qbnCollectValuesOfType(
        *this, REG_DWORD, list, QBN_REGISTRY_DWORD_SOURCE, __LINE__,
        [](const CQBNBuffer<unsigned char>& bytes, unsigned long& ulNumber) {
            ulNumber = CQBNRegistryDword::numberFromBytes(bytes.getBuffer(),
                                                          bytes.getNumElems());
            return true;
        });
}

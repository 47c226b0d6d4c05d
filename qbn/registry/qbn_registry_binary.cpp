#include "qbn_registry_binary.h"

#define QBN_REGISTRY_BINARY_SOURCE L".\\qbn_registry_binary.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNRegistryBinary";

} // namespace

// The size is asked first (an error there just means no room), then the
// bytes are read into exactly that room; a value that grew in between makes
// the read fail instead of overrunning.
bool CQBNRegistryBinary::readRegistry()
{
    return onOpenKey(QBN_REGISTRY_BINARY_SOURCE, __LINE__, [&]() {
        DWORD dwSize = 0;
        if (queryValue(nullptr, dwSize) != ERROR_SUCCESS)
            dwSize = 0;
        CQBNBuffer<unsigned char> bytes(dwSize);
        const LONG lResult = queryBytes(bytes);
        if (lResult == ERROR_FILE_NOT_FOUND)
            return answerMissing([&]() { m_regBinaryCache.release(); });
        if (lResult != ERROR_SUCCESS)
            return false;
        m_regBinaryCache = bytes;
        m_cacheValid = m_regBinaryCache.getNumElems() == bytes.getNumElems();
        return m_cacheValid;
    });
}

bool CQBNRegistryBinary::writeRegistry()
{
    return onOpenKey(QBN_REGISTRY_BINARY_SOURCE, __LINE__, [&]() {
        return setRegistryValue(REG_BINARY, m_regBinaryCache.getBuffer(),
                                m_regBinaryCache.getNumElems(), kClassName,
                                QBN_REGISTRY_BINARY_SOURCE, __LINE__);
    });
}

bool CQBNRegistryBinary::getValue(CQBNBuffer<unsigned char>& out,
                                  bool bUseCache)
{
    return deliverCache(out, m_regBinaryCache, bUseCache,
                        QBN_REGISTRY_BINARY_SOURCE, __LINE__);
}

bool CQBNRegistryBinary::setValue(const CQBNBuffer<unsigned char>& value,
                                  bool bNoWrite)
{
    return replaceCache(m_regBinaryCache, value, bNoWrite,
                        QBN_REGISTRY_BINARY_SOURCE, __LINE__);
}

bool CQBNRegistryKey::getBinaryValues(CQBNRegistryBinaryValueList& list)
{
    return qbnCollectValuesOfType(
        *this, REG_BINARY, list, QBN_REGISTRY_BINARY_SOURCE, __LINE__,
        [](const CQBNBuffer<unsigned char>& bytes,
           CQBNBuffer<unsigned char>& copy) {
            copy = bytes;
            return copy.getNumElems() == bytes.getNumElems();
        });
}

#include "qbn_registry_multi_string.h"

#include <cstring>

#define QBN_REGISTRY_MULTI_STRING_SOURCE L".\\qbn_registry_multi_string.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNRegistryMultiString";

// Calls `visit` with each string of the list, in order.
template <class Visit>
bool visitStrings(CQBNWCharStringList& list, Visit visit)
{
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        CQBNWCharString text;
        if (!list.getCurrent(text))
            return false;
        visit(text);
    }
    return true;
}

bool appendUnits(CQBNWCharStringList& list, const unsigned short* pUnits,
                 unsigned long ulCount)
{
    const CQBNBuffer<unsigned short> units(pUnits, ulCount);
    return list.add(CQBNWCharString(units), 0);
}

} // namespace

// The registry does not enforce the closing double 0, so data may end
// anywhere: the walk never leaves the data, and a last text that runs to the
// end of the data without its 0 is kept rather than dropped.
bool CQBNRegistryMultiString::decode(const CQBNBuffer<unsigned char>& bytes,
                                     CQBNWCharStringList& list)
{
    list.clear();
    const CQBNBuffer<unsigned short> units = bytes.toWideBuffer();
    const unsigned long ulCount = units.getNumElems();
    if (ulCount == 0)
        return bytes.getNumElems() == 0;
    const unsigned short* pUnits = units.getBuffer();
    unsigned long ulStart = 0;
    for (unsigned long ulAt = 0; ulAt < ulCount; ++ulAt) {
        if (pUnits[ulAt] != 0)
            continue;
        if (!appendUnits(list, pUnits + ulStart, ulAt - ulStart))
            return false;
        if (ulAt + 1 == ulCount || pUnits[ulAt + 1] == 0)
            return true;
        ulStart = ulAt + 1;
    }
    return appendUnits(list, pUnits + ulStart, ulCount - ulStart);
}

// Each string contributes its text and one 0, not its whole storage: a
// string cut short inside longer storage would otherwise put a double 0 in
// the middle of the data and hide every later string from the reader. A
// null string is written as the empty text.
bool CQBNRegistryMultiString::encode(CQBNWCharStringList& list,
                                     CQBNBuffer<unsigned char>& bytes)
{
    unsigned long ulUnits = 0;
    if (!visitStrings(list, [&](const CQBNWCharString& text) {
            ulUnits += text.getLength() + 1;
        }))
        return false;
    if (ulUnits == 0)
        return bytes.release();
    // The buffer starts zero-filled, so every terminator and the closing 0
    // are already in place; only the texts are copied.
    if (!bytes.allocate((ulUnits + 1) * sizeof(wchar_t)))
        return false;
    unsigned long ulOffset = 0;
    return visitStrings(list, [&](const CQBNWCharString& text) {
        const unsigned long ulTextBytes = text.getLength() * sizeof(wchar_t);
        std::memcpy(bytes.getBuffer() + ulOffset, text.getText(), ulTextBytes);
        ulOffset += ulTextBytes + sizeof(wchar_t);
    });
}

// The size comes from the key's largest value; should this value grow
// before it is read, the read fails instead of overrunning the buffer.
bool CQBNRegistryMultiString::readRegistry()
{
    return onOpenKey(QBN_REGISTRY_MULTI_STRING_SOURCE, __LINE__, [&]() {
        unsigned long ulLongest = 0;
        if (!getMaxValueLen(ulLongest) || !ensureOpen())
            return false;
        CQBNBuffer<unsigned char> bytes(ulLongest);
        const LONG lResult = queryBytes(bytes);
        if (lResult == ERROR_FILE_NOT_FOUND)
            return answerMissing([&]() { m_regMultiStringCache.clear(); });
        if (lResult != ERROR_SUCCESS)
            return false;
        m_cacheValid = decode(bytes, m_regMultiStringCache);
        return m_cacheValid;
    });
}

bool CQBNRegistryMultiString::writeRegistry()
{
    return onOpenKey(QBN_REGISTRY_MULTI_STRING_SOURCE, __LINE__, [&]() {
        CQBNBuffer<unsigned char> bytes;
        if (!encode(m_regMultiStringCache, bytes))
            return false;
        return setRegistryValue(REG_MULTI_SZ, bytes.getBuffer(),
                                bytes.getNumElems(), kClassName,
                                QBN_REGISTRY_MULTI_STRING_SOURCE, __LINE__);
    });
}

bool CQBNRegistryMultiString::getValue(CQBNWCharStringList& out, bool bUseCache)
{
    return deliverCache(out, m_regMultiStringCache, bUseCache,
                        QBN_REGISTRY_MULTI_STRING_SOURCE, __LINE__);
}

bool CQBNRegistryMultiString::setValue(const CQBNWCharStringList& value,
                                       bool bNoWrite)
{
    return replaceCache(m_regMultiStringCache, value, bNoWrite,
                        QBN_REGISTRY_MULTI_STRING_SOURCE, __LINE__);
}

bool CQBNRegistryKey::getMultiStringValues(
    CQBNRegistryMultiStringValueList& list)
{
    return qbnCollectValuesOfType(*this, REG_MULTI_SZ, list,
                                  QBN_REGISTRY_MULTI_STRING_SOURCE, __LINE__,
                                  CQBNRegistryMultiString::decode);
}

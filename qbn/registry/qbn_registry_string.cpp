#include "qbn_registry_string.h"

#include "qbn_exceptions.h"

#define QBN_REGISTRY_STRING_SOURCE L".\\qbn_registry_string.cpp"

namespace {

// Messages of this class carry the name of its base.
const wchar_t kClassName[] = L"CQBNRegistryValue";

// A read takes at most 260 wide characters, its terminator included.
const unsigned long kReadChars = 260;
const DWORD kReadBytes = kReadChars * sizeof(wchar_t);

} // namespace

bool CQBNRegistryString::textFromBytes(const CQBNBuffer<unsigned char>& bytes,
                                       CQBNWCharString& out)
{
    const CQBNBuffer<unsigned short> units = bytes.toWideBuffer();
    if (units.getNumElems() == 0 && bytes.getNumElems() != 0)
        return false;
    out = CQBNWCharString(units);
    return true;
}

// The registry's type is not checked: whatever the value holds is taken as
// text, but only as far as the fixed buffer reaches, and only when its 0
// lies inside that buffer. A text that fills all 260 characters has no room
// for its terminator and is refused rather than handed on unterminated.
bool CQBNRegistryString::readRegistry()
{
    return onOpenKey(QBN_REGISTRY_STRING_SOURCE, __LINE__, [&]() {
        CQBNBuffer<unsigned char> bytes(kReadBytes);
        const LONG lResult = queryBytes(bytes);
        if (lResult == ERROR_FILE_NOT_FOUND)
            return answerMissing([&]() { m_szRegStringCache = L""; });
        if (lResult != ERROR_SUCCESS)
            return false;
        CQBNWCharString text;
        if (!textFromBytes(bytes, text) || text.getLength() >= kReadChars)
            return false;
        m_szRegStringCache = text;
        return true;
    });
}

bool CQBNRegistryString::writeRegistry()
{
    return writeText(REG_SZ, kClassName, QBN_REGISTRY_STRING_SOURCE, __LINE__);
}

bool CQBNRegistryString::writeText(DWORD dwType, const wchar_t* szClassName,
                                   const wchar_t* szSourceFile,
                                   unsigned long ulLine)
{
    return onOpenKey(szSourceFile, ulLine, [&]() {
        // The whole storage goes out, so the terminator is written. A null
        // string has no storage: it is written as the empty text (one 0)
        // rather than as a size without data behind it.
        const bool bHasStorage = m_szRegStringCache.isValid();
        const void* pData =
            bHasStorage
                ? static_cast<const void*>(m_szRegStringCache.getBuffer())
                : static_cast<const void*>(L"");
        const DWORD dwSize =
            bHasStorage ? m_szRegStringCache.getNumElems() * sizeof(wchar_t)
                        : sizeof(wchar_t);
        return setRegistryValue(dwType, pData, dwSize, szClassName,
                                szSourceFile, ulLine);
    });
}

bool CQBNRegistryString::getValue(CQBNWCharString& out, bool bUseCache)
{
    return deliverCache(out, m_szRegStringCache, bUseCache,
                        QBN_REGISTRY_STRING_SOURCE, __LINE__);
}

bool CQBNRegistryString::setValue(const CQBNWCharString& value, bool bNoWrite)
{
    return replaceCache(m_szRegStringCache, value, bNoWrite,
                        QBN_REGISTRY_STRING_SOURCE, __LINE__);
}

bool CQBNRegistryKey::getStringValues(CQBNRegistryStringValueList& list)
{
    return qbnCollectValuesOfType(*this, REG_SZ, list,
                                  QBN_REGISTRY_STRING_SOURCE, __LINE__,
                                  CQBNRegistryString::textFromBytes);
}

#include "qbn_registry_value.h"

#include <cstring>

#include "qbn_exceptions.h"

#define QBN_REGISTRY_VALUE_SOURCE L".\\qbn_registry_value.cpp"

CQBNRegistryValue::CQBNRegistryValue(HKEY hRoot, const CQBNWCharString& path,
                                     const CQBNWCharString& valueName,
                                     REGSAM access, bool bCreateIfMissing,
                                     DWORD dwOptions)
    : CQBNRegistryKey(hRoot, path, access, bCreateIfMissing, dwOptions),
      m_cacheValid(false), m_bLentHandle(false)
{
    // A name that cannot be copied leaves the default value selected; the
    // object stays usable, so the failure is only recorded.
    qbnGuardAction(esLastError, QBN_REGISTRY_VALUE_SOURCE, __LINE__,
                   [&]() { m_valueName = valueName; });
}

bool CQBNRegistryValue::sameBytes(const CQBNBuffer<unsigned char>& first,
                                  const CQBNBuffer<unsigned char>& second)
{
    if (first.getNumElems() != second.getNumElems())
        return false;
    if (first.getNumElems() == 0)
        return true;
    return std::memcmp(first.getBuffer(), second.getBuffer(),
                       first.getNumElems()) == 0;
}

// The open flag decides, not open's answer: it is also what the closing
// guard goes by, so a transfer never runs on a key the guard would not close.
bool CQBNRegistryValue::ensureOpen()
{
    if (!isOpen())
        open();
    return isOpen();
}

// The lent handle is only borrowed: it is never closed here, and the key is
// back to closed, without it, whatever the write did.
bool CQBNRegistryValue::writeThrough(HKEY hOpenKey)
{
    if (isOpen() && !close())
        return false;
    m_hKey = hOpenKey;
    m_isOpen = true;
    m_bLentHandle = true;
    const bool bWritten = writeRegistry();
    m_hKey = nullptr;
    m_isOpen = false;
    m_bLentHandle = false;
    return bWritten;
}

LONG CQBNRegistryValue::queryValue(void* pData, DWORD& dwSize)
{
    return RegQueryValueExW(m_hKey, m_valueName.getText(), nullptr, nullptr,
                            static_cast<BYTE*>(pData), &dwSize);
}

LONG CQBNRegistryValue::queryBytes(CQBNBuffer<unsigned char>& bytes)
{
    const DWORD dwRoom = bytes.getNumElems();
    DWORD dwSize = dwRoom;
    const LONG lResult = queryValue(bytes.getBuffer(), dwSize);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    // With no room at all Windows reports the size instead of failing, so a
    // value that grew since it was measured shows up here.
    if (dwSize > dwRoom)
        return ERROR_MORE_DATA;
    if (dwSize < dwRoom && !bytes.resize(dwSize))
        return ERROR_OUTOFMEMORY;
    return ERROR_SUCCESS;
}

bool CQBNRegistryValue::setRegistryValue(DWORD dwType, const void* pData,
                                         DWORD dwSize,
                                         const wchar_t* szClassName,
                                         const wchar_t* szSourceFile,
                                         unsigned long ulLine)
{
    const LONG lResult =
        RegSetValueExW(m_hKey, m_valueName.getText(), 0, dwType,
                       static_cast<const BYTE*>(pData), dwSize);
    if (lResult != ERROR_SUCCESS)
        throw CQBNRegValueSetException(m_path.getText(), m_valueName.getText(),
                                       static_cast<unsigned long>(lResult),
                                       szClassName, L"writeRegistry",
                                       szSourceFile, ulLine);
    m_cacheValid = true;
    return true;
}

#include "qbn_registry_key.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"

#define QBN_REGISTRY_KEY_SOURCE L".\\qbn_registry_key.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNRegistryKey";
// The enumeration methods have always reported under this spelling, and log
// filters (AllowObjects, ExcludeObjects) match class names exactly, so it is
// kept as it is.
const wchar_t kEnumClassName[] = L"CQBNRegistrykey";
const wchar_t kSeparator[] = L"\\";

bool openIfClosed(CQBNRegistryKey& key)
{
    return key.isOpen() || key.open();
}

bool isMissingKey(LONG lResult)
{
    return lResult == ERROR_FILE_NOT_FOUND || lResult == ERROR_INVALID_HANDLE;
}

enum CQBNKeyInfoItem {
    kiiMaxSubKeyLen,
    kiiMaxValueLen,
    kiiMaxValueNameLen,
    kiiCount
};

// One RegQueryInfoKeyW item; the key is closed afterwards.
bool queryKeyInfo(CQBNRegistryKey& key, CQBNKeyInfoItem item,
                  unsigned long& ulLength)
{
    return qbnGuardThenClose(key, QBN_REGISTRY_KEY_SOURCE, __LINE__, [&]() {
        if (!openIfClosed(key))
            return false;
        DWORD dwLength = 0;
        DWORD* pItems[kiiCount] = {nullptr, nullptr, nullptr};
        pItems[item] = &dwLength;
        const LONG lResult =
            RegQueryInfoKeyW(key.getHandle(), nullptr, nullptr, nullptr,
                             nullptr, pItems[kiiMaxSubKeyLen], nullptr, nullptr,
                             pItems[kiiMaxValueNameLen], pItems[kiiMaxValueLen],
                             nullptr, nullptr);
        if (lResult != ERROR_SUCCESS)
            throw CQBNRegQueryInfoKeyException(key.getPath().getText(), lResult,
                                               QBN_REGISTRY_KEY_SOURCE,
                                               __LINE__);
        ulLength = dwLength;
        return true;
    });
}

// The name Windows wrote into `room` (dwLength characters reported), as
// text: terminated within the room whatever length Windows reported, and
// ending at its first 0.
void takeEnumeratedName(CQBNBuffer<unsigned short>& room, DWORD dwLength,
                        CQBNWCharString& name)
{
    wchar_t* szName = reinterpret_cast<wchar_t*>(room.getBuffer());
    const unsigned long ulLast = room.getNumElems() - 1;
    szName[dwLength < ulLast ? dwLength : ulLast] = 0;
    name = szName;
    if (szName[0] != 0 && name.getLength() == 0)
        throw CQBNMemAllocException(L"szName", QBN_REGISTRY_KEY_SOURCE,
                                    __LINE__);
}

// One enumerated name (sub-key or value), read into room for ulMaxLen
// characters and a terminator.
template <class EnumCall>
LONG readEnumeratedName(unsigned long ulMaxLen, CQBNWCharString& name,
                        EnumCall enumCall)
{
    CQBNBuffer<unsigned short> room(ulMaxLen + 1);
    wchar_t* szName = reinterpret_cast<wchar_t*>(room.getBuffer());
    DWORD dwLength = ulMaxLen + 1;
    const LONG lResult = enumCall(szName, &dwLength);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    takeEnumeratedName(room, dwLength, name);
    return ERROR_SUCCESS;
}

// A key directly below its root has no path to put a separator after.
CQBNWCharString childPath(const CQBNWCharString& parentPath,
                          const CQBNWCharString& name)
{
    if (parentPath.getLength() == 0)
        return name;
    return parentPath + CQBNWCharString(kSeparator) + name;
}

// ---- queryMultipleValues ----

bool copyNames(CQBNWCharStringList& list, std::vector<CQBNWCharString>& names)
{
    names.reserve(list.getCount());
    for (bool bMore = list.moveFirst(); bMore; bMore = list.moveNext()) {
        CQBNWCharString name;
        if (!list.getCurrent(name))
            return false;
        names.push_back(name);
    }
    return names.size() == list.getCount();
}

// How often the values are measured and read before a key whose values
// keep growing in between is given up.
const unsigned long kMultipleValuesReads = 4;

// Handed no buffer, RegQueryMultipleValuesW reports the room all the values
// need together (Windows answers success, Wine ERROR_MORE_DATA).
bool isMeasured(LONG lResult)
{
    return lResult == ERROR_SUCCESS || lResult == ERROR_MORE_DATA;
}

// Reads the records' values into `data`, sized to exactly what they need
// together rather than to the largest value once per value, which for one
// 64 KiB value among a hundred is megabytes. A value that grows between
// measuring and reading makes the read answer ERROR_MORE_DATA with the new
// total, and the room is made again; Windows never writes past it.
LONG readMultipleValues(HKEY hKey, VALENTW* pRecords, DWORD dwCount,
                        CQBNBuffer<unsigned char>& data)
{
    DWORD dwSize = 0;
    LONG lResult =
        RegQueryMultipleValuesW(hKey, pRecords, dwCount, nullptr, &dwSize);
    for (unsigned long ulRead = 0;
         ulRead < kMultipleValuesReads && isMeasured(lResult); ++ulRead) {
        // Values without data need no room, but a null buffer would only be
        // measured again, never filled.
        if (!data.allocate(dwSize != 0 ? dwSize : 1))
            throw CQBNMemAllocException(L"lpValueBuf", QBN_REGISTRY_KEY_SOURCE,
                                        __LINE__);
        dwSize = data.getNumElems();
        lResult = RegQueryMultipleValuesW(
            hKey, pRecords, dwCount,
            reinterpret_cast<wchar_t*>(data.getBuffer()), &dwSize);
        if (lResult != ERROR_MORE_DATA)
            return lResult;
    }
    return lResult;
}

std::unique_ptr<VALENTW[]> makeRecords(
    const std::vector<CQBNWCharString>& names)
{
    std::unique_ptr<VALENTW[]> records(new (std::nothrow)
                                           VALENTW[names.size()]());
    if (!records)
        throw CQBNMemAllocException(L"pValent", QBN_REGISTRY_KEY_SOURCE,
                                    __LINE__);
    // Windows only reads the names; the strings outlive the call.
    for (size_t i = 0; i < names.size(); ++i)
        records[i].ve_valuename = const_cast<wchar_t*>(names[i].getText());
    return records;
}

// A record's data, taken only from inside the buffer Windows filled.
bool copyRecordData(const VALENTW& record,
                    const CQBNBuffer<unsigned char>& data,
                    CQBNBuffer<unsigned char>& out, const wchar_t* szKeyPath)
{
    if (record.ve_valuelen == 0)
        return true;
    const std::uintptr_t base =
        reinterpret_cast<std::uintptr_t>(data.getBuffer());
    const std::uintptr_t start = record.ve_valueptr;
    const unsigned long ulRoom = data.getNumElems();
    const bool bInside = start >= base && start - base <= ulRoom &&
                         record.ve_valuelen <= ulRoom - (start - base);
    if (!bInside)
        throw CQBNRegQueryMultipleValuesException(
            szKeyPath, ERROR_INVALID_DATA, QBN_REGISTRY_KEY_SOURCE, __LINE__);
    if (!out.allocate(record.ve_valuelen))
        return false;
    std::memcpy(out.getBuffer(), reinterpret_cast<const void*>(start),
                record.ve_valuelen);
    return true;
}

bool appendRecords(CQBNRegistryValentList& list,
                   const std::vector<CQBNWCharString>& names,
                   const VALENTW* pRecords,
                   const CQBNBuffer<unsigned char>& data,
                   const wchar_t* szKeyPath)
{
    for (size_t i = 0; i < names.size(); ++i) {
        CQBNRegistryValent valent;
        valent.name = names[i];
        valent.type = pRecords[i].ve_type;
        if (!copyRecordData(pRecords[i], data, valent.data, szKeyPath) ||
            !list.add(valent, static_cast<long>(i)))
            return false;
    }
    return true;
}

// ---- every value in one enumeration ----

void measureValues(HKEY hKey, const CQBNWCharString& path,
                   CQBNRegistryValuesInfo& info)
{
    const LONG lResult = CQBNRegistryValueSnapshot::queryInfo(hKey, info);
    if (lResult != ERROR_SUCCESS)
        throw CQBNRegQueryInfoKeyException(path.getText(), lResult,
                                           QBN_REGISTRY_KEY_SOURCE, __LINE__);
}

// Room for the longest name and the largest data the key reported.
struct CValueRoom {
    explicit CValueRoom(const CQBNRegistryValuesInfo& info)
        : name(info.dwMaxNameLength + 1),
          data(info.dwMaxDataBytes != 0 ? info.dwMaxDataBytes : 1)
    {
    }

    CQBNBuffer<unsigned short> name;
    CQBNBuffer<unsigned char> data;
};

// The value Windows wrote into `room` at the end of `values`; the default
// value has no name and is not listed.
void appendValue(CValueRoom& room, DWORD dwNameLength, DWORD dwType,
                 DWORD dwSize, CQBNRegistryValues& values)
{
    CQBNWCharString name;
    takeEnumeratedName(room.name, dwNameLength, name);
    if (name.getLength() == 0)
        return;
    values.emplace_back();
    CQBNRegistryValent& value = values.back();
    value.name = name;
    value.type = dwType;
    if (dwSize == 0)
        return;
    if (!value.data.allocate(dwSize))
        throw CQBNMemAllocException(L"data", QBN_REGISTRY_KEY_SOURCE, __LINE__);
    std::memcpy(value.data.getBuffer(), room.data.getBuffer(), dwSize);
}

// Name, type and data of every named value, in the registry's order, each
// read with one RegEnumValueW into room sized from the key's own maxima. A
// value that outgrew the room after it was measured (ERROR_MORE_DATA) makes
// the key be measured again and the value read again; Windows never writes
// past the room.
void readValues(HKEY hKey, const CQBNWCharString& path,
                CQBNRegistryValuesInfo& info, CQBNRegistryValues& values)
{
    measureValues(hKey, path, info);
    values.reserve(info.dwCount);
    std::unique_ptr<CValueRoom> room(new CValueRoom(info));
    unsigned long ulMeasured = 1;
    for (DWORD dwIndex = 0;;) {
        DWORD dwNameLength = room->name.getNumElems();
        DWORD dwSize = room->data.getNumElems();
        DWORD dwType = 0;
        const LONG lResult = RegEnumValueW(
            hKey, dwIndex, reinterpret_cast<wchar_t*>(room->name.getBuffer()),
            &dwNameLength, nullptr, &dwType, room->data.getBuffer(), &dwSize);
        if (lResult == ERROR_NO_MORE_ITEMS)
            return;
        if (lResult == ERROR_MORE_DATA && ulMeasured++ < kMultipleValuesReads) {
            measureValues(hKey, path, info);
            room.reset(new CValueRoom(info));
            continue;
        }
        if (lResult != ERROR_SUCCESS)
            throw CQBNRegEnumValueException(path.getText(), lResult,
                                            kEnumClassName, L"enumValueNames",
                                            QBN_REGISTRY_KEY_SOURCE, __LINE__);
        appendValue(*room, dwNameLength, dwType, dwSize, values);
        ++dwIndex;
    }
}

} // namespace

// ---- construction and assignment ----

CQBNRegistryKey::CQBNRegistryKey(HKEY hRoot, const CQBNWCharString& path,
                                 REGSAM access, bool bCreateIfMissing,
                                 DWORD dwOptions)
    : m_access(access), m_options(dwOptions), m_hKey(nullptr),
      m_createIfMissing(bCreateIfMissing), m_isOpen(false), m_root(hRoot)
{
    takePath(path);
}

CQBNRegistryKey::CQBNRegistryKey(const CQBNRegistryKey& other)
    : m_access(other.m_access), m_options(other.m_options), m_hKey(nullptr),
      m_createIfMissing(other.m_createIfMissing), m_isOpen(false),
      m_root(other.m_root)
{
    takePath(other.m_path);
}

void CQBNRegistryKey::takePath(const CQBNWCharString& path)
{
    const bool bCopied =
        qbnGuard(false, esLastError, QBN_REGISTRY_KEY_SOURCE, __LINE__, [&]() {
            m_path = path;
            return m_path == path;
        });
    if (!bCopied)
        throw CQBNRegKeyInitException(QBN_REGISTRY_KEY_SOURCE, __LINE__);
}

CQBNRegistryKey::~CQBNRegistryKey()
{
    if (m_isOpen)
        close();
}

// A key whose handle cannot be let go keeps its old identity, so that the
// handle is never separated from the key it belongs to.
CQBNRegistryKey& CQBNRegistryKey::operator=(const CQBNRegistryKey& other)
{
    qbnGuardAction(esLastError, QBN_REGISTRY_KEY_SOURCE, __LINE__, [&]() {
        if (m_isOpen && !close())
            return;
        if (this == &other)
            return;
        m_root = other.m_root;
        m_access = other.m_access;
        m_options = other.m_options;
        m_createIfMissing = other.m_createIfMissing;
        m_path = other.m_path;
        m_pValueSnapshot.reset();
    });
    return *this;
}

void CQBNRegistryKey::setAccess(REGSAM access)
{
    if (m_isOpen)
        close();
    m_access = access;
    // Another view may be another key.
    m_pValueSnapshot.reset();
}

// ---- open, create, close ----

bool CQBNRegistryKey::open()
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"open", QBN_REGISTRY_KEY_SOURCE),
        esLastError, [&]() {
            if (m_isOpen && !closeBeforeReopen())
                return false;
            const LONG lResult = openHandle();
            if (lResult == ERROR_SUCCESS)
                return true;
            // Any refusal is a failed open, access denied included: a key
            // marked open without a handle would only fail later, further
            // from the cause. Only a key that is not there may be created.
            if (!m_createIfMissing || !isMissingKey(lResult))
                return false;
            return create() && openHandle() == ERROR_SUCCESS;
        });
}

bool CQBNRegistryKey::closeBeforeReopen()
{
    {
        CQBNRegKeyAlreadyOpenWarning warning(m_path.getText(), kClassName,
                                             L"open", QBN_REGISTRY_KEY_SOURCE,
                                             __LINE__);
    }
    return close();
}

// The handle is taken through a local so that a refused call never leaves
// whatever Windows wrote behind in m_hKey.
LONG CQBNRegistryKey::openHandle()
{
    HKEY hKey = nullptr;
    const LONG lResult =
        RegOpenKeyExW(m_root, m_path.getText(), 0, m_access, &hKey);
    m_isOpen = (lResult == ERROR_SUCCESS);
    m_hKey = m_isOpen ? hKey : nullptr;
    return lResult;
}

bool CQBNRegistryKey::create()
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"create", QBN_REGISTRY_KEY_SOURCE),
        esLastError, [&]() {
            if (m_isOpen && !close())
                return false;
            HKEY hKey = nullptr;
            const LONG lResult =
                RegCreateKeyExW(m_root, m_path.getText(), 0, nullptr, m_options,
                                m_access, nullptr, &hKey, nullptr);
            if (lResult != ERROR_SUCCESS)
                throw CQBNRegKeyCreateException(
                    m_path.getText(), lResult, kClassName, L"create",
                    QBN_REGISTRY_KEY_SOURCE, __LINE__);
            m_hKey = hKey;
            m_isOpen = true;
            // Creating leaves the key closed; callers that need a handle
            // open it next.
            close();
            return true;
        });
}

bool CQBNRegistryKey::close()
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"close", QBN_REGISTRY_KEY_SOURCE),
        esLastError, [&]() {
            if (!m_isOpen)
                return true;
            const LONG lResult = RegCloseKey(m_hKey);
            if (lResult != ERROR_SUCCESS)
                throw CQBNRegCloseKeyWarning(m_path.getText(), lResult,
                                             kClassName, L"close",
                                             QBN_REGISTRY_KEY_SOURCE, __LINE__);
            m_hKey = nullptr;
            m_isOpen = false;
            return true;
        });
}

bool CQBNRegistryKey::exists()
{
    const bool bOpened = open();
    if (m_isOpen)
        close();
    return bOpened;
}

// ---- key information ----

bool CQBNRegistryKey::getMaxSubKeyLen(unsigned long& ulLength)
{
    return queryKeyInfo(*this, kiiMaxSubKeyLen, ulLength);
}

bool CQBNRegistryKey::getMaxValueLen(unsigned long& ulLength)
{
    return queryKeyInfo(*this, kiiMaxValueLen, ulLength);
}

bool CQBNRegistryKey::getMaxValueNameLen(unsigned long& ulLength)
{
    return queryKeyInfo(*this, kiiMaxValueNameLen, ulLength);
}

bool CQBNRegistryKey::getName(CQBNWCharString& out, bool bFull) const
{
    return qbnGuard(
        false, esLastError, QBN_REGISTRY_KEY_SOURCE, __LINE__, [&]() {
            const CQBNWCharString separator(kSeparator);
            if (!bFull && m_path.countOccurrences(separator) != 0)
                return m_path.subStringAt(out, separator, 1, pmBackward, false);
            // A path of one level is its own short name.
            out = m_path;
            return out == m_path;
        });
}

// ---- enumeration ----

bool CQBNRegistryKey::enumSubKeys(CQBNRegistryKey& outKey,
                                  unsigned long ulIndex)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kEnumClassName, L"enumSubKeys",
                        QBN_REGISTRY_KEY_SOURCE),
        esLastError,
        [&]() { return nextSubKey(outKey, ulIndex) == ERROR_SUCCESS; });
}

LONG CQBNRegistryKey::nextSubKey(CQBNRegistryKey& outKey, unsigned long ulIndex)
{
    unsigned long ulMaxLen = 0;
    if (!getMaxSubKeyLen(ulMaxLen) || !openIfClosed(*this))
        return ERROR_OPEN_FAILED;
    CQBNWCharString name;
    const LONG lResult = readEnumeratedName(
        ulMaxLen, name, [&](wchar_t* szName, DWORD* pdwLength) {
            return RegEnumKeyExW(m_hKey, ulIndex, szName, pdwLength, nullptr,
                                 nullptr, nullptr, nullptr);
        });
    if (lResult == ERROR_NO_MORE_ITEMS)
        return lResult;
    if (lResult != ERROR_SUCCESS)
        throw CQBNRegEnumKeyException(m_path.getText(), lResult, kEnumClassName,
                                      L"enumSubKeys", QBN_REGISTRY_KEY_SOURCE,
                                      __LINE__);
    // The sub-key keeps this key's access mask, registry view flags
    // included, or it would be looked for in the other view.
    const CQBNWCharString path = childPath(m_path, name);
    outKey = CQBNRegistryKey(m_root, path, m_access, false, m_options);
    return outKey.getPath() == path ? ERROR_SUCCESS : ERROR_OUTOFMEMORY;
}

// Only the end of the sub-keys completes the list: a key that cannot be
// opened, or an enumeration that breaks off, is a failure and not a key
// with fewer sub-keys. The key is measured once and enumerated through one
// handle, where stepping with enumSubKeys would open, measure and close it
// again for every sub-key; it is left open, as enumSubKeys leaves it.
bool CQBNRegistryKey::enumSubKeyNames(CQBNWCharStringList& list)
{
    return qbnGuard(false, esLastError, QBN_REGISTRY_KEY_SOURCE, __LINE__,
                    [&]() {
                        list.clear();
                        return openIfClosed(*this) && listSubKeyNames(list);
                    });
}

bool CQBNRegistryKey::listSubKeyNames(CQBNWCharStringList& list)
{
    CQBNBuffer<unsigned short> room(measureSubKeys() + 1);
    unsigned long ulMeasured = 1;
    for (DWORD dwIndex = 0;;) {
        DWORD dwLength = room.getNumElems();
        const LONG lResult = RegEnumKeyExW(
            m_hKey, dwIndex, reinterpret_cast<wchar_t*>(room.getBuffer()),
            &dwLength, nullptr, nullptr, nullptr, nullptr);
        if (lResult == ERROR_NO_MORE_ITEMS)
            return true;
        // A longer name came in after the measuring.
        if (lResult == ERROR_MORE_DATA && ulMeasured++ < kMultipleValuesReads) {
            if (!room.allocate(measureSubKeys() + 1))
                throw CQBNBufferInitException(QBN_REGISTRY_KEY_SOURCE, __LINE__,
                                              true);
            continue;
        }
        if (lResult != ERROR_SUCCESS)
            throw CQBNRegEnumKeyException(m_path.getText(), lResult,
                                          kEnumClassName, L"enumSubKeys",
                                          QBN_REGISTRY_KEY_SOURCE, __LINE__);
        CQBNWCharString name;
        takeEnumeratedName(room, dwLength, name);
        if (!name.isValid() || !list.add(name, static_cast<long>(dwIndex)))
            return false;
        ++dwIndex;
    }
}

// The longest sub-key name of the open key, in characters.
DWORD CQBNRegistryKey::measureSubKeys()
{
    DWORD dwMaxLength = 0;
    const LONG lResult = RegQueryInfoKeyW(
        m_hKey, nullptr, nullptr, nullptr, nullptr, &dwMaxLength, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr);
    if (lResult != ERROR_SUCCESS)
        throw CQBNRegQueryInfoKeyException(m_path.getText(), lResult,
                                           QBN_REGISTRY_KEY_SOURCE, __LINE__);
    return dwMaxLength;
}

bool CQBNRegistryKey::enumValueNames(CQBNWCharStringList& list)
{
    CQBNTraceScope trace(kEnumClassName, L"enumValueNames",
                         QBN_REGISTRY_KEY_SOURCE, __LINE__);
    const bool bFound =
        qbnGuardThenClose(*this, QBN_REGISTRY_KEY_SOURCE, __LINE__, [&]() {
            list.clear();
            unsigned long ulMaxLen = 0;
            if (!getMaxValueNameLen(ulMaxLen) || !openIfClosed(*this))
                return false;
            for (DWORD dwIndex = 0;; ++dwIndex) {
                CQBNWCharString name;
                const LONG lResult = readEnumeratedName(
                    ulMaxLen, name, [&](wchar_t* szName, DWORD* pdwLength) {
                        return RegEnumValueW(m_hKey, dwIndex, szName, pdwLength,
                                             nullptr, nullptr, nullptr,
                                             nullptr);
                    });
                if (lResult == ERROR_NO_MORE_ITEMS)
                    break;
                if (lResult != ERROR_SUCCESS)
                    throw CQBNRegEnumValueException(
                        m_path.getText(), lResult, kEnumClassName,
                        L"enumValueNames", QBN_REGISTRY_KEY_SOURCE, __LINE__);
                // The default value has no name and is not listed.
                if (name.getLength() != 0 &&
                    !list.add(name, static_cast<long>(dwIndex)))
                    return false;
            }
            return list.getCount() != 0;
        });
    return trace.finish(bFound);
}

bool CQBNRegistryKey::queryMultipleValues(CQBNRegistryValentList& list)
{
    return qbnGuardThenClose(*this, QBN_REGISTRY_KEY_SOURCE, __LINE__, [&]() {
        list.clear();
        CQBNWCharStringList nameList;
        std::vector<CQBNWCharString> names;
        if (!enumValueNames(nameList) || !copyNames(nameList, names))
            return false;
        const DWORD dwCount = static_cast<DWORD>(names.size());
        std::unique_ptr<VALENTW[]> records = makeRecords(names);
        if (!openIfClosed(*this))
            return false;
        CQBNBuffer<unsigned char> data;
        const LONG lResult =
            readMultipleValues(m_hKey, records.get(), dwCount, data);
        if (lResult != ERROR_SUCCESS)
            throw CQBNRegQueryMultipleValuesException(
                m_path.getText(), lResult, QBN_REGISTRY_KEY_SOURCE, __LINE__);
        return appendRecords(list, names, records.get(), data,
                             m_path.getText());
    });
}

// The list readers each want every value of the key, and a caller usually
// asks several of them in turn. One enumeration reads name, type and data
// together, where queryMultipleValues enumerates the names and then has
// every value read twice more (measured, then fetched); what it read is kept
// for the next reader while Windows reports no change to the key's values.
const CQBNRegistryValues* CQBNRegistryKey::readAllValues(bool bWatch)
{
    const CQBNRegistryValues* pValues = nullptr;
    qbnGuardThenClose(*this, QBN_REGISTRY_KEY_SOURCE, __LINE__, [&]() {
        const bool bCurrent =
            m_pValueSnapshot != nullptr && m_pValueSnapshot->isCurrent();
        if (!bCurrent && !takeValueSnapshot(bWatch))
            return false;
        if (m_pValueSnapshot->getValues().empty())
            return false;
        pValues = &m_pValueSnapshot->getValues();
        return true;
    });
    return pValues;
}

// The watch is set before the values are read, so that a change made while
// they are read shows on the next call. A watched key's handle is the
// snapshot's from then on: the key is closed, as after every reading, and
// the watch lives on.
bool CQBNRegistryKey::takeValueSnapshot(bool bWatch)
{
    m_pValueSnapshot.reset();
    if (!openIfClosed(*this))
        return false;
    std::unique_ptr<CQBNRegistryValueSnapshot> snapshot(
        new CQBNRegistryValueSnapshot());
    const HKEY hKey = m_hKey;
    if (bWatch && snapshot->watch(hKey)) {
        m_hKey = nullptr;
        m_isOpen = false;
    }
    CQBNRegistryValuesInfo info = {};
    CQBNRegistryValues values;
    readValues(hKey, m_path, info, values);
    snapshot->keep(info, values);
    m_pValueSnapshot = std::move(snapshot);
    return true;
}

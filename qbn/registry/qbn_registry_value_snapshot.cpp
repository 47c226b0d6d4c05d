#include "qbn_registry_value_snapshot.h"

bool CQBNRegistryValuesInfo::operator==(
    const CQBNRegistryValuesInfo& other) const
{
    return dwCount == other.dwCount &&
           dwMaxNameLength == other.dwMaxNameLength &&
           dwMaxDataBytes == other.dwMaxDataBytes &&
           CompareFileTime(&lastWrite, &other.lastWrite) == 0;
}

CQBNRegistryValueSnapshot::CQBNRegistryValueSnapshot() : m_info() {}

CQBNRegistryValueSnapshot::~CQBNRegistryValueSnapshot()
{
    stopWatching();
}

LONG CQBNRegistryValueSnapshot::queryInfo(HKEY hKey,
                                          CQBNRegistryValuesInfo& info)
{
    return RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, &info.dwCount, &info.dwMaxNameLength,
                            &info.dwMaxDataBytes, nullptr, &info.lastWrite);
}

bool CQBNRegistryValueSnapshot::watch(HKEY hKey)
{
    stopWatching();
    m_values.clear();
    // Manual reset: once a change is reported, every later check sees it.
    m_changed.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const BOOL bWholeTree = FALSE;
    const BOOL bAsynchronous = TRUE;
    if (!m_changed.isValid() ||
        RegNotifyChangeKeyValue(hKey, bWholeTree, REG_NOTIFY_CHANGE_LAST_SET,
                                m_changed.get(),
                                bAsynchronous) != ERROR_SUCCESS) {
        stopWatching();
        return false;
    }
    m_watchedKey.reset(hKey);
    return true;
}

void CQBNRegistryValueSnapshot::keep(const CQBNRegistryValuesInfo& info,
                                     CQBNRegistryValues& values)
{
    m_info = info;
    m_values.swap(values);
}

// The notification covers values set and deleted; the key's own answer
// covers its deletion, which Wine does not report to a watcher while the
// watcher still holds the key open.
bool CQBNRegistryValueSnapshot::isCurrent() const
{
    if (!m_watchedKey.isValid() ||
        WaitForSingleObject(m_changed.get(), 0) != WAIT_TIMEOUT)
        return false;
    CQBNRegistryValuesInfo now = {};
    return queryInfo(m_watchedKey.get(), now) == ERROR_SUCCESS && now == m_info;
}

void CQBNRegistryValueSnapshot::stopWatching()
{
    m_watchedKey.reset();
    m_changed.reset();
}

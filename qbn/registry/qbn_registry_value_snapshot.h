// Every named value of one registry key (name, type and data) as one
// enumeration read them, in the order the registry lists them, kept together
// with a watch on the key: while Windows reports no change to the key's
// values, a later caller is served from here instead of reading them all
// again.
#ifndef QBN_REGISTRY_VALUE_SNAPSHOT_H
#define QBN_REGISTRY_VALUE_SNAPSHOT_H

#include <windows.h>

#include <vector>

#include "qbn_registry_valent.h"
#include "qbn_unique_handle.h"

typedef std::vector<CQBNRegistryValent> CQBNRegistryValues;

// What RegQueryInfoKeyW tells about a key's values.
struct CQBNRegistryValuesInfo {
    DWORD dwCount;
    DWORD dwMaxNameLength; // characters, without the terminator
    DWORD dwMaxDataBytes;
    FILETIME lastWrite;

    bool operator==(const CQBNRegistryValuesInfo& other) const;
};

class CQBNRegistryValueSnapshot {
public:
    CQBNRegistryValueSnapshot();
    ~CQBNRegistryValueSnapshot();

    // Asks Windows to report any value set or deleted in the key from now
    // on, and takes over hKey for that: the watch lasts as long as the
    // handle is open. Call it before the values are read, so that a change
    // made while they are read is not missed. A key that cannot be watched
    // (a handle without KEY_NOTIFY, a key of another kind) answers false
    // and stays the caller's; the snapshot then serves only the call that
    // read it.
    bool watch(HKEY hKey);
    // The values as read, and what RegQueryInfoKeyW said of them.
    void keep(const CQBNRegistryValuesInfo& info, CQBNRegistryValues& values);

    // Whether the values kept still hold: the key is watched, nothing was
    // set or deleted in it since, and it still exists as it was. A key
    // deleted and made again is another key; the handle still names the
    // old one, which no longer answers.
    bool isCurrent() const;
    const CQBNRegistryValues& getValues() const { return m_values; }

    // RegQueryInfoKeyW for the values' part of `info`; answers its result.
    static LONG queryInfo(HKEY hKey, CQBNRegistryValuesInfo& info);

private:
    CQBNRegistryValueSnapshot(const CQBNRegistryValueSnapshot&) = delete;
    CQBNRegistryValueSnapshot& operator=(const CQBNRegistryValueSnapshot&) =
        delete;

    void stopWatching();

    CQBNUniqueRegKey m_watchedKey;
    CQBNUniqueKernelHandle m_changed;
    CQBNRegistryValuesInfo m_info;
    CQBNRegistryValues m_values;
};

#endif

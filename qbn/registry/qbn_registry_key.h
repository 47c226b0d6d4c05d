// One registry key, named by a predefined root and a sub-key path. The key
// is opened on demand and closed again after most operations, so an object
// can live long without holding a handle. No method lets an exception out
// except the constructor.
#ifndef QBN_REGISTRY_KEY_H
#define QBN_REGISTRY_KEY_H

#include <windows.h>

#include <memory>

#include "qbn_catch.h"
#include "qbn_dbllist.h"
#include "qbn_registry_valent.h"
#include "qbn_registry_value_snapshot.h"
#include "qbn_wchar_string.h"

class CQBNRegistryStringValue;
class CQBNRegistryDwordValue;
class CQBNRegistryMultiStringValue;
class CQBNRegistryBinaryValue;

typedef CQBNDblList<CQBNObjNode<CQBNRegistryValent>> CQBNRegistryValentList;
typedef CQBNDblList<CQBNObjNode<CQBNRegistryStringValue>>
    CQBNRegistryStringValueList;
typedef CQBNDblList<CQBNObjNode<CQBNRegistryDwordValue>>
    CQBNRegistryDwordValueList;
typedef CQBNDblList<CQBNObjNode<CQBNRegistryMultiStringValue>>
    CQBNRegistryMultiStringValueList;
typedef CQBNDblList<CQBNObjNode<CQBNRegistryBinaryValue>>
    CQBNRegistryBinaryValueList;

// Access masks the library uses.
const REGSAM kQbnKeyRead = 0x20019;
const REGSAM kQbnKeyWrite = 0x20006;
const REGSAM kQbnKeyReadWrite = 0x2001F;
const REGSAM kQbnKeyAllAccess = 0xF003F;

// Formats and flags of save and restore that select the registry text file
// instead of a hive file.
const unsigned long kQbnSaveAsTextFile = 8;
const unsigned long kQbnRestoreFromTextFile = 0x10;

class CQBNRegistryKey {
public:
    CQBNRegistryKey(HKEY hRoot, const CQBNWCharString& path, REGSAM access,
                    bool bCreateIfMissing, DWORD dwOptions);
    CQBNRegistryKey(const CQBNRegistryKey& other);
    ~CQBNRegistryKey();

    CQBNRegistryKey& operator=(const CQBNRegistryKey& other);

    void setAccess(REGSAM access);
    bool open();
    bool create();
    bool close();

    virtual bool exists();
    virtual bool save(const CQBNWCharString& szExportFileName,
                      unsigned long format, bool bOverwrite);
    virtual bool restore(const CQBNWCharString& szImportFileName,
                         unsigned long flags);

    bool getMaxSubKeyLen(unsigned long& ulLength);
    bool getMaxValueLen(unsigned long& ulLength);
    bool getMaxValueNameLen(unsigned long& ulLength);

    bool enumSubKeys(CQBNRegistryKey& outKey, unsigned long ulIndex);
    bool enumSubKeyNames(CQBNWCharStringList& list);
    bool enumValueNames(CQBNWCharStringList& list);
    bool queryMultipleValues(CQBNRegistryValentList& list);
    bool getName(CQBNWCharString& out, bool bFull) const;
    // Every named value of the key (name, type and data) in the order the
    // registry lists them, read in one enumeration. With bWatch the values
    // are kept, with a watch on the key (a handle and an event), until the
    // key is destroyed or reads them again, and later calls are answered
    // from them for as long as nothing in the key's values has changed. Null
    // when the key cannot be read or has no named values; otherwise valid until
    // the next call, a change of the key's identity or its destruction. The key
    // is closed afterwards, as after queryMultipleValues.
    const CQBNRegistryValues* readAllValues(bool bWatch = true);

    // Every value of one registry type under this key, as (name, data).
    bool getStringValues(CQBNRegistryStringValueList& list);
    bool getExpandStringValues(CQBNRegistryStringValueList& list, bool bExpand);
    bool getDwordValues(CQBNRegistryDwordValueList& list);
    bool getMultiStringValues(CQBNRegistryMultiStringValueList& list);
    bool getBinaryValues(CQBNRegistryBinaryValueList& list);

    HKEY getRoot() const { return m_root; }
    const CQBNWCharString& getPath() const { return m_path; }
    REGSAM getAccess() const { return m_access; }
    bool isOpen() const { return m_isOpen; }
    HKEY getHandle() const { return m_hKey; }

protected:
    CQBNWCharString m_path;
    REGSAM m_access;
    DWORD m_options;
    HKEY m_hKey;
    bool m_createIfMissing;
    bool m_isOpen;
    HKEY m_root;

private:
    // Copies the path for the constructors; throws CQBNRegKeyInitException
    // when it cannot.
    void takePath(const CQBNWCharString& path);
    // RegOpenKeyExW into m_hKey; the key is open exactly when this answers 0.
    LONG openHandle();
    bool closeBeforeReopen();
    // One step of sub-key enumeration: ERROR_SUCCESS with outKey set to the
    // sub-key, ERROR_NO_MORE_ITEMS past the last one, another code when this
    // key cannot be opened; a refused enumeration is thrown.
    LONG nextSubKey(CQBNRegistryKey& outKey, unsigned long ulIndex);
    // RegQueryInfoKeyW's longest sub-key name on the open key; a refusal is
    // thrown as CQBNRegQueryInfoKeyException.
    DWORD measureSubKeys();
    // Every sub-key name of the open key, in the registry's order.
    bool listSubKeyNames(CQBNWCharStringList& list);
    bool saveHive(const CQBNWCharString& szExportFileName, bool bOverwrite);
    bool restoreHive(const CQBNWCharString& szImportFileName,
                     unsigned long flags);
    bool takeValueSnapshot(bool bWatch);

    // The values readAllValues read last; never shared with a copy.
    std::unique_ptr<CQBNRegistryValueSnapshot> m_pValueSnapshot;
};

// Runs `body` under the one guard, then closes `key` whatever the body did
// or threw, if `closeIf`, asked once the body is done, agrees. The close
// comes after the guard, so a failure of the body is written before the
// close's own trace records.
template <class CloseIf, class Body>
bool qbnGuardThenCloseIf(CQBNRegistryKey& key, CloseIf closeIf,
                         const wchar_t* szSourceFile, unsigned long ulLine,
                         Body body)
{
    struct CCloser {
        CQBNRegistryKey& key;
        CloseIf& closeIf;
        ~CCloser()
        {
            if (closeIf())
                key.close();
        }
    } const closer = {key, closeIf};
    return qbnGuard(false, esLastError, szSourceFile, ulLine, body);
}

// The key's own operations end with it closed: close is called, and traced,
// even when the body left the key closed or never opened it.
template <class Body>
bool qbnGuardThenClose(CQBNRegistryKey& key, const wchar_t* szSourceFile,
                       unsigned long ulLine, Body body)
{
    return qbnGuardThenCloseIf(
        key, [] { return true; }, szSourceFile, ulLine, body);
}

#endif

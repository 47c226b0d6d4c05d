// One value of one registry key, with a typed copy of its data (the cache).
// The value's key is opened around every read and write and closed again
// before the call returns, whatever happened in between. The concrete
// classes supply the typed cache and the two registry transfers.
#ifndef QBN_REGISTRY_VALUE_H
#define QBN_REGISTRY_VALUE_H

#include <windows.h>

#include "qbn_catch.h"
#include "qbn_dbllist.h"
#include "qbn_registry_key.h"
#include "qbn_wchar_string.h"

class CQBNRegistryValue : public CQBNRegistryKey {
public:
    // An empty or null value name selects the key's default value.
    CQBNRegistryValue(HKEY hRoot, const CQBNWCharString& path,
                      const CQBNWCharString& valueName, REGSAM access,
                      bool bCreateIfMissing, DWORD dwOptions);

    virtual bool readRegistry() = 0;
    virtual bool writeRegistry() = 0;

    // writeRegistry through hOpenKey, a handle on this value's key that the
    // caller holds open and keeps, instead of opening and closing the key
    // for this one write: an import writes all of a key's values through
    // one handle. Answers and reports failures as writeRegistry does.
    bool writeThrough(HKEY hOpenKey);

    const CQBNWCharString& getValueName() const { return m_valueName; }
    bool isCacheValid() const { return m_cacheValid; }

    // Equal lengths and equal bytes; two empty buffers are equal.
    static bool sameBytes(const CQBNBuffer<unsigned char>& first,
                          const CQBNBuffer<unsigned char>& second);

protected:
    // Runs a transfer on the open key: opens it first if needed, closes it
    // afterwards on every path, and turns anything thrown into false.
    template <class Body>
    bool onOpenKey(const wchar_t* szSourceFile, unsigned long ulLine,
                   Body body);

    // Opens the key unless it is open; answers whether it is open now.
    bool ensureOpen();

    // The value's raw bytes into `pData` (may be null to ask for the size).
    LONG queryValue(void* pData, DWORD& dwSize);
    // The value's bytes into `bytes`, which arrives holding the room to use
    // and leaves holding exactly what was read. A value larger than that
    // room answers ERROR_MORE_DATA, also when it grew after the room was
    // measured, so nothing is ever read past the buffer.
    LONG queryBytes(CQBNBuffer<unsigned char>& bytes);

    // RegSetValueExW; a refusal is thrown as CQBNRegValueSetException named
    // after the caller. Marks the cache valid on success.
    bool setRegistryValue(DWORD dwType, const void* pData, DWORD dwSize,
                          const wchar_t* szClassName,
                          const wchar_t* szSourceFile, unsigned long ulLine);

    // What a read does when the value does not exist: without
    // createIfMissing it fails; with it the cache is emptied by `empty` and
    // written, and the write decides.
    template <class Empty>
    bool answerMissing(Empty empty);

    // The getValue and setValue every class offers over its own cache.
    template <class T>
    bool deliverCache(T& out, const T& cache, bool bUseCache,
                      const wchar_t* szSourceFile, unsigned long ulLine);
    template <class T>
    bool replaceCache(T& cache, const T& value, bool bNoWrite,
                      const wchar_t* szSourceFile, unsigned long ulLine);

    CQBNWCharString m_valueName;
    bool m_cacheValid;

private:
    // m_hKey is the caller's, lent to writeThrough.
    bool m_bLentHandle;
};

template <class Body>
bool CQBNRegistryValue::onOpenKey(const wchar_t* szSourceFile,
                                  unsigned long ulLine, Body body)
{
    // Only a key open on a handle of its own is closed: a lent handle is
    // the caller's, and a key that would not open has nothing to close.
    return qbnGuardThenCloseIf(
        *this, [&]() { return isOpen() && !m_bLentHandle; }, szSourceFile,
        ulLine, [&]() { return ensureOpen() && static_cast<bool>(body()); });
}

template <class Empty>
bool CQBNRegistryValue::answerMissing(Empty empty)
{
    if (!m_createIfMissing)
        return false;
    empty();
    return writeRegistry();
}

template <class T>
bool CQBNRegistryValue::deliverCache(T& out, const T& cache, bool bUseCache,
                                     const wchar_t* szSourceFile,
                                     unsigned long ulLine)
{
    return qbnGuard(false, esLastError, szSourceFile, ulLine, [&]() {
        if (!(bUseCache && m_cacheValid) && !readRegistry())
            return false;
        out = cache;
        return true;
    });
}

template <class T>
bool CQBNRegistryValue::replaceCache(T& cache, const T& value, bool bNoWrite,
                                     const wchar_t* szSourceFile,
                                     unsigned long ulLine)
{
    return qbnGuard(false, esLastError, szSourceFile, ulLine, [&]() {
        cache = value;
        return bNoWrite || writeRegistry();
    });
}

// Fills a key's list of (name, data) pairs with every value of one registry
// type, in the order the key reports them. `convert` turns one entry's raw
// bytes into the pair's data and answers whether it could. Entries of other
// types are passed over; a key without values of the type answers true and
// an empty list. The key's values are read once for all the readers
// (readAllValues), so asking the readers in turn reads the key once.
template <class Pair, class Convert>
bool qbnCollectValuesOfType(CQBNRegistryKey& key, unsigned long ulType,
                            CQBNDblList<CQBNObjNode<Pair>>& list,
                            const wchar_t* szSourceFile, unsigned long ulLine,
                            Convert convert)
{
    return qbnGuard(false, esLastError, szSourceFile, ulLine, [&]() {
        list.clear();
        const CQBNRegistryValues* pValues = key.readAllValues();
        if (pValues == nullptr)
            return false;
        for (const CQBNRegistryValent& entry : *pValues) {
            if (entry.type != ulType)
                continue;
            Pair pair;
            pair.name = entry.name;
            if (!convert(entry.data, pair.data) || !list.add(pair, 0))
                return false;
        }
        return true;
    });
}

#endif

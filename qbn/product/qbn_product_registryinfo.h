// One registry place where a product may have recorded its version and its
// installation folder: a key below HKEY_LOCAL_MACHINE and the names of the
// two string values there.
#ifndef QBN_PRODUCT_REGISTRYINFO_H
#define QBN_PRODUCT_REGISTRYINFO_H

#include "qbn_wchar_string.h"

class CQBNProductRegistryInfo {
public:
    CQBNProductRegistryInfo(const CQBNWCharString& keyPathIn,
                            const CQBNWCharString& versionValueNameIn,
                            const CQBNWCharString& installPathValueNameIn);
    // A product's list copies its places through this.
    CQBNProductRegistryInfo(const CQBNProductRegistryInfo& other);
    virtual ~CQBNProductRegistryInfo();

    virtual CQBNProductRegistryInfo& operator=(
        const CQBNProductRegistryInfo& other);
    // The entry a product's list hands out; a null entry changes nothing.
    virtual CQBNProductRegistryInfo& operator=(
        const CQBNProductRegistryInfo* pOther);

    // Exact, case-sensitive equality of all three names.
    bool operator==(const CQBNProductRegistryInfo& other) const;
    bool operator!=(const CQBNProductRegistryInfo& other) const;

    const CQBNWCharString& getKeyPath() const { return keyPath; }
    const CQBNWCharString& getVersionValueName() const
    {
        return versionValueName;
    }
    const CQBNWCharString& getInstallPathValueName() const
    {
        return installPathValueName;
    }

private:
    void copyFrom(const CQBNProductRegistryInfo* pOther);

    CQBNWCharString keyPath;
    CQBNWCharString versionValueName;
    CQBNWCharString installPathValueName;
};

#endif

// An installed product of the vendor: its names and the registry places
// where it may have recorded its version and installation folder, with the
// mechanics every concrete product shares: reading an item from the first
// place that has it, taking a dotted version text apart, and checking and
// comparing version patterns.
//
// Versions are four signed numbers: major, minor, build, patch.
#ifndef QBN_PRODUCT_H
#define QBN_PRODUCT_H

#include "qbn_dbllist.h"
#include "qbn_product_registryinfo.h"
#include "qbn_wchar_string.h"

// In a required version: any value here and at every later position.
const long QBN_DONT_CARE = -1;

typedef CQBNDblList<CQBNPtrNode<CQBNProductRegistryInfo>>
    CQBNProductRegistryInfoList;

// What getRegistryItem reads from a place.
enum CQBNProductRegistryItem : int {
    priRegistryLocation = 1, // the key path of a place with a folder value
    priVersion = 2,          // the version text
    priInstallPath = 3       // the installation folder
};

class CQBNProduct {
public:
    CQBNProduct(const CQBNWCharString& vendorNameIn,
                const CQBNWCharString& productNameIn);

    virtual bool isInstalled(long lMajorVer, long lMinorVer, long lBuildVer,
                             long lPatchVer) = 0;
    virtual bool getProductVersion(long& lMajorVer, long& lMinorVer,
                                   long& lBuildVer, long& lPatchVer) = 0;
    virtual bool getProductVersion(CQBNWCharString& version) = 0;

    // A pattern of four numbers is valid when nothing but QBN_DONT_CARE
    // follows a QBN_DONT_CARE.
    bool checkParms(const long* lVersions);
    // Whether `installed` is at least `required`, compared from major to
    // patch.
    bool isVersionInstalled(const long* required, const long* installed);
    // Fields 1 to 4 of a dotted text; an output whose field is missing or
    // not a number keeps the caller's value.
    bool convertVersion(const CQBNWCharString& text, long& lMajorVer,
                        long& lMinorVer, long& lBuildVer, long& lPatchVer);
    // Item 1, 2 or 3 (CQBNProductRegistryItem) from the first place that
    // has it; `out` is left alone when none has.
    bool getRegistryItem(int item, CQBNWCharString& out);

    const CQBNWCharString& getVendorName() const { return vendorName; }
    const CQBNWCharString& getProductName() const { return productName; }

protected:
    // Products are held by value in the function that asks them, never
    // deleted through this class.
    ~CQBNProduct();

    // Appends a place, tried after those added before it.
    bool addRegistryInfo(const CQBNWCharString& keyPath,
                         const CQBNWCharString& versionValueName,
                         const CQBNWCharString& installPathValueName);

    CQBNWCharString vendorName;
    CQBNWCharString productName;
    CQBNProductRegistryInfoList registryInfos;

private:
    CQBNProduct(const CQBNProduct&) = delete;
    CQBNProduct& operator=(const CQBNProduct&) = delete;
};

#endif

// The security product "Vaultrion" of "Ostrel": where it records its version
// and installation folder (its own key, then the key of its former name),
// and whether a required version of it is installed. From major version 7
// on, an installation also counts only when the common policy "VRNInstall"
// says so.
#ifndef QBN_PRODUCT_VRN_H
#define QBN_PRODUCT_VRN_H

#include "qbn_product.h"

class CQBNProduct_VRN : public CQBNProduct {
public:
    CQBNProduct_VRN();
    ~CQBNProduct_VRN();

    // The patterns take QBN_DONT_CARE as in checkParms.
    bool isInstalled(long lMajorVer, long lMinorVer, long lBuildVer,
                     long lPatchVer) override;
    // An output whose field is missing or not a number keeps the caller's
    // value.
    bool getProductVersion(long& lMajorVer, long& lMinorVer, long& lBuildVer,
                           long& lPatchVer) override;
    bool getProductVersion(CQBNWCharString& version) override;

    // The version test alone, without the policy.
    bool isCoreInstalled(long lMajorVer, long lMinorVer, long lBuildVer,
                         long lPatchVer);
    // The folder exactly as recorded, with or without a final backslash.
    bool getInstallDirectory(CQBNWCharString& directory);
    // The key path, below HKEY_LOCAL_MACHINE, of the first place whose
    // installation folder can be read.
    bool getRegistryLocation(CQBNWCharString& location);

private:
    // One registry item, traced as the public method that asks for it.
    bool readItem(int item, CQBNWCharString& out, const wchar_t* szMethodName,
                  unsigned long ulLine);
};

#endif

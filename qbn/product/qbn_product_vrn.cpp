#include "qbn_product_vrn.h"

#include "qbn_catch.h"
#include "qbn_common_policy.h"
#include "qbn_exceptions.h"
#include "qbn_traced_method.h"

#define QBN_PRODUCT_VRN_SOURCE L".\\qbn_product_vrn.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNProduct_VRN";

const wchar_t kVersionValue[] = L"Version";
const wchar_t kInstallPathValue[] = L"InstallPath";

// The first major version whose installation the common policy must confirm.
const long kFirstPolicyMajor = 7;

// Only a value of exactly 1 confirms; a setting that cannot be read stays 0.
bool isConfirmedByPolicy()
{
    CQBNCommonPolicy policy;
    unsigned long ulValue = 0;
    policy.getPolicy(cpsVRNInstall, ulValue, false, CQBNWCharString());
    return ulValue == 1;
}

} // namespace

CQBNProduct_VRN::CQBNProduct_VRN()
    : CQBNProduct(CQBNWCharString(L"Ostrel"), CQBNWCharString(L"Vaultrion"))
{
    // A product missing either place could answer from the wrong one (the
    // legacy key alone); better that it knows no place at all.
    if (!addRegistryInfo(CQBNWCharString(L"Software\\Ostrel\\Vaultrion"),
                         CQBNWCharString(kVersionValue),
                         CQBNWCharString(kInstallPathValue)) ||
        !addRegistryInfo(CQBNWCharString(L"Software\\Pellor Halvorix\\Secorin"),
                         CQBNWCharString(kVersionValue),
                         CQBNWCharString(kInstallPathValue)))
        registryInfos.clear();
}

CQBNProduct_VRN::~CQBNProduct_VRN() {}

bool CQBNProduct_VRN::isCoreInstalled(long lMajorVer, long lMinorVer,
                                      long lBuildVer, long lPatchVer)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"isCoreInstalled", QBN_PRODUCT_VRN_SOURCE),
        esLastError, [&]() {
            const long required[] = {lMajorVer, lMinorVer, lBuildVer,
                                     lPatchVer};
            long installed[] = {0, 0, 0, 0};
            if (!checkParms(required))
                throw CQBNBadArgException(
                    L"lMinorVer, lBuildVer, or lPatchVer",
                    L"Cannot have value after QBN_DONT_CARE",
                    QBN_PRODUCT_VRN_SOURCE, __LINE__);
            return getProductVersion(installed[0], installed[1], installed[2],
                                     installed[3]) &&
                   isVersionInstalled(required, installed);
        });
}

bool CQBNProduct_VRN::isInstalled(long lMajorVer, long lMinorVer,
                                  long lBuildVer, long lPatchVer)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"isInstalled", QBN_PRODUCT_VRN_SOURCE),
        esLastError, [&]() {
            long lMajor = 0;
            long lMinor = 0;
            long lBuild = 0;
            long lPatch = 0;
            if (!isCoreInstalled(lMajorVer, lMinorVer, lBuildVer, lPatchVer) ||
                !getProductVersion(lMajor, lMinor, lBuild, lPatch))
                return false;
            return lMajor < kFirstPolicyMajor || isConfirmedByPolicy();
        });
}

bool CQBNProduct_VRN::getProductVersion(long& lMajorVer, long& lMinorVer,
                                        long& lBuildVer, long& lPatchVer)
{
    return qbnTracedMethod(QBN_METHOD_SITE(kClassName, L"getProductVersion",
                                           QBN_PRODUCT_VRN_SOURCE),
                           esLastError, [&]() {
                               CQBNWCharString version;
                               return getProductVersion(version) &&
                                      convertVersion(version, lMajorVer,
                                                     lMinorVer, lBuildVer,
                                                     lPatchVer);
                           });
}

bool CQBNProduct_VRN::getProductVersion(CQBNWCharString& version)
{
    return readItem(priVersion, version, L"getProductVersion", __LINE__);
}

bool CQBNProduct_VRN::getInstallDirectory(CQBNWCharString& directory)
{
    return readItem(priInstallPath, directory, L"getInstallDirectory",
                    __LINE__);
}

bool CQBNProduct_VRN::getRegistryLocation(CQBNWCharString& location)
{
    return readItem(priRegistryLocation, location, L"getRegistryLocation",
                    __LINE__);
}

bool CQBNProduct_VRN::readItem(int item, CQBNWCharString& out,
                               const wchar_t* szMethodName,
                               unsigned long ulLine)
{
    return qbnTracedMethod(CQBNMethodSite{kClassName, szMethodName,
                                          QBN_PRODUCT_VRN_SOURCE, ulLine},
                           esLastError,
                           [&]() { return getRegistryItem(item, out); });
}

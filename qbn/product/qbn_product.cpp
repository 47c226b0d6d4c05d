#include "qbn_product.h"

#include <windows.h>

#include <new>

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_registry_string.h"
#include "qbn_traced_method.h"
#include "qbn_windows_os_info.h"

#define QBN_PRODUCT_SOURCE L".\\qbn_product.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNProduct";

const unsigned long kVersionFields = 4;
const REGSAM kRead = 0x20019;
const REGSAM kView64 = 0x0100;
const REGSAM kView32 = 0x0200;

// The view a failed read is retried in: the one this process does not see
// by default. A 32-bit process already reads the 32-bit view, so on 64-bit
// Windows its retry must add the 64-bit view flag (adding the 32-bit flag
// would read the same keys again and never find a product recorded only in
// the 64-bit view). A 64-bit build retries in the 32-bit view. On 32-bit
// Windows there is only one view and the flag is ignored.
REGSAM retryViewFlag(int iPlatform)
{
    const bool bSixtyFourBitProcess = sizeof(void*) == 8;
    return (bSixtyFourBitProcess && iPlatform == plX64) ? kView32 : kView64;
}

bool readString(const CQBNWCharString& keyPath,
                const CQBNWCharString& valueName, REGSAM access,
                CQBNWCharString& text)
{
    CQBNRegistryString value(HKEY_LOCAL_MACHINE, keyPath, valueName, access,
                             false, 0);
    return value.getValue(text, false);
}

bool readStringInEitherView(const CQBNWCharString& keyPath,
                            const CQBNWCharString& valueName, REGSAM retryView,
                            CQBNWCharString& text)
{
    return readString(keyPath, valueName, kRead, text) ||
           readString(keyPath, valueName, kRead | retryView, text);
}

const CQBNWCharString& valueNameFor(int item,
                                    const CQBNProductRegistryInfo& place)
{
    return item == priVersion ? place.getVersionValueName()
                              : place.getInstallPathValueName();
}

bool isKnownItem(int item)
{
    return item == priRegistryLocation || item == priVersion ||
           item == priInstallPath;
}

// The decimal text of one dotted field into `lValue`; anything else leaves
// it alone.
void convertField(const CQBNWCharString& text, unsigned long ulField,
                  long& lValue)
{
    CQBNWCharString field;
    unsigned long ulValue = 0;
    if (text.getToken(field, CQBNWCharString(L"."), ulField, tmSeparated,
                      CQBNFlags(0), CQBNFlags(0)) &&
        field.toNumber(ulValue, nsDecimal))
        lValue = static_cast<long>(ulValue);
}

[[noreturn]] void throwNullArgument(const wchar_t* szArgName,
                                    unsigned long ulLine)
{
    throw CQBNBadArgException(szArgName, L"Cannot have NULL value",
                              QBN_PRODUCT_SOURCE, ulLine);
}

} // namespace

CQBNProduct::CQBNProduct(const CQBNWCharString& vendorNameIn,
                         const CQBNWCharString& productNameIn)
    : vendorName(vendorNameIn), productName(productNameIn)
{
}

CQBNProduct::~CQBNProduct()
{
    registryInfos.clear();
}

bool CQBNProduct::addRegistryInfo(const CQBNWCharString& keyPath,
                                  const CQBNWCharString& versionValueName,
                                  const CQBNWCharString& installPathValueName)
{
    return qbnGuard(false, esErrno, QBN_PRODUCT_SOURCE, __LINE__, [&]() {
        CQBNProductRegistryInfo* pPlace = new (std::nothrow)
            CQBNProductRegistryInfo(keyPath, versionValueName,
                                    installPathValueName);
        if (pPlace == nullptr)
            throw CQBNMemAllocException(L"pPlace", QBN_PRODUCT_SOURCE,
                                        __LINE__);
        // The list owns the place from here on, also when it cannot add it.
        return registryInfos.add(pPlace, 0);
    });
}

bool CQBNProduct::checkParms(const long* lVersions)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"checkParms", QBN_PRODUCT_SOURCE),
        esLastError, [&]() {
            if (lVersions == nullptr)
                throwNullArgument(L"lVersions", __LINE__);
            for (unsigned long ulPos = 0; ulPos + 1 < kVersionFields; ++ulPos) {
                if (lVersions[ulPos] != QBN_DONT_CARE)
                    continue;
                for (unsigned long ulLater = ulPos + 1;
                     ulLater < kVersionFields; ++ulLater) {
                    if (lVersions[ulLater] == QBN_DONT_CARE)
                        continue;
                    const CQBNWCharString argName =
                        CQBNWCharString(L"lVersions[") +
                        CQBNWCharString(static_cast<long>(ulLater)) +
                        CQBNWCharString(L"]");
                    throw CQBNBadArgException(
                        argName.getText(),
                        L"Cannot be real value, QBN_DONT_CAREs prior",
                        QBN_PRODUCT_SOURCE, __LINE__);
                }
            }
            return true;
        });
}

bool CQBNProduct::isVersionInstalled(const long* required,
                                     const long* installed)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"isVersionInstalled", QBN_PRODUCT_SOURCE),
        esLastError, [&]() {
            if (required == nullptr)
                throwNullArgument(L"required", __LINE__);
            if (installed == nullptr)
                throwNullArgument(L"installed", __LINE__);
            for (unsigned long ulPos = 0; ulPos < kVersionFields; ++ulPos) {
                if (required[ulPos] != installed[ulPos])
                    return required[ulPos] < installed[ulPos];
            }
            return true;
        });
}

bool CQBNProduct::convertVersion(const CQBNWCharString& text, long& lMajorVer,
                                 long& lMinorVer, long& lBuildVer,
                                 long& lPatchVer)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"convertVersion", QBN_PRODUCT_SOURCE),
        esLastError, [&]() {
            long* const pFields[kVersionFields] = {&lMajorVer, &lMinorVer,
                                                   &lBuildVer, &lPatchVer};
            for (unsigned long ulField = 0; ulField < kVersionFields; ++ulField)
                convertField(text, ulField + 1, *pFields[ulField]);
            return true;
        });
}

bool CQBNProduct::getRegistryItem(int item, CQBNWCharString& out)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getRegistryItem", QBN_PRODUCT_SOURCE),
        esLastError, [&]() {
            if (!isKnownItem(item))
                throw CQBNBadArgException(L"item", L"must be 1, 2 or 3",
                                          QBN_PRODUCT_SOURCE, __LINE__);
            const CQBNWindowsOSInfo osInfo;
            const REGSAM retryView = retryViewFlag(osInfo.getPlatform());
            for (bool bMore = registryInfos.moveFirst(); bMore;
                 bMore = registryInfos.moveNext()) {
                CQBNProductRegistryInfo* pPlace = nullptr;
                CQBNWCharString text;
                if (!registryInfos.getCurrent(pPlace) || pPlace == nullptr ||
                    !readStringInEitherView(pPlace->getKeyPath(),
                                            valueNameFor(item, *pPlace),
                                            retryView, text))
                    continue;
                out = item == priRegistryLocation ? pPlace->getKeyPath() : text;
                return true;
            }
            return false;
        });
}

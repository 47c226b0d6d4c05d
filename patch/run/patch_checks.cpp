#include "patch_checks.h"

#include <windows.h>

#include "patch8104_ids.h"
#include "patch_install.h"
#include "patch_messages.h"
#include "patch_record.h"
#include "qbn_catch.h"
#include "qbn_product_vrn.h"
#include "qbn_windows_os_info.h"

#define PATCH_CHECKS_SOURCE L".\\patch_checks.cpp"

namespace {

int osTypeOf(const CQBNWindowsOSInfo& info)
{
    if (info.isVista())
        return kOsVista;
    if (info.isXP())
        return kOsXP;
    if (info.isWin7())
        return kOsWindows7;
    return kOsOther;
}

// The patch's codes are the reverse of getPlatform's own.
int platformOf(const CQBNWindowsOSInfo& info)
{
    if (info.getPlatform() == plX86)
        return kPlatform32Bit;
    if (info.getPlatform() == plX64)
        return kPlatform64Bit;
    return 0;
}

// A field the text does not have stays empty.
CQBNWCharString versionField(const CQBNWCharString& version,
                             unsigned long ulField)
{
    CQBNWCharString field;
    if (!version.getToken(field, CQBNWCharString(L"."), ulField, tmSeparated,
                          CQBNFlags(0), CQBNFlags(0)))
        return CQBNWCharString();
    return field;
}

void stopWith(int code)
{
    showResultMessage(code, MB_OK, IDOK);
}

void stopWithMessage(int messageId)
{
    showMessage(messageId, MB_OK, IDOK);
}

} // namespace

long productVersionKey(const CQBNWCharString& version)
{
    unsigned long ulKey = 0;
    const CQBNWCharString digits =
        versionField(version, 1) + versionField(version, 2);
    if (!digits.toNumber(ulKey, nsDecimal))
        return 0;
    return static_cast<long>(ulKey);
}

int isProductInstalled()
{
    return qbnGuard(0, esLastError, PATCH_CHECKS_SOURCE, __LINE__, [&]() {
        CQBNProduct_VRN product;
        return product.isInstalled(QBN_DONT_CARE, QBN_DONT_CARE, QBN_DONT_CARE,
                                   QBN_DONT_CARE)
                   ? 1
                   : 0;
    });
}

int getOsAndPlatform(OsAndPlatform& out)
{
    return qbnGuard(0, esLastError, PATCH_CHECKS_SOURCE, __LINE__, [&]() {
        const CQBNWindowsOSInfo info;
        out.osType = osTypeOf(info);
        out.platform = platformOf(info);
        return 1;
    });
}

int getProductVersionInfo(ProductVersionInfo& out)
{
    return qbnGuard(0, esLastError, PATCH_CHECKS_SOURCE, __LINE__, [&]() {
        CQBNProduct_VRN product;
        CQBNWCharString version;
        if (!product.getProductVersion(version))
            return 0;
        out.version = version;
        out.versionKey = productVersionKey(version);
        return 1;
    });
}

// The checks in their fixed order; the first that fails ends the run with
// its message.
void checkAndInstall(PatchRun& run)
{
    if (!isProductInstalled())
        return stopWith(ProductNotInstalled);
    if (isPatchInstalled())
        return stopWith(AlreadyInstalled);
    OsAndPlatform os = {kOsOther, 0};
    if (!getOsAndPlatform(os))
        return stopWith(InstallFailed);
    if (os.osType != kOsWindows7)
        return stopWith(WrongOperatingSystem);
    if (!getOsAndPlatform(os))
        return stopWithMessage(IDS_INSTALL_FAILED);
    ProductVersionInfo product;
    if (!getProductVersionInfo(product))
        return stopWithMessage(IDS_INSTALL_FAILED);
    if (product.versionKey != kPatchedVersionKey)
        return stopWithMessage(IDS_WRONG_PRODUCT_VERSION);
    applyPatch(os.platform, run);
}

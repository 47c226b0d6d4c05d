// The checks that decide whether patch 8104 may be applied (or removed),
// and the install's order of them.
#ifndef PATCH_CHECKS_H
#define PATCH_CHECKS_H

#include "patch_options.h"
#include "patch_run.h"
#include "qbn_wchar_string.h"

// osType codes: the Windows version family.
const int kOsOther = 0;
const int kOsVista = 1;
const int kOsXP = 2;
const int kOsWindows7 = 3;

struct OsAndPlatform {
    int osType;
    // kPlatform32Bit or kPlatform64Bit (patch_hook_files.h), 0 for neither.
    int platform;
};

struct ProductVersionInfo {
    // As the registry holds it, such as 8.30.1.2.
    CQBNWCharString version;
    // The first two dotted fields written side by side, as a number: 830.
    long versionKey = 0;
};

// The product version this patch is made for.
const long kPatchedVersionKey = 830;

// The version key of a version text; 0 when the fields do not make a
// number.
long productVersionKey(const CQBNWCharString& version);

int isProductInstalled();
int getOsAndPlatform(OsAndPlatform& out);
int getProductVersionInfo(ProductVersionInfo& out);

// The install's checks in their fixed order; the first that fails ends the
// run with its message, otherwise the patch is applied.
void checkAndInstall(PatchRun& run);

#endif

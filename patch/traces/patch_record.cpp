#include "patch_record.h"

#include <windows.h>

#include "patch_paths.h"
#include "patch_registry_values.h"
#include "patch_run_state.h"
#include "patch_target_folder.h"
#include "patch_uninstall_entry.h"
#include "qbn_catch.h"
#include "qbn_product_vrn.h"
#include "qbn_registry_key.h"
#include "qbn_registry_multi_string.h"
#include "qbn_registry_string.h"

#define PATCH_RECORD_SOURCE L".\\patch_record.cpp"

namespace {

// The product's registry location, "\Patch\" and the patch number: the
// same key for the test of a later run and for the record of this one.
bool getPatchRecordKeyPath(CQBNWCharString& path)
{
    CQBNProduct_VRN product;
    CQBNWCharString location;
    if (!product.getRegistryLocation(location))
        return false;
    path = location + CQBNWCharString(L"\\Patch\\") +
           CQBNWCharString(kPatchNumber);
    return true;
}

void writeRecordValues(const CQBNWCharString& path,
                       const CQBNWCharString& description,
                       const CQBNWCharStringList& fileList)
{
    // Each value is tried on its own: a refused description must not keep
    // the file list from being recorded.
    qbnGuardAction(esLastError, PATCH_RECORD_SOURCE, __LINE__, [&]() {
        CQBNRegistryString value(HKEY_LOCAL_MACHINE, path,
                                 CQBNWCharString(L"description"), kQbnKeyWrite,
                                 true, 0);
        value.setValue(description, false);
    });
    qbnGuardAction(esLastError, PATCH_RECORD_SOURCE, __LINE__, [&]() {
        CQBNRegistryMultiString value(HKEY_LOCAL_MACHINE, path,
                                      CQBNWCharString(L"updated"), kQbnKeyWrite,
                                      true, 0);
        value.setValue(fileList, false);
    });
}

} // namespace

int isPatchInstalled()
{
    return qbnGuard(0, esLastError, PATCH_RECORD_SOURCE, __LINE__, [&]() {
        CQBNWCharString path;
        if (!getPatchRecordKeyPath(path))
            return 0;
        CQBNRegistryKey key(HKEY_LOCAL_MACHINE, path, kQbnKeyRead, false, 0);
        return key.exists() ? 1 : 0;
    });
}

int writePatchRecord(const CQBNWCharString& description,
                     const CQBNWCharStringList& fileList)
{
    qbnGuardAction(esLastError, PATCH_RECORD_SOURCE, __LINE__, [&]() {
        CQBNWCharString path;
        if (!getPatchRecordKeyPath(path))
            return;
        CQBNRegistryKey key(HKEY_LOCAL_MACHINE, path, kQbnKeyRead, false, 0);
        if (key.create())
            writeRecordValues(path, description, fileList);
    });
    return 0;
}

bool forgetPatch()
{
    return qbnGuard(false, esLastError, PATCH_RECORD_SOURCE, __LINE__, [&]() {
        CQBNWCharString path;
        CQBNWCharString productFolder;
        if (!getPatchRecordKeyPath(path) || !readProductFolder(productFolder))
            return false;
        return deleteMachineKey(path.getText()) &&
               deleteUninstallEntry(productFolder);
    });
}

// CQBNRegistryKey, second half: save and restore, as hive files or as the
// library's registry text file. Kept apart from the key's own source so that
// the key does not depend on the text file, which itself reads and writes
// through keys.
#include "qbn_registry_key.h"

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_registry_file.h"
#include "qbn_windowsprocess.h"

#define QBN_REGISTRY_KEY_SAVE_SOURCE L".\\qbn_registry_key_save.cpp"

namespace {

void requireFileName(const CQBNWCharString& fileName, const wchar_t* szArgName)
{
    if (!fileName.isValid() || fileName.getLength() == 0)
        throw CQBNBadArgException(szArgName, L"filename must be non-null",
                                  QBN_REGISTRY_KEY_SAVE_SOURCE, __LINE__);
}

bool enableOwnPrivilege(const wchar_t* szPrivilege)
{
    CQBNWindowsProcess process;
    const HANDLE hOwnToken = nullptr;
    return process.setPrivilege(szPrivilege, true, hOwnToken);
}

} // namespace

bool CQBNRegistryKey::save(const CQBNWCharString& szExportFileName,
                           unsigned long format, bool bOverwrite)
{
    return qbnGuardThenClose(
        *this, QBN_REGISTRY_KEY_SAVE_SOURCE, __LINE__, [&]() {
            requireFileName(szExportFileName, L"szExportFileName");
            if (format == kQbnSaveAsTextFile)
                return CQBNRegistryFile::exportToTextFile(
                    m_root, m_path, szExportFileName, bOverwrite);
            return saveHive(szExportFileName, bOverwrite);
        });
}

bool CQBNRegistryKey::saveHive(const CQBNWCharString& szExportFileName,
                               bool bOverwrite)
{
    // RegSaveKeyW refuses to write over an existing file.
    if (bOverwrite)
        DeleteFileW(szExportFileName.getText());
    if (!enableOwnPrivilege(L"SeBackupPrivilege"))
        return false;
    // A key that cannot be opened has no handle to save from.
    LONG lResult = ERROR_INVALID_HANDLE;
    if ((isOpen() || open()))
        lResult = RegSaveKeyW(m_hKey, szExportFileName.getText(), nullptr);
    if (lResult != ERROR_SUCCESS)
        throw CQBNRegSaveKeyException(m_path.getText(), lResult, nullptr,
                                      nullptr, QBN_REGISTRY_KEY_SAVE_SOURCE,
                                      __LINE__);
    return true;
}

bool CQBNRegistryKey::restore(const CQBNWCharString& szImportFileName,
                              unsigned long flags)
{
    return qbnGuard(
        false, esLastError, QBN_REGISTRY_KEY_SAVE_SOURCE, __LINE__, [&]() {
            requireFileName(szImportFileName, L"szImportFileName");
            if (flags == kQbnRestoreFromTextFile)
                return CQBNRegistryFile::importFromTextFile(szImportFileName);
            return restoreHive(szImportFileName, flags);
        });
}

// Other flags (REG_FORCE_RESTORE among them) are Windows' own and pass
// through unchanged.
bool CQBNRegistryKey::restoreHive(const CQBNWCharString& szImportFileName,
                                  unsigned long flags)
{
    if (!enableOwnPrivilege(L"SeRestorePrivilege") || !(isOpen() || open()))
        return false;
    const LONG lResult =
        RegRestoreKeyW(m_hKey, szImportFileName.getText(), flags);
    if (lResult != ERROR_SUCCESS)
        throw CQBNRegRestoreKeyException(m_path.getText(), lResult, nullptr,
                                         nullptr, QBN_REGISTRY_KEY_SAVE_SOURCE,
                                         __LINE__);
    return true;
}

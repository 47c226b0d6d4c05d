#include "qbn_exceptions.h"

#include <windows.h>

// Parameter tails matching the declarations.
#define QBN_TAIL_PARAMS                                                   \
    const wchar_t *szSourceFile, unsigned long ulLine,                    \
        unsigned short usOutputs, bool bLogNow, bool bLogOnDestroy
#define QBN_TAIL_PARAMS_NO_DESTROY                                        \
    const wchar_t *szSourceFile, unsigned long ulLine,                    \
        unsigned short usOutputs, bool bLogNow

namespace {

const unsigned long kNoErrorCode = static_cast<unsigned long>(-1);

} // namespace

// ---- general ----

CQBNUnhandledExceptionException::CQBNUnhandledExceptionException(
    unsigned long ulError, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"An unhandled exception occurred");
    finishConstruction(bLogNow);
}

CQBNMemAllocException::CQBNMemAllocException(const wchar_t* szPointerName,
                                             QBN_TAIL_PARAMS)
    : CQBNLogException1(kNoErrorCode, rtErrorCode, nullptr, nullptr,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to allocate memory ( %s )",
                  qbnOrUnknown(szPointerName));
    finishConstruction(bLogNow);
}

CQBNMemoryCopyException::CQBNMemoryCopyException(unsigned long ulError,
                                                 const wchar_t* szSourceFile,
                                                 unsigned long ulLine,
                                                 bool bLogOnDestroy)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, loText, bLogOnDestroy)
{
    formatMessage(L"memcpy() function failed");
}

CMemDestroyFailWarning::CMemDestroyFailWarning(const wchar_t* szPointerName,
                                               QBN_TAIL_PARAMS)
    : CQBNLogWarning(kNoErrorCode, rtErrorCode, nullptr, nullptr, szSourceFile,
                     ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to free memory ( %s )", qbnOrUnknown(szPointerName));
    finishConstruction(bLogNow);
}

CQBNBufferInitException::CQBNBufferInitException(const wchar_t* szSourceFile,
                                                 unsigned long ulLine,
                                                 bool bLogOnDestroy)
    : CQBNLogException1(kNoErrorCode, rtErrorCode, nullptr, nullptr,
                        szSourceFile, ulLine, loText, bLogOnDestroy)
{
    formatMessage(L"Unable to initialize CQBNBuffer");
}

CQBNBadArgException::CQBNBadArgException(const wchar_t* szArgName,
                                         const wchar_t* szReason,
                                         QBN_TAIL_PARAMS)
    : CQBNLogException1(0, rtErrorCode, nullptr, nullptr, szSourceFile, ulLine,
                        usOutputs, bLogOnDestroy)
{
    formatMessage(L"A bad argument was provided ( %s ). %s",
                  qbnOrUnknown(szArgName), qbnOrUnknown(szReason));
    finishConstruction(bLogNow);
}

CQBNIndexOutOfBoundsException::CQBNIndexOutOfBoundsException(QBN_TAIL_PARAMS)
    : CQBNLogException1(kNoErrorCode, rtErrorCode, nullptr, nullptr,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Index out of array bounds");
    finishConstruction(bLogNow);
}

// ---- registry ----

CQBNRegKeyInitException::CQBNRegKeyInitException(QBN_TAIL_PARAMS)
    : CQBNLogException1(kNoErrorCode, rtErrorCode, nullptr, nullptr,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"CQBNRegistryKey object failed to initialize");
    finishConstruction(bLogNow);
}

CQBNRegValueSetException::CQBNRegValueSetException(
    const wchar_t* szKeyPath, const wchar_t* szValueName,
    unsigned long ulError, const wchar_t* szClassName,
    const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtBoolean, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to Set registry value ( \"%s\\%s\" )",
                  qbnOrUnknown(szKeyPath), qbnOrUnknown(szValueName));
    finishConstruction(bLogNow);
}

CQBNRegEnumKeyException::CQBNRegEnumKeyException(
    const wchar_t* szKeyPath, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtErrorCode, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to enumerate subkeys from key ( \"%s\" )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegEnumValueException::CQBNRegEnumValueException(
    const wchar_t* szKeyPath, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtErrorCode, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to enumerate values from key ( \"%s\" )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegKeyCreateException::CQBNRegKeyCreateException(
    const wchar_t* szKeyPath, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtBoolean, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to create registry key ( \"%s\" )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegSaveKeyException::CQBNRegSaveKeyException(
    const wchar_t* szKeyPath, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtBoolean, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to save registry key ( \"%s\" )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegRestoreKeyException::CQBNRegRestoreKeyException(
    const wchar_t* szKeyPath, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtBoolean, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to load registry key ( \"%s\" )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegQueryInfoKeyException::CQBNRegQueryInfoKeyException(
    const wchar_t* szKeyPath, unsigned long ulError, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtBoolean, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to query info on registry key ( \"%s\" )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegQueryMultipleValuesException::CQBNRegQueryMultipleValuesException(
    const wchar_t* szKeyPath, unsigned long ulError, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtBoolean, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(
        L"Unable to query multiple values from registry key ( \"%s\" )",
        qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegCloseKeyWarning::CQBNRegCloseKeyWarning(
    const wchar_t* szKeyPath, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogWarning(ulError, rtErrorCode, szClassName, szMethodName,
                     szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to close registry key ( %s )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

CQBNRegKeyAlreadyOpenWarning::CQBNRegKeyAlreadyOpenWarning(
    const wchar_t* szKeyPath, const wchar_t* szClassName,
    const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogWarning(kNoErrorCode, rtBoolean, szClassName, szMethodName,
                     szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Registry key is already open ( %s )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

// ---- process token and handles ----

CQBNOpenProcessTokenException::CQBNOpenProcessTokenException(
    const wchar_t* szProcessHandle, unsigned long ulError,
    QBN_TAIL_PARAMS_NO_DESTROY)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, false)
{
    formatMessage(L"OpenProcessToken call failed for handle:%s",
                  qbnOrUnknown(szProcessHandle));
    finishConstruction(bLogNow);
}

CQBNLookupPrivilegeValueException::CQBNLookupPrivilegeValueException(
    const wchar_t* szPrivilege, unsigned long ulError,
    QBN_TAIL_PARAMS_NO_DESTROY)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, false)
{
    formatMessage(L"LookupPrivilegeValue call failed for privilege:%s",
                  qbnOrUnknown(szPrivilege));
    finishConstruction(bLogNow);
}

CQBNAdjustTokenPrivilegesException::CQBNAdjustTokenPrivilegesException(
    const wchar_t* szTokenHandle, unsigned long ulError,
    QBN_TAIL_PARAMS_NO_DESTROY)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, false)
{
    formatMessage(L"AdjustTokenPrivileges call failed for handle:%s",
                  qbnOrUnknown(szTokenHandle));
    finishConstruction(bLogNow);
}

CCloseHandleWarning::CCloseHandleWarning(const wchar_t* szHandleName,
                                         unsigned long ulError,
                                         QBN_TAIL_PARAMS_NO_DESTROY)
    : CQBNLogWarning(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                     ulLine, usOutputs, false)
{
    formatMessage(L"Unable to free memory ( %s )", qbnOrUnknown(szHandleName));
    finishConstruction(bLogNow);
}

// ---- environment, INI, directories, OS ----

CQBNUnknownVariableNameException::CQBNUnknownVariableNameException(
    QBN_TAIL_PARAMS)
    : CQBNLogException1(kNoErrorCode, rtErrorCode, nullptr, nullptr,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"The environment variable name has not been initialized");
    finishConstruction(bLogNow);
}

CQBNWritePrivateProfileStringException::CQBNWritePrivateProfileStringException(
    const wchar_t* szSection, const wchar_t* szKeyName, unsigned long ulError,
    QBN_TAIL_PARAMS_NO_DESTROY)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, false)
{
    formatMessage(
        L"Unable to write profile string ( section: %s, key name: %s )",
        qbnOrUnknown(szSection), qbnOrUnknown(szKeyName));
    finishConstruction(bLogNow);
}

CQBNWritePrivateProfileSectionException::
    CQBNWritePrivateProfileSectionException(const wchar_t* szSection,
                                            unsigned long ulError,
                                            QBN_TAIL_PARAMS_NO_DESTROY)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, false)
{
    formatMessage(L"Unable to write profile section ( section: %s )",
                  qbnOrUnknown(szSection));
    finishConstruction(bLogNow);
}

CQBNDirectoryInitException::CQBNDirectoryInitException(QBN_TAIL_PARAMS)
    : CQBNLogException1(kNoErrorCode, rtErrorCode, nullptr, nullptr,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"CQBNDirectory object failed to initialize");
    finishConstruction(bLogNow);
}

CQBNWindowsOSInfoInitNeededException::CQBNWindowsOSInfoInitNeededException(
    QBN_TAIL_PARAMS)
    : CQBNLogException1(kNoErrorCode, rtErrorCode, nullptr, nullptr,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"CQBNWindowsOSInfo construction failed. Cannot call "
                  L"member functions.");
    finishConstruction(bLogNow);
}

namespace {

const unsigned long kShellInvalidArg = 0x80070057;
const unsigned long kShellFail = 0x80004005;
const unsigned long kShellFalse = 1;

} // namespace

CQBNSIgetStoragePathException::CQBNSIgetStoragePathException(
    const wchar_t* szFolderName, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtErrorCode, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    wchar_t szReason[64] = {};
    if (ulError == kShellInvalidArg)
        lstrcpynW(szReason, L"Shell folder does not exist.", 64);
    else if (ulError == kShellFail || ulError == kShellFalse)
        lstrcpynW(szReason, L"Path does not exist.", 64);
    else
        wsprintfW(szReason, L"Shell folder error %d.", static_cast<int>(ulError));
    formatMessage(L"Unable to obtain Windows shell folder path for folder "
                  L"( \"%s\" ).  %s",
                  qbnOrUnknown(szFolderName), szReason);
    finishConstruction(bLogNow);
}

// ---- resources, message boxes, policies ----

CQBNLoadStringException::CQBNLoadStringException(
    unsigned long ulStringId, const wchar_t* szResourceDll,
    unsigned long ulError, const wchar_t* szSourceFile, unsigned long ulLine,
    bool bLogNow, bool bLogOnDestroy)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, loText, bLogOnDestroy)
{
    const bool bNamed = szResourceDll != nullptr && szResourceDll[0] != L'\0';
    formatMessage(L"Unable to load string ( ID: %d ) from resource DLL ( %s )",
                  static_cast<int>(ulStringId),
                  bNamed ? szResourceDll : L"Unknown resource DLL");
    finishConstruction(bLogNow);
}

CQBNMessageBoxInitException::CQBNMessageBoxInitException(unsigned long ulError,
                                                         QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to initialize message box");
    finishConstruction(bLogNow);
}

CQBNGetPolicySettingWarning::CQBNGetPolicySettingWarning(
    unsigned long ulSettingId, QBN_TAIL_PARAMS)
    : CQBNLogWarning(0, rtErrorCode, nullptr, nullptr, szSourceFile, ulLine,
                     usOutputs, bLogOnDestroy)
{
    formatMessage(L"Could not find policy setting with ID ( %d )",
                  static_cast<int>(ulSettingId));
    finishConstruction(bLogNow);
}

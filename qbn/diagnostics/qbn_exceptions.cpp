#include "qbn_exceptions.h"

#include <windows.h>

// Parameter tails matching the declarations.
#define QBN_TAIL_PARAMS                                                        \
    const wchar_t *szSourceFile, unsigned long ulLine,                         \
        unsigned short usOutputs, bool bLogNow, bool bLogOnDestroy
#define QBN_TAIL_PARAMS_NO_DESTROY                                             \
    const wchar_t *szSourceFile, unsigned long ulLine,                         \
        unsigned short usOutputs, bool bLogNow

// ---- general ----

CQBNMemoryCopyException::CQBNMemoryCopyException(unsigned long ulError,
                                                 const wchar_t* szSourceFile,
                                                 unsigned long ulLine,
                                                 bool bLogOnDestroy)
    : CQBNLogException1(ulError, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, loText, bLogOnDestroy)
{
    formatMessage(L"memcpy() function failed");
}

CQBNBufferInitException::CQBNBufferInitException(const wchar_t* szSourceFile,
                                                 unsigned long ulLine,
                                                 bool bLogOnDestroy)
    : CQBNLogException1(kQbnNoErrorCode, rtErrorCode, nullptr, nullptr,
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

// ---- registry ----

CQBNRegValueSetException::CQBNRegValueSetException(
    const wchar_t* szKeyPath, const wchar_t* szValueName, unsigned long ulError,
    const wchar_t* szClassName, const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogException1(ulError, rtBoolean, szClassName, szMethodName,
                        szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Unable to Set registry value ( \"%s\\%s\" )",
                  qbnOrUnknown(szKeyPath), qbnOrUnknown(szValueName));
    finishConstruction(bLogNow);
}

CQBNRegKeyAlreadyOpenWarning::CQBNRegKeyAlreadyOpenWarning(
    const wchar_t* szKeyPath, const wchar_t* szClassName,
    const wchar_t* szMethodName, QBN_TAIL_PARAMS)
    : CQBNLogWarning(kQbnNoErrorCode, rtBoolean, szClassName, szMethodName,
                     szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    formatMessage(L"Registry key is already open ( %s )",
                  qbnOrUnknown(szKeyPath));
    finishConstruction(bLogNow);
}

// ---- environment, INI, directories, OS ----

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
        wsprintfW(szReason, L"Shell folder error %d.",
                  static_cast<int>(ulError));
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

CQBNGetPolicySettingWarning::CQBNGetPolicySettingWarning(
    unsigned long ulSettingId, QBN_TAIL_PARAMS)
    : CQBNLogWarning(0, rtErrorCode, nullptr, nullptr, szSourceFile, ulLine,
                     usOutputs, bLogOnDestroy)
{
    formatMessage(L"Could not find policy setting with ID ( %d )",
                  static_cast<int>(ulSettingId));
    finishConstruction(bLogNow);
}

// Every exception and warning of the library, each with its own message.
// They are kept together because they form one table: a class, a level and a
// format each, and nothing else of their own.
#ifndef QBN_EXCEPTIONS_H
#define QBN_EXCEPTIONS_H

#include "qbn_detailed_log.h"

// Shared tail of every constructor: where, and how to write.
#define QBN_LOG_TAIL                                                      \
    const wchar_t *szSourceFile, unsigned long ulLine,                    \
        unsigned short usOutputs = loText, bool bLogNow = true,           \
        bool bLogOnDestroy = false

// Tail of the classes that are never written again on destruction.
#define QBN_LOG_TAIL_NO_DESTROY                                           \
    const wchar_t *szSourceFile, unsigned long ulLine,                    \
        unsigned short usOutputs = loText, bool bLogNow = true

// ---- general ----

class CQBNUnhandledExceptionException : public CQBNLogException1 {
public:
    CQBNUnhandledExceptionException(unsigned long ulError, QBN_LOG_TAIL);
};

class CQBNMemAllocException : public CQBNLogException1 {
public:
    CQBNMemAllocException(const wchar_t* szPointerName, QBN_LOG_TAIL);
};

// Written only when destroyed, so that it reaches the log after unwinding.
class CQBNMemoryCopyException : public CQBNLogException1 {
public:
    CQBNMemoryCopyException(unsigned long ulError, const wchar_t* szSourceFile,
                            unsigned long ulLine, bool bLogOnDestroy);
};

class CMemDestroyFailWarning : public CQBNLogWarning {
public:
    CMemDestroyFailWarning(const wchar_t* szPointerName, QBN_LOG_TAIL);
};

// Written only when destroyed, so that it reaches the log after unwinding.
class CQBNBufferInitException : public CQBNLogException1 {
public:
    CQBNBufferInitException(const wchar_t* szSourceFile, unsigned long ulLine,
                            bool bLogOnDestroy);
};

class CQBNBadArgException : public CQBNLogException1 {
public:
    CQBNBadArgException(const wchar_t* szArgName, const wchar_t* szReason,
                        QBN_LOG_TAIL);
};

class CQBNIndexOutOfBoundsException : public CQBNLogException1 {
public:
    explicit CQBNIndexOutOfBoundsException(QBN_LOG_TAIL);
};

// ---- registry ----

class CQBNRegKeyInitException : public CQBNLogException1 {
public:
    explicit CQBNRegKeyInitException(QBN_LOG_TAIL);
};

class CQBNRegValueSetException : public CQBNLogException1 {
public:
    CQBNRegValueSetException(const wchar_t* szKeyPath,
                             const wchar_t* szValueName, unsigned long ulError,
                             const wchar_t* szClassName,
                             const wchar_t* szMethodName, QBN_LOG_TAIL);
};

class CQBNRegEnumKeyException : public CQBNLogException1 {
public:
    CQBNRegEnumKeyException(const wchar_t* szKeyPath, unsigned long ulError,
                            const wchar_t* szClassName,
                            const wchar_t* szMethodName, QBN_LOG_TAIL);
};

class CQBNRegEnumValueException : public CQBNLogException1 {
public:
    CQBNRegEnumValueException(const wchar_t* szKeyPath, unsigned long ulError,
                              const wchar_t* szClassName,
                              const wchar_t* szMethodName, QBN_LOG_TAIL);
};

class CQBNRegKeyCreateException : public CQBNLogException1 {
public:
    CQBNRegKeyCreateException(const wchar_t* szKeyPath, unsigned long ulError,
                              const wchar_t* szClassName,
                              const wchar_t* szMethodName, QBN_LOG_TAIL);
};

class CQBNRegSaveKeyException : public CQBNLogException1 {
public:
    CQBNRegSaveKeyException(const wchar_t* szKeyPath, unsigned long ulError,
                            const wchar_t* szClassName,
                            const wchar_t* szMethodName, QBN_LOG_TAIL);
};

class CQBNRegRestoreKeyException : public CQBNLogException1 {
public:
    CQBNRegRestoreKeyException(const wchar_t* szKeyPath, unsigned long ulError,
                               const wchar_t* szClassName,
                               const wchar_t* szMethodName, QBN_LOG_TAIL);
};

class CQBNRegQueryInfoKeyException : public CQBNLogException1 {
public:
    CQBNRegQueryInfoKeyException(const wchar_t* szKeyPath,
                                 unsigned long ulError, QBN_LOG_TAIL);
};

class CQBNRegQueryMultipleValuesException : public CQBNLogException1 {
public:
    CQBNRegQueryMultipleValuesException(const wchar_t* szKeyPath,
                                        unsigned long ulError, QBN_LOG_TAIL);
};

class CQBNRegCloseKeyWarning : public CQBNLogWarning {
public:
    CQBNRegCloseKeyWarning(const wchar_t* szKeyPath, unsigned long ulError,
                           const wchar_t* szClassName,
                           const wchar_t* szMethodName, QBN_LOG_TAIL);
};

class CQBNRegKeyAlreadyOpenWarning : public CQBNLogWarning {
public:
    CQBNRegKeyAlreadyOpenWarning(const wchar_t* szKeyPath,
                                 const wchar_t* szClassName,
                                 const wchar_t* szMethodName, QBN_LOG_TAIL);
};

// ---- process token and handles ----

class CQBNOpenProcessTokenException : public CQBNLogException1 {
public:
    CQBNOpenProcessTokenException(const wchar_t* szProcessHandle,
                                  unsigned long ulError,
                                  QBN_LOG_TAIL_NO_DESTROY);
};

class CQBNLookupPrivilegeValueException : public CQBNLogException1 {
public:
    CQBNLookupPrivilegeValueException(const wchar_t* szPrivilege,
                                      unsigned long ulError,
                                      QBN_LOG_TAIL_NO_DESTROY);
};

class CQBNAdjustTokenPrivilegesException : public CQBNLogException1 {
public:
    CQBNAdjustTokenPrivilegesException(const wchar_t* szTokenHandle,
                                       unsigned long ulError,
                                       QBN_LOG_TAIL_NO_DESTROY);
};

class CCloseHandleWarning : public CQBNLogWarning {
public:
    CCloseHandleWarning(const wchar_t* szHandleName, unsigned long ulError,
                        QBN_LOG_TAIL_NO_DESTROY);
};

// ---- environment, INI, directories, OS ----

class CQBNUnknownVariableNameException : public CQBNLogException1 {
public:
    explicit CQBNUnknownVariableNameException(QBN_LOG_TAIL);
};

class CQBNWritePrivateProfileStringException : public CQBNLogException1 {
public:
    CQBNWritePrivateProfileStringException(const wchar_t* szSection,
                                           const wchar_t* szKeyName,
                                           unsigned long ulError,
                                           QBN_LOG_TAIL_NO_DESTROY);
};

class CQBNWritePrivateProfileSectionException : public CQBNLogException1 {
public:
    CQBNWritePrivateProfileSectionException(const wchar_t* szSection,
                                            unsigned long ulError,
                                            QBN_LOG_TAIL_NO_DESTROY);
};

class CQBNDirectoryInitException : public CQBNLogException1 {
public:
    explicit CQBNDirectoryInitException(QBN_LOG_TAIL);
};

class CQBNWindowsOSInfoInitNeededException : public CQBNLogException1 {
public:
    explicit CQBNWindowsOSInfoInitNeededException(QBN_LOG_TAIL);
};

// The reason part is chosen from the shell's error code.
class CQBNSIgetStoragePathException : public CQBNLogException1 {
public:
    CQBNSIgetStoragePathException(const wchar_t* szFolderName,
                                  unsigned long ulError,
                                  const wchar_t* szClassName,
                                  const wchar_t* szMethodName, QBN_LOG_TAIL);
};

// ---- resources, message boxes, policies ----

// Always sent to the text output.
class CQBNLoadStringException : public CQBNLogException1 {
public:
    CQBNLoadStringException(unsigned long ulStringId,
                            const wchar_t* szResourceDll,
                            unsigned long ulError, const wchar_t* szSourceFile,
                            unsigned long ulLine, bool bLogNow = true,
                            bool bLogOnDestroy = false);
};

class CQBNMessageBoxInitException : public CQBNLogException1 {
public:
    CQBNMessageBoxInitException(unsigned long ulError, QBN_LOG_TAIL);
};

class CQBNGetPolicySettingWarning : public CQBNLogWarning {
public:
    CQBNGetPolicySettingWarning(unsigned long ulSettingId, QBN_LOG_TAIL);
};

#undef QBN_LOG_TAIL
#undef QBN_LOG_TAIL_NO_DESTROY

#endif

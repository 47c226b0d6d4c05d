// Every exception and warning of the library, each with its own message.
// They are kept together because they form one table: a class, a level and a
// format each, and nothing else of their own.
#ifndef QBN_EXCEPTIONS_H
#define QBN_EXCEPTIONS_H

#include "qbn_detailed_log.h"

// Shared tail of every constructor: where, and how to write. Kept out of
// the formatter, which cannot lay out a parameter list that is a macro.
// clang-format off
#define QBN_LOG_TAIL                                                           \
    const wchar_t* szSourceFile, unsigned long ulLine,                         \
    unsigned short usOutputs = loText, bool bLogNow = true,                    \
    bool bLogOnDestroy = false

// Tail of the classes that are never written again on destruction.
#define QBN_LOG_TAIL_NO_DESTROY                                                \
    const wchar_t* szSourceFile, unsigned long ulLine,                         \
    unsigned short usOutputs = loText, bool bLogNow = true
// clang-format on

// ---- the shapes ----
//
// Most entries differ only in their base (exception or warning), how their
// result reads and their message; each shape below is one constructor
// signature, and each class of the table is one line naming its shape.

// The value written as the result when there is no error code to give.
const unsigned long kQbnNoErrorCode = static_cast<unsigned long>(-1);

// A fixed message.
template <class Base, unsigned long Result, const wchar_t* Format>
class CQBNFixedEntry : public Base {
public:
    explicit CQBNFixedEntry(QBN_LOG_TAIL)
        : Base(Result, rtErrorCode, nullptr, nullptr, szSourceFile, ulLine,
               usOutputs, bLogOnDestroy)
    {
        this->formatMessage(Format);
        this->finishConstruction(bLogNow);
    }
};

// A fixed message and the Windows error that caused it.
template <class Base, const wchar_t* Format>
class CQBNErrorEntry : public Base {
public:
    CQBNErrorEntry(unsigned long ulError, QBN_LOG_TAIL)
        : Base(ulError, rtErrorCode, nullptr, nullptr, szSourceFile, ulLine,
               usOutputs, bLogOnDestroy)
    {
        this->formatMessage(Format);
        this->finishConstruction(bLogNow);
    }
};

// A message naming one thing (a pointer, a handle, a privilege).
template <class Base, unsigned long Result, const wchar_t* Format>
class CQBNNamedEntry : public Base {
public:
    CQBNNamedEntry(const wchar_t* szName, QBN_LOG_TAIL)
        : Base(Result, rtErrorCode, nullptr, nullptr, szSourceFile, ulLine,
               usOutputs, bLogOnDestroy)
    {
        this->formatMessage(Format, qbnOrUnknown(szName));
        this->finishConstruction(bLogNow);
    }
};

// A message naming one thing, and the Windows error.
template <class Base, unsigned long ResultType, const wchar_t* Format>
class CQBNNamedErrorEntry : public Base {
public:
    CQBNNamedErrorEntry(const wchar_t* szName, unsigned long ulError,
                        QBN_LOG_TAIL)
        : Base(ulError, ResultType, nullptr, nullptr, szSourceFile, ulLine,
               usOutputs, bLogOnDestroy)
    {
        this->formatMessage(Format, qbnOrUnknown(szName));
        this->finishConstruction(bLogNow);
    }
};

// A registry key's path, the Windows error, and the class and method that
// met it.
template <class Base, unsigned long ResultType, const wchar_t* Format>
class CQBNKeyErrorEntry : public Base {
public:
    CQBNKeyErrorEntry(const wchar_t* szKeyPath, unsigned long ulError,
                      const wchar_t* szClassName, const wchar_t* szMethodName,
                      QBN_LOG_TAIL)
        : Base(ulError, ResultType, szClassName, szMethodName, szSourceFile,
               ulLine, usOutputs, bLogOnDestroy)
    {
        this->formatMessage(Format, qbnOrUnknown(szKeyPath));
        this->finishConstruction(bLogNow);
    }
};

// One class of the table: its name, its shape with the shape's arguments.
#define QBN_LOG_ENTRY_CLASS(Name, ...)                                         \
    class Name : public __VA_ARGS__ {                                          \
        using Shape = __VA_ARGS__;                                             \
                                                                               \
    public:                                                                    \
        using Shape::Shape;                                                    \
    }

// ---- messages ----

inline constexpr wchar_t kQbnUnhandledText[] =
    L"An unhandled exception occurred";
inline constexpr wchar_t kQbnMemAllocText[] =
    L"Unable to allocate memory ( %s )";
inline constexpr wchar_t kQbnMemFreeText[] = L"Unable to free memory ( %s )";
inline constexpr wchar_t kQbnIndexText[] = L"Index out of array bounds";
inline constexpr wchar_t kQbnRegKeyInitText[] =
    L"CQBNRegistryKey object failed to initialize";
inline constexpr wchar_t kQbnRegEnumKeyText[] =
    L"Unable to enumerate subkeys from key ( \"%s\" )";
inline constexpr wchar_t kQbnRegEnumValueText[] =
    L"Unable to enumerate values from key ( \"%s\" )";
inline constexpr wchar_t kQbnRegKeyCreateText[] =
    L"Unable to create registry key ( \"%s\" )";
inline constexpr wchar_t kQbnRegSaveKeyText[] =
    L"Unable to save registry key ( \"%s\" )";
inline constexpr wchar_t kQbnRegRestoreKeyText[] =
    L"Unable to load registry key ( \"%s\" )";
inline constexpr wchar_t kQbnRegQueryInfoText[] =
    L"Unable to query info on registry key ( \"%s\" )";
inline constexpr wchar_t kQbnRegQueryMultipleText[] =
    L"Unable to query multiple values from registry key ( \"%s\" )";
inline constexpr wchar_t kQbnRegCloseKeyText[] =
    L"Unable to close registry key ( %s )";
inline constexpr wchar_t kQbnOpenProcessTokenText[] =
    L"OpenProcessToken call failed for handle:%s";
inline constexpr wchar_t kQbnLookupPrivilegeText[] =
    L"LookupPrivilegeValue call failed for privilege:%s";
inline constexpr wchar_t kQbnAdjustPrivilegesText[] =
    L"AdjustTokenPrivileges call failed for handle:%s";
inline constexpr wchar_t kQbnUnknownVariableText[] =
    L"The environment variable name has not been initialized";
inline constexpr wchar_t kQbnProfileSectionText[] =
    L"Unable to write profile section ( section: %s )";
inline constexpr wchar_t kQbnDirectoryInitText[] =
    L"CQBNDirectory object failed to initialize";
inline constexpr wchar_t kQbnOSInfoInitText[] =
    L"CQBNWindowsOSInfo construction failed. Cannot call member functions.";
inline constexpr wchar_t kQbnMessageBoxInitText[] =
    L"Unable to initialize message box";

// ---- general ----

QBN_LOG_ENTRY_CLASS(CQBNUnhandledExceptionException,
                    CQBNErrorEntry<CQBNLogException1, kQbnUnhandledText>);
QBN_LOG_ENTRY_CLASS(
    CQBNMemAllocException,
    CQBNNamedEntry<CQBNLogException1, kQbnNoErrorCode, kQbnMemAllocText>);

// Written only when destroyed, so that it reaches the log after unwinding.
class CQBNMemoryCopyException : public CQBNLogException1 {
public:
    CQBNMemoryCopyException(unsigned long ulError, const wchar_t* szSourceFile,
                            unsigned long ulLine, bool bLogOnDestroy);
};

QBN_LOG_ENTRY_CLASS(
    CMemDestroyFailWarning,
    CQBNNamedEntry<CQBNLogWarning, kQbnNoErrorCode, kQbnMemFreeText>);

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

QBN_LOG_ENTRY_CLASS(
    CQBNIndexOutOfBoundsException,
    CQBNFixedEntry<CQBNLogException1, kQbnNoErrorCode, kQbnIndexText>);

// ---- registry ----

QBN_LOG_ENTRY_CLASS(
    CQBNRegKeyInitException,
    CQBNFixedEntry<CQBNLogException1, kQbnNoErrorCode, kQbnRegKeyInitText>);

class CQBNRegValueSetException : public CQBNLogException1 {
public:
    CQBNRegValueSetException(const wchar_t* szKeyPath,
                             const wchar_t* szValueName, unsigned long ulError,
                             const wchar_t* szClassName,
                             const wchar_t* szMethodName, QBN_LOG_TAIL);
};

QBN_LOG_ENTRY_CLASS(
    CQBNRegEnumKeyException,
    CQBNKeyErrorEntry<CQBNLogException1, rtErrorCode, kQbnRegEnumKeyText>);
QBN_LOG_ENTRY_CLASS(
    CQBNRegEnumValueException,
    CQBNKeyErrorEntry<CQBNLogException1, rtErrorCode, kQbnRegEnumValueText>);
QBN_LOG_ENTRY_CLASS(
    CQBNRegKeyCreateException,
    CQBNKeyErrorEntry<CQBNLogException1, rtBoolean, kQbnRegKeyCreateText>);
QBN_LOG_ENTRY_CLASS(
    CQBNRegSaveKeyException,
    CQBNKeyErrorEntry<CQBNLogException1, rtBoolean, kQbnRegSaveKeyText>);
QBN_LOG_ENTRY_CLASS(
    CQBNRegRestoreKeyException,
    CQBNKeyErrorEntry<CQBNLogException1, rtBoolean, kQbnRegRestoreKeyText>);
QBN_LOG_ENTRY_CLASS(
    CQBNRegQueryInfoKeyException,
    CQBNNamedErrorEntry<CQBNLogException1, rtBoolean, kQbnRegQueryInfoText>);
QBN_LOG_ENTRY_CLASS(CQBNRegQueryMultipleValuesException,
                    CQBNNamedErrorEntry<CQBNLogException1, rtBoolean,
                                        kQbnRegQueryMultipleText>);
QBN_LOG_ENTRY_CLASS(
    CQBNRegCloseKeyWarning,
    CQBNKeyErrorEntry<CQBNLogWarning, rtErrorCode, kQbnRegCloseKeyText>);

class CQBNRegKeyAlreadyOpenWarning : public CQBNLogWarning {
public:
    CQBNRegKeyAlreadyOpenWarning(const wchar_t* szKeyPath,
                                 const wchar_t* szClassName,
                                 const wchar_t* szMethodName, QBN_LOG_TAIL);
};

// ---- process token and handles ----
// Never written again on destruction: they are only ever built with the
// default for bLogOnDestroy.

QBN_LOG_ENTRY_CLASS(CQBNOpenProcessTokenException,
                    CQBNNamedErrorEntry<CQBNLogException1, rtErrorCode,
                                        kQbnOpenProcessTokenText>);
QBN_LOG_ENTRY_CLASS(CQBNLookupPrivilegeValueException,
                    CQBNNamedErrorEntry<CQBNLogException1, rtErrorCode,
                                        kQbnLookupPrivilegeText>);
QBN_LOG_ENTRY_CLASS(CQBNAdjustTokenPrivilegesException,
                    CQBNNamedErrorEntry<CQBNLogException1, rtErrorCode,
                                        kQbnAdjustPrivilegesText>);
QBN_LOG_ENTRY_CLASS(
    CCloseHandleWarning,
    CQBNNamedErrorEntry<CQBNLogWarning, rtErrorCode, kQbnMemFreeText>);

// ---- environment, INI, directories, OS ----

QBN_LOG_ENTRY_CLASS(CQBNUnknownVariableNameException,
                    CQBNFixedEntry<CQBNLogException1, kQbnNoErrorCode,
                                   kQbnUnknownVariableText>);

class CQBNWritePrivateProfileStringException : public CQBNLogException1 {
public:
    CQBNWritePrivateProfileStringException(const wchar_t* szSection,
                                           const wchar_t* szKeyName,
                                           unsigned long ulError,
                                           QBN_LOG_TAIL_NO_DESTROY);
};

QBN_LOG_ENTRY_CLASS(CQBNWritePrivateProfileSectionException,
                    CQBNNamedErrorEntry<CQBNLogException1, rtErrorCode,
                                        kQbnProfileSectionText>);
QBN_LOG_ENTRY_CLASS(
    CQBNDirectoryInitException,
    CQBNFixedEntry<CQBNLogException1, kQbnNoErrorCode, kQbnDirectoryInitText>);
QBN_LOG_ENTRY_CLASS(
    CQBNWindowsOSInfoInitNeededException,
    CQBNFixedEntry<CQBNLogException1, kQbnNoErrorCode, kQbnOSInfoInitText>);

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
                            const wchar_t* szResourceDll, unsigned long ulError,
                            const wchar_t* szSourceFile, unsigned long ulLine,
                            bool bLogNow = true, bool bLogOnDestroy = false);
};

QBN_LOG_ENTRY_CLASS(CQBNMessageBoxInitException,
                    CQBNErrorEntry<CQBNLogException1, kQbnMessageBoxInitText>);

class CQBNGetPolicySettingWarning : public CQBNLogWarning {
public:
    CQBNGetPolicySettingWarning(unsigned long ulSettingId, QBN_LOG_TAIL);
};

#undef QBN_LOG_ENTRY_CLASS
#undef QBN_LOG_TAIL
#undef QBN_LOG_TAIL_NO_DESTROY

#endif

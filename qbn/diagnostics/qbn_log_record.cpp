#include "qbn_log_record.h"

#include <windows.h>

#include <cwchar>
#include <new>

namespace {

// A length with this bit set cannot be a real text of this program.
const size_t kAbsurdLengthBit = 0x40000000;

void freeText(wchar_t*& field)
{
    if (field == nullptr)
        return;
    SecureZeroMemory(field, (wcslen(field) + 1) * sizeof(wchar_t));
    delete[] field;
    field = nullptr;
}

} // namespace

const wchar_t* qbnLevelName(unsigned long ulLevel)
{
    switch (ulLevel) {
    case llCritical:
        return L"CRITICAL";
    case llExceptionBad:
        return L"EXCEPTION_BAD";
    case llExceptionOk:
        return L"EXCEPTION_OK";
    case llError:
        return L"ERROR";
    case llWarning:
        return L"WARNING";
    case llDebug:
        return L"DEBUG";
    case llInformation:
        return L"INFORMATION";
    case llNotification:
        return L"NOTIFICATION";
    case llEntry:
        return L"ENTRY";
    case llExit:
        return L"EXIT";
    case llSuccess:
        return L"SUCCESS";
    case llFailure:
        return L"FAILURE";
    default:
        return L"UNSPECIFIED";
    }
}

CQBNLogRecord::CQBNLogRecord()
    : level(0), message(nullptr), moduleName(nullptr), logFile(nullptr),
      resultType(rtBoolean), result(0), className(nullptr), methodName(nullptr),
      sourceFile(nullptr), line(0)
{
}

CQBNLogRecord::CQBNLogRecord(const CQBNLogRecord& other)
    : level(other.level), message(nullptr), moduleName(nullptr),
      logFile(nullptr), resultType(other.resultType), result(other.result),
      className(nullptr), methodName(nullptr), sourceFile(nullptr),
      line(other.line)
{
    copyTextsFrom(other);
}

CQBNLogRecord& CQBNLogRecord::operator=(const CQBNLogRecord& other)
{
    if (this == &other)
        return *this;
    level = other.level;
    resultType = other.resultType;
    result = other.result;
    line = other.line;
    copyTextsFrom(other);
    return *this;
}

CQBNLogRecord::~CQBNLogRecord()
{
    freeTexts();
}

bool CQBNLogRecord::setText(wchar_t*& field, const wchar_t* szValue)
{
    freeText(field);
    if (szValue == nullptr)
        return true;
    const size_t length = wcslen(szValue);
    if (length == 0 || (length & kAbsurdLengthBit) != 0)
        return false;
    field = new (std::nothrow) wchar_t[length + 1];
    if (field == nullptr)
        return false;
    wmemcpy(field, szValue, length + 1);
    return true;
}

void CQBNLogRecord::freeTexts()
{
    freeText(message);
    freeText(moduleName);
    freeText(logFile);
    freeText(className);
    freeText(methodName);
    freeText(sourceFile);
}

void CQBNLogRecord::copyTextsFrom(const CQBNLogRecord& other)
{
    setText(message, other.message);
    setText(moduleName, other.moduleName);
    setText(logFile, other.logFile);
    setText(className, other.className);
    setText(methodName, other.methodName);
    setText(sourceFile, other.sourceFile);
}

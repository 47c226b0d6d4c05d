#include "qbn_detailed_log.h"

#include <windows.h>

#include <cstdarg>

namespace {

// wsprintfW never writes more than this many characters.
const int kMessageChars = 1024;

} // namespace

const wchar_t* qbnOrUnknown(const wchar_t* szText)
{
    return szText != nullptr ? szText : L"Unknown";
}

CQBNDetailedLog::CQBNDetailedLog(
    unsigned long ulLevel, const wchar_t* szMessage, unsigned long ulResult,
    unsigned long ulResultType, const wchar_t* szClassName,
    const wchar_t* szMethodName, const wchar_t* szSourceFile,
    unsigned long ulLine, bool bLogNow, bool bLogOnDestroy,
    unsigned short usOutputs, const wchar_t* szModuleName,
    const wchar_t* szLogFile)
    : CQBNLogging(usOutputs, bLogOnDestroy)
{
    fillRecord(ulLevel, ulResult, ulResultType, szClassName, szMethodName,
               szSourceFile, ulLine);
    CQBNLogRecord::setText(m_record.message, szMessage);
    CQBNLogRecord::setText(m_record.moduleName, szModuleName);
    CQBNLogRecord::setText(m_record.logFile, szLogFile);
    finishConstruction(bLogNow);
}

CQBNDetailedLog::CQBNDetailedLog(unsigned long ulLevel, unsigned long ulResult,
                                 unsigned long ulResultType,
                                 const wchar_t* szClassName,
                                 const wchar_t* szMethodName,
                                 const wchar_t* szSourceFile,
                                 unsigned long ulLine, unsigned short usOutputs,
                                 bool bLogOnDestroy)
    : CQBNLogging(usOutputs, bLogOnDestroy)
{
    fillRecord(ulLevel, ulResult, ulResultType, szClassName, szMethodName,
               szSourceFile, ulLine);
}

CQBNDetailedLog::~CQBNDetailedLog()
{
    // Written again even when already logged: a trace's EXIT relies on it.
    if (m_bLogOnDestroy)
        CQBNDetailedLog::log();
}

void CQBNDetailedLog::fillRecord(unsigned long ulLevel, unsigned long ulResult,
                                 unsigned long ulResultType,
                                 const wchar_t* szClassName,
                                 const wchar_t* szMethodName,
                                 const wchar_t* szSourceFile,
                                 unsigned long ulLine)
{
    m_record.level = ulLevel;
    m_record.result = ulResult;
    m_record.resultType = ulResultType;
    m_record.line = ulLine;
    CQBNLogRecord::setText(m_record.className, szClassName);
    CQBNLogRecord::setText(m_record.methodName, szMethodName);
    CQBNLogRecord::setText(m_record.sourceFile, szSourceFile);
}

void CQBNDetailedLog::formatMessage(const wchar_t* szFormat, ...)
{
    wchar_t szMessage[kMessageChars + 1] = {};
    va_list args;
    va_start(args, szFormat);
    wvsprintfW(szMessage, szFormat, args);
    va_end(args);
    szMessage[kMessageChars] = L'\0';
    CQBNLogRecord::setText(m_record.message, szMessage);
}

void CQBNDetailedLog::finishConstruction(bool bLogNow)
{
    if (bLogNow)
        CQBNDetailedLog::log();
}

bool CQBNDetailedLog::log()
{
    CQBNLastErrorKeeper keepLastError;
    try {
        if (!passesFilter(m_record))
            return false;
        return markLogged(m_writer.write(m_usOutputs, m_record));
    } catch (...) {
        return false;
    }
}

bool CQBNDetailedLog::passesFilter(CQBNLogRecord& record)
{
    if (!passesLevelFilter(record))
        return false;
    if (record.className == nullptr)
        return true;
    bool bFound = false;
    if (m_config.findInAllowObjects(record.className, bFound))
        return bFound;
    if (m_config.findInExcludeObjects(record.className, bFound))
        return !bFound;
    return true;
}

CQBNLogException1::CQBNLogException1(const wchar_t* szMessage,
                                     unsigned long ulResult,
                                     const wchar_t* szSourceFile,
                                     unsigned long ulLine,
                                     unsigned short usOutputs, bool bLogNow,
                                     bool bLogOnDestroy)
    : CQBNDetailedLogAt(ulResult, rtErrorCode, nullptr, nullptr, szSourceFile,
                        ulLine, usOutputs, bLogOnDestroy)
{
    CQBNLogRecord::setText(m_record.message, szMessage);
    finishConstruction(bLogNow);
}

CQBNLogDebug::CQBNLogDebug(const wchar_t* szMessage, unsigned short usOutputs,
                           bool bLogNow, bool bLogOnDestroy)
    : CQBNDetailedLog(llDebug, 0, rtBoolean, nullptr, nullptr, nullptr, 0,
                      usOutputs, bLogOnDestroy)
{
    CQBNLogRecord::setText(m_record.message, szMessage);
    finishConstruction(bLogNow);
}

_CQBNLogEntry::_CQBNLogEntry(const wchar_t* szClassName,
                             const wchar_t* szMethodName,
                             const wchar_t* szSourceFile, unsigned long ulLine,
                             unsigned short usOutputs, bool bLogNow,
                             bool bLogOnDestroy)
    : CQBNDetailedLog(llEntry, 0, rtBoolean, szClassName, szMethodName,
                      szSourceFile, ulLine, usOutputs, bLogOnDestroy)
{
    finishConstruction(bLogNow);
}

_CQBNLogEntry::~_CQBNLogEntry()
{
    m_record.level = llExit;
}

void _CQBNLogEntry::setResult(unsigned long ulResultType,
                              unsigned long ulResult)
{
    m_record.resultType = ulResultType;
    m_record.result = ulResult;
}

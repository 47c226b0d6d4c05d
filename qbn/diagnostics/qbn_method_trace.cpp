#include "qbn_method_trace.h"

#include <new>

#include "qbn_log_config.h"

CQBNMethodTrace::CQBNMethodTrace(const wchar_t* szClassName,
                                 const wchar_t* szMethodName,
                                 const wchar_t* szSourceFile,
                                 unsigned long ulLine, unsigned short usOutputs,
                                 bool bLogNow, bool bLogOnDestroy)
    : m_pEntry(nullptr)
{
    if (!CQBNLogConfig().isLoggingOn())
        return;
    try {
        m_pEntry = new (std::nothrow)
            _CQBNLogEntry(szClassName, szMethodName, szSourceFile, ulLine,
                          usOutputs, bLogNow, bLogOnDestroy);
    } catch (...) {
        m_pEntry = nullptr;
    }
}

CQBNMethodTrace::~CQBNMethodTrace()
{
    delete m_pEntry;
}

void CQBNMethodTrace::setResult(unsigned long ulResultType, bool bResult)
{
    if (m_pEntry != nullptr)
        m_pEntry->setResult(ulResultType, bResult ? 1 : 0);
}

CQBNTraceScope::CQBNTraceScope(const wchar_t* szClassName,
                               const wchar_t* szMethodName,
                               const wchar_t* szSourceFile,
                               unsigned long ulLine)
{
    if (DynamicLoggingState == dlUndecided)
        decideDynamicLogging();
    if (DynamicLoggingState != dlOn)
        return;
    try {
        m_trace.reset(new (std::nothrow) CQBNMethodTrace(
            szClassName, szMethodName, szSourceFile, ulLine, loText, true,
            true));
    } catch (...) {
        m_trace.reset();
    }
}

bool CQBNTraceScope::finish(bool bResult, unsigned long ulResultType)
{
    if (m_trace)
        m_trace->setResult(ulResultType, bResult);
    return bResult;
}

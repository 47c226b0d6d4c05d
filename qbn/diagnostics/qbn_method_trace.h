// Entry/exit tracing of library methods, switched on per process by the
// "DynamicLogging" value. Tracing never makes a method fail.
#ifndef QBN_METHOD_TRACE_H
#define QBN_METHOD_TRACE_H

#include <memory>

#include "qbn_detailed_log.h"

// Holds the ENTRY record of one call; destroying it writes the EXIT record.
class CQBNMethodTrace {
public:
    CQBNMethodTrace(const wchar_t* szClassName, const wchar_t* szMethodName,
                    const wchar_t* szSourceFile, unsigned long ulLine,
                    unsigned short usOutputs, bool bLogNow, bool bLogOnDestroy);
    ~CQBNMethodTrace();

    bool hasEntry() const { return m_pEntry != nullptr; }
    void setResult(unsigned long ulResultType, bool bResult);

private:
    CQBNMethodTrace(const CQBNMethodTrace&) = delete;
    CQBNMethodTrace& operator=(const CQBNMethodTrace&) = delete;

    _CQBNLogEntry* m_pEntry;
};

// What a traced method opens on its first line: a trace only when dynamic
// logging is on, deciding that on the first call of the process.
class CQBNTraceScope {
public:
    CQBNTraceScope(const wchar_t* szClassName, const wchar_t* szMethodName,
                   const wchar_t* szSourceFile, unsigned long ulLine);

    bool isTracing() const { return m_trace != nullptr; }

    // Stores the method's outcome for the EXIT record and hands it back.
    bool finish(bool bResult, unsigned long ulResultType = rtBoolean);

private:
    std::unique_ptr<CQBNMethodTrace> m_trace;
};

#endif

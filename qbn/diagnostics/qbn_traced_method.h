// The frame of a public library method in one call: the trace opened on
// entry, the body run inside the one guard, and the EXIT record given the
// guard's answer. Written out by hand the three steps had to agree on the
// class, method, source file and result type at every method; here they are
// named once.
#ifndef QBN_TRACED_METHOD_H
#define QBN_TRACED_METHOD_H

#include "qbn_catch.h"
#include "qbn_log_record.h"
#include "qbn_method_trace.h"

// Where a method is: its class and name as the trace records them, and the
// source file and line that the trace and an unhandled exception report.
struct CQBNMethodSite {
    const wchar_t* szClassName;
    const wchar_t* szMethodName;
    const wchar_t* szSourceFile;
    unsigned long ulLine;
};

// A macro only so that the line is the method's own.
#define QBN_METHOD_SITE(className, methodName, sourceFile)                     \
    (CQBNMethodSite{(className), (methodName), (sourceFile), __LINE__})

// Answers the body's result, or false when it threw; `ulResultType` is how
// the EXIT record reads that answer (rtLogical for a comparison's false,
// which is no failure).
template <class Body>
bool qbnTracedMethod(const CQBNMethodSite& site, CQBNErrorSource source,
                     unsigned long ulResultType, Body body)
{
    CQBNTraceScope trace(site.szClassName, site.szMethodName, site.szSourceFile,
                         site.ulLine);
    return trace.finish(
        qbnGuard(false, source, site.szSourceFile, site.ulLine, body),
        ulResultType);
}

template <class Body>
bool qbnTracedMethod(const CQBNMethodSite& site, CQBNErrorSource source,
                     Body body)
{
    return qbnTracedMethod(site, source, rtBoolean, body);
}

#endif

// The boundary every library method puts around its body: failures of the log
// family are written if they have not been yet, anything else is recorded as
// an unhandled exception, and the method answers with its failure value.
#ifndef QBN_CATCH_H
#define QBN_CATCH_H

#include "qbn_logging.h"

// Which error value an unexpected exception is recorded with: code that
// calls Windows reports GetLastError, pure memory code the C runtime's errno.
enum CQBNErrorSource {
    esErrno,
    esLastError,
    // Code that sets no error value at all (copying a path): the record
    // carries the "no error code" value.
    esNone
};

void qbnLogCaught(CQBNLogging& caught);
void qbnRecordUnhandled(CQBNErrorSource source, const wchar_t* szSourceFile,
                        unsigned long ulLine);

template <class Result, class Body>
Result qbnGuard(Result failure, CQBNErrorSource source,
                const wchar_t* szSourceFile, unsigned long ulLine, Body body)
{
    try {
        return body();
    } catch (CQBNLogging& caught) {
        qbnLogCaught(caught);
    } catch (...) {
        qbnRecordUnhandled(source, szSourceFile, ulLine);
    }
    return failure;
}

// For bodies that have no result of their own (assignments, destructors).
template <class Body>
bool qbnGuardAction(CQBNErrorSource source, const wchar_t* szSourceFile,
                    unsigned long ulLine, Body body)
{
    return qbnGuard(false, source, szSourceFile, ulLine, [&]() {
        body();
        return true;
    });
}

#endif

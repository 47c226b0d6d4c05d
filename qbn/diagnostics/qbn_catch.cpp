#include "qbn_catch.h"

#include <windows.h>

#include <cerrno>

#include "qbn_exceptions.h"

void qbnLogCaught(CQBNLogging& caught)
{
    if (!caught.isLogged())
        caught.log();
}

void qbnRecordUnhandled(CQBNErrorSource source, const wchar_t* szSourceFile,
                        unsigned long ulLine)
{
    unsigned long ulError = kQbnNoErrorCode;
    if (source == esErrno)
        ulError = static_cast<unsigned long>(errno);
    else if (source == esLastError)
        ulError = GetLastError();
    try {
        CQBNUnhandledExceptionException recorded(ulError, szSourceFile, ulLine);
    } catch (...) {
        // Recording must never turn one failure into two.
    }
}

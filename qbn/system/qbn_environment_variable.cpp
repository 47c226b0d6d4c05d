#include "qbn_environment_variable.h"

#include <windows.h>

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"

#define QBN_ENVIRONMENT_VARIABLE_SOURCE L".\\qbn_environment_variable.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNEnvironmentVariable";

// The longest value Windows keeps, with its terminating 0.
const unsigned long kValueChars = 32767;

// Recorded for failures that carry no Windows error of their own.
const unsigned long kNoErrorCode = static_cast<unsigned long>(-1);

void recordForeignException(unsigned long ulLine)
{
    try {
        CQBNUnhandledExceptionException recorded(
            kNoErrorCode, QBN_ENVIRONMENT_VARIABLE_SOURCE, ulLine);
    } catch (...) {
        // Recording must not replace the exception being passed on.
    }
}

} // namespace

CQBNEnvironmentVariable::CQBNEnvironmentVariable(const CQBNWCharString& name)
    : m_szVariableName(name)
{
    CQBNTraceScope trace(kClassName, L"CQBNEnvironmentVariable",
                         QBN_ENVIRONMENT_VARIABLE_SOURCE, __LINE__);
}

CQBNEnvironmentVariable::~CQBNEnvironmentVariable()
{
    CQBNTraceScope trace(kClassName, L"~CQBNEnvironmentVariable",
                         QBN_ENVIRONMENT_VARIABLE_SOURCE, __LINE__);
}

// Unlike the rest of the library this lets foreign exceptions through, so
// the usual guard does not fit: they are recorded, then rethrown as they
// came.
bool CQBNEnvironmentVariable::getValue(CQBNWCharString& value)
{
    CQBNTraceScope trace(kClassName, L"getValue",
                         QBN_ENVIRONMENT_VARIABLE_SOURCE, __LINE__);
    bool bRead = false;
    try {
        bRead = readValue(value);
    } catch (CQBNLogging& caught) {
        qbnLogCaught(caught);
    } catch (...) {
        recordForeignException(__LINE__);
        throw;
    }
    return trace.finish(bRead, rtLogical);
}

// A count at or above the buffer size is the size Windows would need, not
// a length: the buffer then holds nothing that may be read as the value.
bool CQBNEnvironmentVariable::readValue(CQBNWCharString& value) const
{
    if (m_szVariableName.getLength() == 0)
        throw CQBNUnknownVariableNameException(QBN_ENVIRONMENT_VARIABLE_SOURCE,
                                               __LINE__);
    CQBNBuffer<unsigned short> buffer(kValueChars);
    const DWORD dwLength = GetEnvironmentVariableW(
        m_szVariableName.getText(),
        reinterpret_cast<wchar_t*>(buffer.getBuffer()), kValueChars);
    if (dwLength == 0 || dwLength >= kValueChars)
        return false;
    buffer[dwLength] = 0;
    value = CQBNWCharString(buffer);
    return true;
}

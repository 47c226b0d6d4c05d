// One environment variable of this process, read by name.
#ifndef QBN_ENVIRONMENT_VARIABLE_H
#define QBN_ENVIRONMENT_VARIABLE_H

#include "qbn_wchar_string.h"

class CQBNEnvironmentVariable {
public:
    explicit CQBNEnvironmentVariable(const CQBNWCharString& name);
    ~CQBNEnvironmentVariable();

    // False for an unnamed object, a variable that is not set or set to
    // the empty text, and a value too long to read whole; `value` is then
    // left as it was. An exception from outside the library's own family
    // is recorded and passed on to the caller.
    bool getValue(CQBNWCharString& value);

private:
    bool readValue(CQBNWCharString& value) const;

    CQBNWCharString m_szVariableName;
};

#endif

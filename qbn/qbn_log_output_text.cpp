#include "qbn_log_outputs.h"

// The text log file is not written yet: every line reports failure, so an
// entry stays unlogged and a catch handler may try again.
bool CQBNLoggingOutputText::write(CQBNLogRecord&)
{
    return false;
}

bool CQBNLoggingOutputText::writeSimple(CQBNLogRecord&)
{
    return false;
}

#include "qbn_log_outputs.h"

bool CQBNLoggingOutputXML::write(CQBNLogRecord&)
{
    return false;
}

bool CQBNLoggingOutputServer::write(CQBNLogRecord&)
{
    return false;
}

bool CQBNLoggingOutputUnknown::write(CQBNLogRecord&)
{
    return false;
}

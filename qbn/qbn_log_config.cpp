#include "qbn_log_config.h"

unsigned long DynamicLoggingState = dlUndecided;
unsigned long MaxLogFileNum = 1;
unsigned long MaxLogFileSize = 10240;

// No configuration is read yet: every value counts as missing, so the master
// switch is off, nothing is written and tracing stays off.
bool decideDynamicLogging()
{
    DynamicLoggingState = dlOff;
    return false;
}

bool CQBNLogConfig::isLoggingOn() const
{
    return false;
}

unsigned short CQBNLogConfig::getLogDetail() const
{
    return kDefaultDetail;
}

bool CQBNLogConfig::hasProgramValue(const wchar_t*) const
{
    return false;
}

unsigned short CQBNLogConfig::getProgramOutputs(const wchar_t*) const
{
    return 0;
}

unsigned short CQBNLogConfig::getProgramDetail(const wchar_t*) const
{
    return 0;
}

bool CQBNLogConfig::readProgramOverride(const wchar_t*, unsigned short&,
                                        unsigned short&) const
{
    return false;
}

bool CQBNLogConfig::getProgramPath(const wchar_t*, wchar_t*,
                                   unsigned long) const
{
    return false;
}

bool CQBNLogConfig::getOutputTarget(unsigned short, wchar_t*,
                                    unsigned long) const
{
    return false;
}

bool CQBNLogConfig::findInAllowObjects(const wchar_t*, bool& bFound) const
{
    bFound = false;
    return false;
}

bool CQBNLogConfig::findInExcludeObjects(const wchar_t*, bool& bFound) const
{
    bFound = false;
    return false;
}

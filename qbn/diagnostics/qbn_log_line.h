// The two line layouts of the text log: detailed (with class, method, source
// and line) and simple. Both end in CR LF.
#ifndef QBN_LOG_LINE_H
#define QBN_LOG_LINE_H

#include <string>

#include "qbn_log_record.h"

// Local time in the C library's ctime layout, without its newline:
// "Sun Dec  6 22:40:57 2026".
std::wstring qbnLogTimestamp();

std::wstring qbnDetailedLogLine(const CQBNLogRecord& record);
std::wstring qbnSimpleLogLine(const CQBNLogRecord& record);

#endif

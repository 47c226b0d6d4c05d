// The log outputs. Only the text output writes anything; the others accept a
// record and report failure, so an entry sent only to them counts as unwritten.
#ifndef QBN_LOG_OUTPUTS_H
#define QBN_LOG_OUTPUTS_H

#include "qbn_log_record.h"

class CQBNLoggingOutputText {
public:
    virtual bool write(CQBNLogRecord& record);
    virtual bool writeSimple(CQBNLogRecord& record);
    virtual ~CQBNLoggingOutputText() {}
};

// Serves both the XML and the HTML output bits.
class CQBNLoggingOutputXML {
public:
    virtual bool write(CQBNLogRecord& record);
    virtual ~CQBNLoggingOutputXML() {}
};

class CQBNLoggingOutputServer {
public:
    virtual bool write(CQBNLogRecord& record);
    virtual ~CQBNLoggingOutputServer() {}
};

class CQBNLoggingOutputUnknown {
public:
    virtual bool write(CQBNLogRecord& record);
    virtual ~CQBNLoggingOutputUnknown() {}
};

#endif

// The log outputs. Only the text output writes anything; the others accept a
// record and report failure, so an entry sent only to them counts as unwritten.
#ifndef QBN_LOG_OUTPUTS_H
#define QBN_LOG_OUTPUTS_H

#include "qbn_log_record.h"

// Appends one UTF-16LE line per entry to the file named by "TextOutput" and
// rotates it once this process has written more than the configured size.
class CQBNLoggingOutputText {
public:
    virtual bool write(CQBNLogRecord& record);
    virtual bool writeSimple(CQBNLogRecord& record);
    virtual ~CQBNLoggingOutputText() {}

    // Process-wide: bytes of detailed lines since the last rotation, and the
    // rotations done by this process.
    static unsigned long bytesWritten;
    static long rotatedCount;

private:
    bool appendLine(CQBNLogRecord& record, bool bDetailed);
    void rotateIfDue(const wchar_t* szPath);
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

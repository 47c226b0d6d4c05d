// Root of the library's log entries, which are also its exceptions: an entry
// is built where a failure happens, may write itself at once, and is then
// thrown by value and caught at the boundary of the failing method.
#ifndef QBN_LOGGING_H
#define QBN_LOGGING_H

#include "qbn_log_config.h"
#include "qbn_log_record.h"
#include "qbn_log_writer.h"

class CQBNLogging {
public:
    CQBNLogging(unsigned short usOutputs, bool bLogOnDestroy);
    CQBNLogging(const CQBNLogging& other) = default;
    virtual ~CQBNLogging();

    // Writes the entry if the configuration lets it; never throws and leaves
    // the thread's last-error value as it found it.
    virtual bool log() = 0;

    bool isLogged() const { return m_bLogged; }
    unsigned short getOutputs() const { return m_usOutputs; }
    unsigned short getDetail() const { return m_usDetail; }

protected:
    // Level part of the filter, shared by every kind of entry.
    bool passesLevelFilter(CQBNLogRecord& record);
    bool markLogged(bool bWritten);

    bool m_bLogOnDestroy;
    unsigned short m_usOutputs;
    unsigned short m_usDetail;
    bool m_bLogged;
    CQBNLogConfig m_config;
    CQBNLogWriter m_writer;

private:
    CQBNLogging& operator=(const CQBNLogging&) = delete;
    bool fillModuleName(CQBNLogRecord& record) const;
    bool applyProgramOverride(const CQBNLogRecord& record);
    bool passesExitFilters(const CQBNLogRecord& record) const;
};

// Keeps GetLastError unchanged across logging, whatever logging calls.
class CQBNLastErrorKeeper {
public:
    CQBNLastErrorKeeper();
    ~CQBNLastErrorKeeper();

private:
    unsigned long m_ulSaved;
};

#endif

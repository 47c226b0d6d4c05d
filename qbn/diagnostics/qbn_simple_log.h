// Entries without a place of origin: only the level filter applies and they
// are written in the simple line format.
#ifndef QBN_SIMPLE_LOG_H
#define QBN_SIMPLE_LOG_H

#include "qbn_logging.h"

class CQBNSimpleLog : public CQBNLogging {
public:
    CQBNSimpleLog(unsigned long ulLevel, const wchar_t* szMessage,
                  unsigned long ulResult, unsigned long ulResultType,
                  bool bLogNow, bool bLogOnDestroy, unsigned short usOutputs);
    CQBNSimpleLog(const CQBNSimpleLog& other) = default;
    ~CQBNSimpleLog() override;

    bool log() override;

    const CQBNLogRecord& getRecord() const { return m_record; }

protected:
    CQBNLogRecord m_record;
};

// Notes that a message box was shown, with the box's text.
class CLogNotification : public CQBNSimpleLog {
public:
    CLogNotification(const wchar_t* szBoxText, unsigned short usOutputs,
                     bool bLogOnDestroy);
};

#endif

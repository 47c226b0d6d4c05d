// Entries that carry where they were made (class, method, source, line) and
// pass the full filter. The exception and warning classes derive from here.
#ifndef QBN_DETAILED_LOG_H
#define QBN_DETAILED_LOG_H

#include "qbn_logging.h"

class CQBNDetailedLog : public CQBNLogging {
public:
    CQBNDetailedLog(unsigned long ulLevel, const wchar_t* szMessage,
                    unsigned long ulResult, unsigned long ulResultType,
                    const wchar_t* szClassName, const wchar_t* szMethodName,
                    const wchar_t* szSourceFile, unsigned long ulLine,
                    bool bLogNow, bool bLogOnDestroy, unsigned short usOutputs,
                    const wchar_t* szModuleName = nullptr,
                    const wchar_t* szLogFile = nullptr);
    CQBNDetailedLog(const CQBNDetailedLog& other) = default;
    ~CQBNDetailedLog() override;

    bool log() override;

    const CQBNLogRecord& getRecord() const { return m_record; }
    const wchar_t* getMessage() const { return m_record.message; }

protected:
    // For classes that format their message before deciding to write.
    CQBNDetailedLog(unsigned long ulLevel, unsigned long ulResult,
                    unsigned long ulResultType, const wchar_t* szClassName,
                    const wchar_t* szMethodName, const wchar_t* szSourceFile,
                    unsigned long ulLine, unsigned short usOutputs,
                    bool bLogOnDestroy);

    // wsprintfW into 1024 wide characters; string arguments must already be
    // substituted (see qbnOrUnknown).
    void formatMessage(const wchar_t* szFormat, ...);
    void finishConstruction(bool bLogNow);

    bool passesFilter(CQBNLogRecord& record);

    CQBNLogRecord m_record;

private:
    void fillRecord(unsigned long ulLevel, unsigned long ulResult,
                    unsigned long ulResultType, const wchar_t* szClassName,
                    const wchar_t* szMethodName, const wchar_t* szSourceFile,
                    unsigned long ulLine);
};

// An absent format argument prints as "Unknown".
const wchar_t* qbnOrUnknown(const wchar_t* szText);

// An entry of one fixed level, for the classes whose level is their kind.
template <unsigned long Level>
class CQBNDetailedLogAt : public CQBNDetailedLog {
protected:
    CQBNDetailedLogAt(unsigned long ulResult, unsigned long ulResultType,
                      const wchar_t* szClassName, const wchar_t* szMethodName,
                      const wchar_t* szSourceFile, unsigned long ulLine,
                      unsigned short usOutputs, bool bLogOnDestroy)
        : CQBNDetailedLog(Level, ulResult, ulResultType, szClassName,
                          szMethodName, szSourceFile, ulLine, usOutputs,
                          bLogOnDestroy)
    {
    }
};

class CQBNLogException1 : public CQBNDetailedLogAt<llExceptionBad> {
public:
    // Thrown directly with a fixed message.
    CQBNLogException1(const wchar_t* szMessage, unsigned long ulResult,
                      const wchar_t* szSourceFile, unsigned long ulLine,
                      unsigned short usOutputs = loText, bool bLogNow = true,
                      bool bLogOnDestroy = false);

protected:
    using CQBNDetailedLogAt::CQBNDetailedLogAt;
};

class CQBNLogWarning : public CQBNDetailedLogAt<llWarning> {
protected:
    using CQBNDetailedLogAt::CQBNDetailedLogAt;
};

// Never thrown: built on the stack to note something and destroyed.
class CQBNLogDebug : public CQBNDetailedLog {
public:
    CQBNLogDebug(const wchar_t* szMessage, unsigned short usOutputs,
                 bool bLogNow, bool bLogOnDestroy);
};

// The ENTRY record of a traced method; destroying it writes the EXIT record.
class _CQBNLogEntry : public CQBNDetailedLog {
public:
    _CQBNLogEntry(const wchar_t* szClassName, const wchar_t* szMethodName,
                  const wchar_t* szSourceFile, unsigned long ulLine,
                  unsigned short usOutputs, bool bLogNow, bool bLogOnDestroy);
    ~_CQBNLogEntry() override;

    void setResult(unsigned long ulResultType, unsigned long ulResult);
};

#endif

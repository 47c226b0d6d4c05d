// Reader of the logging configuration under HKLM "SOFTWARE\Ostrel\Logs".
// Stateless: every question reads the registry afresh, so an administrator's
// change takes effect with the next entry. A value that cannot be read counts
// as missing; the reader never throws and never logs.
#ifndef QBN_LOG_CONFIG_H
#define QBN_LOG_CONFIG_H

// Method tracing for this process: decided once, on the first traced call.
enum CQBNDynamicLogging : unsigned long {
    dlUndecided = 0,
    dlOn = 1,
    dlOff = 2
};

extern unsigned long DynamicLoggingState;
extern unsigned long MaxLogFileNum;
extern unsigned long MaxLogFileSize;

// Decides DynamicLoggingState and reads the rotation limits; true only when
// the limits were reached.
bool decideDynamicLogging();

class CQBNLogConfig {
public:
    static const unsigned short kDefaultDetail = 0x001B;

    bool isLoggingOn() const;
    unsigned short getLogDetail() const;
    bool hasProgramValue(const wchar_t* szProgram) const;
    unsigned short getProgramOutputs(const wchar_t* szProgram) const;
    unsigned short getProgramDetail(const wchar_t* szProgram) const;
    // Both numbers of a per-program override in one read; false when the
    // value exists but cannot be read as text.
    bool readProgramOverride(const wchar_t* szProgram,
                             unsigned short& usOutputs,
                             unsigned short& usDetail) const;
    bool getProgramPath(const wchar_t* szProgram, wchar_t* szBuffer,
                        unsigned long ulMaxChars) const;
    bool getOutputTarget(unsigned short usOutputBit, wchar_t* szBuffer,
                         unsigned long ulBufferBytes) const;
    bool findInAllowObjects(const wchar_t* szClassName, bool& bFound) const;
    bool findInExcludeObjects(const wchar_t* szClassName, bool& bFound) const;
};

#endif

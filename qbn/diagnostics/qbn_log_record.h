// One log entry's payload: what happened, where, and with which result.
#ifndef QBN_LOG_RECORD_H
#define QBN_LOG_RECORD_H

// Level bits; each entry carries exactly one.
enum CQBNLogLevel : unsigned long {
    llCritical = 0x0001,
    llExceptionBad = 0x0002,
    llExceptionOk = 0x0004,
    llError = 0x0008,
    llWarning = 0x0010,
    llDebug = 0x0020,
    llInformation = 0x0040,
    llNotification = 0x0080,
    llEntry = 0x0100,
    llExit = 0x0200,
    llSuccess = 0x0400,
    llFailure = 0x0800
};

// How `result` is to be read when the record is written.
enum CQBNResultType : unsigned long {
    rtErrorCode = 0,
    rtBoolean = 1,
    rtLogical = 2,
    rtReturnCode = 3
};

// Output bits of an entry's `outputs` mask.
enum CQBNLogOutput : unsigned short {
    loText = 0x01,
    loXML = 0x02,
    loServer = 0x04,
    loHTML = 0x08,
    loNone = 0x10,
    loUnknown = 0x20
};

// The name written for a level; anything outside the table is "UNSPECIFIED".
const wchar_t* qbnLevelName(unsigned long ulLevel);

// Plain record: every text is an owned, wiped-on-free copy or absent (null).
struct CQBNLogRecord {
    unsigned long level;
    wchar_t* message;
    wchar_t* moduleName;
    wchar_t* logFile;
    unsigned long resultType;
    unsigned long result;
    wchar_t* className;
    wchar_t* methodName;
    wchar_t* sourceFile;
    unsigned long line;

    CQBNLogRecord();
    CQBNLogRecord(const CQBNLogRecord& other);
    CQBNLogRecord& operator=(const CQBNLogRecord& other);
    ~CQBNLogRecord();

    // Replaces one text field. An absent text clears the field and succeeds;
    // an empty or absurdly long text clears it and fails.
    static bool setText(wchar_t*& field, const wchar_t* szValue);

private:
    void freeTexts();
    void copyTextsFrom(const CQBNLogRecord& other);
};

#endif

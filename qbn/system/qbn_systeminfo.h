// Where the library keeps machine-wide data: a folder with a fixed name
// below the common application data folder, created on first use.
#ifndef QBN_SYSTEMINFO_H
#define QBN_SYSTEMINFO_H

#include "qbn_wchar_string.h"

// Indexes into the library's table of fixed folder names.
enum CQBNStorageName : unsigned long {
    snOstrel = 0,
    snHalvorix = 1,
    snPath = 2,
    snSid = 3,
    snUserInfoIni = 4
};

class CQBNSystemInfo {
public:
    explicit CQBNSystemInfo(unsigned long ulNameIndex);
    virtual ~CQBNSystemInfo();

    // "<common application data>\<name>\"; the folder is created when it
    // is missing, but a failure to create it does not make the result
    // false. An index outside the table answers false.
    virtual bool getStoragePath(CQBNWCharString& path);

private:
    unsigned long m_ulNameIndex;
};

#endif

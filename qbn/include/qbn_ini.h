// One initialisation file, read and written through the system's
// private-profile functions. Every operation answers with a bool and leaves
// its out-argument as it was when it fails; nothing is thrown after
// construction.
#ifndef QBN_INI_H
#define QBN_INI_H

#include "qbn_dbllist.h"
#include "qbn_wchar_string.h"

class CQBNIni {
public:
    // Nothing is opened or tested here: Windows opens the file per call.
    explicit CQBNIni(CQBNWCharString szIniPath);
    virtual ~CQBNIni();

    virtual bool createProfileSection(const CQBNWCharString& section);
    // A stored value that reads as 4294967295 (-1) cannot be told apart
    // from a missing key and answers false.
    virtual bool getProfileInt(const CQBNWCharString& section,
                               const CQBNWCharString& keyName,
                               unsigned long& ulValue);
    // Each line of the section, "key=value" unsplit, in the file's order.
    virtual bool getProfileSection(const CQBNWCharString& section,
                                   CQBNWCharStringList& list);
    virtual bool getProfileSectionNames(CQBNWCharStringList& list);
    // Empty values, values of 1022 characters or more and the literal
    // text "Not Found" all read as absent.
    virtual bool getProfileString(const CQBNWCharString& section,
                                  const CQBNWCharString& keyName,
                                  CQBNWCharString& value);
    // Written as signed decimal text: 4294967295 becomes "-1".
    virtual bool setProfileInt(const CQBNWCharString& section,
                               const CQBNWCharString& keyName,
                               unsigned long ulValue);
    virtual bool setProfileString(const CQBNWCharString& section,
                                  const CQBNWCharString& keyName,
                                  const CQBNWCharString& value);

private:
    bool hasSection(const CQBNWCharString& section);
    void writeString(const CQBNWCharString& section,
                     const CQBNWCharString& keyName,
                     const CQBNWCharString& value);

    CQBNWCharString m_szIniPath;
};

#endif

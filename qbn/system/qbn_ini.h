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

    // Whether the section exists and holds at least one line.
    bool hasSection(const CQBNWCharString& section);
    // getProfileSection and getProfileSectionNames for blocks of any size:
    // the buffer starts at the usual 32767 characters and doubles until the
    // whole block fits, so a long section is never cut short or refused.
    bool getWholeProfileSection(const CQBNWCharString& section,
                                CQBNWCharStringList& list);
    bool getWholeProfileSectionNames(CQBNWCharStringList& list);
    // Replaces the section's lines with `lines` ("key=value" each) in one
    // write of the file. An empty list or an empty line is refused: the
    // first would delete the section, the second would end the block early.
    bool setProfileSection(const CQBNWCharString& section,
                           CQBNWCharStringList& lines);

private:
    bool readSection(const wchar_t* szMethodName,
                     const CQBNWCharString& section, CQBNWCharStringList& list,
                     bool bGrow);
    bool readSectionNames(const wchar_t* szMethodName,
                          CQBNWCharStringList& list, bool bGrow);
    void writeString(const CQBNWCharString& section,
                     const CQBNWCharString& keyName,
                     const CQBNWCharString& value);

    CQBNWCharString m_szIniPath;
};

#endif

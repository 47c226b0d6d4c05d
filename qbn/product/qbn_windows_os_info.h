// What the running Windows is: its version (XP family, Vista, 6.1), whether
// it is a 64-bit system, whether it runs as a pre-installation environment,
// and its service pack. Everything but the platform is collected once, when
// the object is built; the questions afterwards only compare stored values.
#ifndef QBN_WINDOWS_OS_INFO_H
#define QBN_WINDOWS_OS_INFO_H

// Platform codes of getPlatform.
enum CQBNPlatform : int { plX86 = 1, plX64 = 2 };

class CQBNWindowsOSInfo {
public:
    // Throws CQBNWindowsOSInfoInitNeededException when Windows answers
    // neither version query: without a version no question can be answered.
    CQBNWindowsOSInfo();
    ~CQBNWindowsOSInfo();

    // The native architecture, asked afresh on every call, so a 32-bit
    // process on 64-bit Windows answers plX64.
    int getPlatform() const;
    bool isXP() const;    // 5.1 <= version < 6.0 (XP and Server 2003)
    bool isVista() const; // 6.0
    bool isWin7() const;  // 6.1

    // Asks the shell's IsOS; true when it could be asked, and then
    // *pbAnswer says whether it answered non-zero.
    bool performOSQueryFunction(int iQuery, bool* pbAnswer) const;
    // Whether "QBNDrive" holds a non-empty value.
    bool performPECheck() const;

    // The facts collected at construction.
    double getVersion() const { return m_dVersion; }
    unsigned long getServicePack() const { return m_ulServicePack; }
    bool isPE() const { return m_bIsPE; }
    bool getOSQuery18() const { return m_bOSQuery18; }
    bool getOSQuery37() const { return m_bOSQuery37; }

private:
    CQBNWindowsOSInfo(const CQBNWindowsOSInfo&) = delete;
    CQBNWindowsOSInfo& operator=(const CQBNWindowsOSInfo&) = delete;

    void askShellQueries();
    void readServicePack();
    void readVersion();

    bool m_bOSQuery18;
    bool m_bOSQuery37;
    bool m_bIsPE;
    unsigned long m_ulServicePack;
    double m_dVersion;
};

#endif

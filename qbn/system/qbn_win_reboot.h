// Restarts (or powers off) Windows: switches the shutdown privilege on in the
// process token, optionally asks the user first, calls ExitWindowsEx and
// switches the privilege off again.
#ifndef QBN_WIN_REBOOT_H
#define QBN_WIN_REBOOT_H

#include <windows.h>

#include "qbn_scoped_handle.h"
#include "qbn_wchar_string.h"

class CQBNWinReboot {
public:
    // doReboot's action that powers the machine off; any other restarts it.
    static constexpr int kActionPowerOff = 1;

    CQBNWinReboot();
    ~CQBNWinReboot();

    // Opens this process's token (kept until destruction) and enables
    // "SeShutdownPrivilege" in it.
    bool setShutdownPrivilege();
    // Switches the privilege off again in the token opened above; always
    // true, since there is nothing a caller could do about a failure.
    bool clearShutdownPrivilege();

    // With bAsk, a Yes/No box (style, title, message) comes first and only
    // Yes goes on; No is an answer, not a failure, and gives true. False
    // when the privilege, the question or ExitWindowsEx failed.
    bool doReboot(int iAction, bool bAsk, const CQBNWCharString& title,
                  const CQBNWCharString& message, int iStyle);
    // doReboot with a restart, then the privilege switched off in any case.
    bool rebootSystem(bool bAsk, const CQBNWCharString& title,
                      const CQBNWCharString& message, int iStyle);

private:
    CQBNWinReboot(const CQBNWinReboot&) = delete;
    CQBNWinReboot& operator=(const CQBNWinReboot&) = delete;

    void openToken();
    void closeToken();
    bool switchPrivilege(bool bEnable) const;
    static bool askUser(const CQBNWCharString& title,
                        const CQBNWCharString& message, int iStyle, bool& bYes);
    static bool exitWindows(int iAction);

    CQBNScopedHandle m_token;
};

#endif

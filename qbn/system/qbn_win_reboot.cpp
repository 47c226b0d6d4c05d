#include "qbn_win_reboot.h"

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_flags.h"
#include "qbn_message_box.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"
#include "qbn_windowsprocess.h"

#define QBN_WIN_REBOOT_SOURCE L".\\qbn_win_reboot.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNWinReboot";
const wchar_t kShutdownPrivilege[] = L"SeShutdownPrivilege";

// Adjusting needs TOKEN_ADJUST_PRIVILEGES; TOKEN_QUERY as well, which
// AdjustTokenPrivileges needs whenever the previous state is asked for, so
// the token serves either way.
const DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;

// A hung application must not hold the restart up.
const UINT kRestartFlags = EWX_REBOOT | EWX_FORCEIFHUNG;
const UINT kPowerOffFlags = EWX_POWEROFF | EWX_FORCEIFHUNG;

} // namespace

CQBNWinReboot::CQBNWinReboot() : m_token(nullptr)
{
    CQBNTraceScope trace(kClassName, L"Default Constructor",
                         QBN_WIN_REBOOT_SOURCE, __LINE__);
    trace.finish(true);
}

CQBNWinReboot::~CQBNWinReboot()
{
    CQBNTraceScope trace(kClassName, L"Destructor", QBN_WIN_REBOOT_SOURCE,
                         __LINE__);
    closeToken();
    trace.finish(true);
}

bool CQBNWinReboot::setShutdownPrivilege()
{
    return qbnTracedMethod(QBN_METHOD_SITE(kClassName, L"setShutdownPrivilege",
                                           QBN_WIN_REBOOT_SOURCE),
                           esLastError, [&]() {
                               openToken();
                               return m_token.isValid() &&
                                      switchPrivilege(true);
                           });
}

// Traced under the same name as switching on, so that a log shows the
// privilege's on and off as one pair.
bool CQBNWinReboot::clearShutdownPrivilege()
{
    CQBNTraceScope trace(kClassName, L"setShutdownPrivilege",
                         QBN_WIN_REBOOT_SOURCE, __LINE__);
    // Without a token of ours there is nothing switched on to switch off;
    // the privilege helper would open a token of its own instead.
    if (m_token.isValid())
        switchPrivilege(false);
    return trace.finish(true);
}

bool CQBNWinReboot::doReboot(int iAction, bool bAsk,
                             const CQBNWCharString& title,
                             const CQBNWCharString& message, int iStyle)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"doReboot", QBN_WIN_REBOOT_SOURCE),
        esLastError, [&]() {
            if (!setShutdownPrivilege())
                return false;
            if (!bAsk)
                return exitWindows(iAction);
            // A question that could not be put is a failure; a No is an
            // answer.
            bool bYes = false;
            if (!askUser(title, message, iStyle, bYes))
                return false;
            return bYes ? exitWindows(iAction) : true;
        });
}

bool CQBNWinReboot::rebootSystem(bool bAsk, const CQBNWCharString& title,
                                 const CQBNWCharString& message, int iStyle)
{
    CQBNTraceScope trace(kClassName, L"rebootSystem", QBN_WIN_REBOOT_SOURCE,
                         __LINE__);
    const bool bRebooted = doReboot(0, bAsk, title, message, iStyle);
    // The privilege goes off again whatever happened, a failed
    // ExitWindowsEx included.
    clearShutdownPrivilege();
    return trace.finish(bRebooted);
}

// A second call reopens: the token of the first is closed before, so it
// cannot leak.
void CQBNWinReboot::openToken()
{
    closeToken();
    const HANDLE hProcess = GetCurrentProcess();
    if (hProcess == nullptr)
        return;
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(hProcess, kTokenAccess, &hToken))
        throw CQBNOpenProcessTokenException(L"hProcess", GetLastError(),
                                            QBN_WIN_REBOOT_SOURCE, __LINE__);
    m_token.reset(hToken);
}

// A failed close is noted; the handle is given up either way.
void CQBNWinReboot::closeToken()
{
    if (m_token.reset(nullptr))
        return;
    const unsigned long ulError = GetLastError();
    qbnGuardAction(esLastError, QBN_WIN_REBOOT_SOURCE, __LINE__, [&]() {
        CCloseHandleWarning warning(L"token", ulError, QBN_WIN_REBOOT_SOURCE,
                                    __LINE__);
    });
}

// Guarded here as well: switching off runs outside any other guard, and
// even building the privilege's name can fail.
bool CQBNWinReboot::switchPrivilege(bool bEnable) const
{
    return qbnGuard(false, esLastError, QBN_WIN_REBOOT_SOURCE, __LINE__, [&]() {
        const HANDLE hToken = m_token.get();
        return CQBNWindowsProcess().setPrivilege(kShutdownPrivilege, bEnable,
                                                 hToken);
    });
}

// False when the question could not be put (the box could not be built or
// did not appear); bYes then stays false.
bool CQBNWinReboot::askUser(const CQBNWCharString& title,
                            const CQBNWCharString& message, int iStyle,
                            bool& bYes)
{
    CQBNMessageBox box(nullptr, title, message,
                       CQBNFlags(static_cast<unsigned long>(iStyle)));
    if (!box.showMessageBox())
        return false;
    bYes = box.getResult() == IDYES;
    return true;
}

// Only exactly 1 is success: any other non-zero answer is not one that
// Windows documents for a restart that was started.
bool CQBNWinReboot::exitWindows(int iAction)
{
    const UINT uFlags =
        (iAction == kActionPowerOff) ? kPowerOffFlags : kRestartFlags;
    return ExitWindowsEx(uFlags, 0) == 1;
}

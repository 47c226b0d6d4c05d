#include "qbn_windowsprocess.h"

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"

#define QBN_WINDOWSPROCESS_SOURCE L".\\qbn_windowsprocess.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNWindowsProcess";

// Windows is told the record's size; it must be the one-entry record.
static_assert(sizeof(TOKEN_PRIVILEGES) == 16,
              "TOKEN_PRIVILEGES must hold exactly one entry");

} // namespace

CQBNWindowsProcess::CQBNWindowsProcess()
{
    CQBNTraceScope trace(kClassName, L"Constructor", QBN_WINDOWSPROCESS_SOURCE,
                         __LINE__);
}

CQBNWindowsProcess::~CQBNWindowsProcess()
{
    CQBNTraceScope trace(kClassName, L"Destructor ~CQBNWindowsProcess",
                         QBN_WINDOWSPROCESS_SOURCE, __LINE__);
}

bool CQBNWindowsProcess::setPrivilege(const CQBNWCharString& privilegeName,
                                      bool bEnable, const HANDLE& hToken)
{
    CQBNTraceScope trace(kClassName, L"setPrivilege", QBN_WINDOWSPROCESS_SOURCE,
                         __LINE__);
    // Kept outside the guarded body so that its close, and a warning when
    // the close fails, happen on every path.
    CQBNScopedHandle localToken;
    const bool bSet = qbnGuard(
        false, esLastError, QBN_WINDOWSPROCESS_SOURCE, __LINE__, [&]() {
            if (hToken == nullptr)
                openOwnToken(localToken);
            const HANDLE hUsed =
                (hToken != nullptr) ? hToken : localToken.get();
            adjustPrivilege(hUsed, lookupPrivilege(privilegeName), bEnable);
            return true;
        });
    closeOwnToken(localToken);
    return trace.finish(bSet);
}

// Only the right to adjust is asked for: nothing here reads the token.
void CQBNWindowsProcess::openOwnToken(CQBNScopedHandle& token)
{
    if (!token.received(OpenProcessToken(GetCurrentProcess(),
                                         TOKEN_ADJUST_PRIVILEGES,
                                         token.receive()) != FALSE))
        throw CQBNOpenProcessTokenException(
            L"GetCurrentProcess()", GetLastError(), QBN_WINDOWSPROCESS_SOURCE,
            __LINE__);
}

LUID CQBNWindowsProcess::lookupPrivilege(const CQBNWCharString& privilegeName)
{
    LUID luid = {};
    if (!LookupPrivilegeValueW(nullptr, privilegeName.getText(), &luid))
        throw CQBNLookupPrivilegeValueException(
            privilegeName.getText(), GetLastError(), QBN_WINDOWSPROCESS_SOURCE,
            __LINE__);
    return luid;
}

// A non-zero answer is success: Windows also answers so when the token does
// not hold the privilege (ERROR_NOT_ALL_ASSIGNED), and callers go on then.
void CQBNWindowsProcess::adjustPrivilege(HANDLE hToken, const LUID& luid,
                                         bool bEnable)
{
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = bEnable ? SE_PRIVILEGE_ENABLED : 0;
    if (!AdjustTokenPrivileges(hToken, FALSE, &privileges, sizeof(privileges),
                               nullptr, nullptr))
        throw CQBNAdjustTokenPrivilegesException(
            L"hToken", GetLastError(), QBN_WINDOWSPROCESS_SOURCE, __LINE__);
}

// A failed close is noted but does not undo an adjustment already made.
void CQBNWindowsProcess::closeOwnToken(CQBNScopedHandle& token)
{
    if (token.reset())
        return;
    const unsigned long ulError = GetLastError();
    qbnGuardAction(esLastError, QBN_WINDOWSPROCESS_SOURCE, __LINE__, [&]() {
        CCloseHandleWarning warning(L"hLocalToken", ulError,
                                    QBN_WINDOWSPROCESS_SOURCE, __LINE__);
    });
}

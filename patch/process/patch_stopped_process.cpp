#include "patch_stopped_process.h"

#include <cstddef>
#include <cwchar>
#include <vector>

#include "patch_close_request.h"
#include "patch_paths.h"
#include "patch_polite_close.h"
#include "patch_token.h"
#include "patch_warning.h"
#include "qbn_system_library.h"
#include "qbn_windowsprocess.h"

#define PATCH_STOPPED_PROCESS_SOURCE L".\\patch_stopped_process.cpp"

namespace {

const wchar_t kClassName[] = L"CPatchStoppedProcess";
const wchar_t kUserDesktop[] = L"winsta0\\default";
const DWORD kReadyWaitMs = 10 * 1000;
// The copy that asks the password manager to close runs as its user, who
// is not an administrator there: without this, Windows would refuse to
// start a program whose manifest asks for administrator rights.
const wchar_t kRunAsInvoker[] = L"__COMPAT_LAYER=RunAsInvoker";
const DWORD kPrimaryTokenAccess = TOKEN_QUERY | TOKEN_DUPLICATE |
                                  TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                                  TOKEN_ADJUST_SESSIONID;

void warn(const wchar_t* szMethod, const wchar_t* szWhat,
          const CQBNWCharString& imagePath, unsigned long ulLine)
{
    logPatchWarning(kClassName, szMethod, CQBNWCharString(szWhat) + imagePath,
                    PATCH_STOPPED_PROCESS_SOURCE, ulLine);
}

// Whether this process's own token holds a privilege (enabled or not).
bool holdsPrivilege(const wchar_t* szName)
{
    LUID luid = {};
    CQBNScopedHandle token;
    std::vector<unsigned char> buffer;
    if (!LookupPrivilegeValueW(nullptr, szName, &luid))
        return false;
    if (!token.received(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY,
                                         token.receive()) != FALSE) ||
        !readTokenInformation(token.get(), TokenPrivileges, buffer))
        return false;
    const TOKEN_PRIVILEGES* pPrivileges =
        reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    // Only as many entries as the buffer Windows filled can hold.
    const DWORD dwRoom = (static_cast<DWORD>(buffer.size()) -
                          offsetof(TOKEN_PRIVILEGES, Privileges)) /
                         sizeof(LUID_AND_ATTRIBUTES);
    if (buffer.size() < sizeof(TOKEN_PRIVILEGES) ||
        pPrivileges->PrivilegeCount > dwRoom)
        return false;
    for (DWORD dwIndex = 0; dwIndex < pPrivileges->PrivilegeCount; ++dwIndex) {
        const LUID& held = pPrivileges->Privileges[dwIndex].Luid;
        if (held.LowPart == luid.LowPart && held.HighPart == luid.HighPart)
            return true;
    }
    return false;
}

// SYSTEM may start a process with another user's token directly; an
// administrator asks the secondary logon service to.
bool canCreateAsUser()
{
    if (!holdsPrivilege(SE_ASSIGNPRIMARYTOKEN_NAME) ||
        !holdsPrivilege(SE_INCREASE_QUOTA_NAME))
        return false;
    CQBNWindowsProcess self;
    return self.setPrivilege(CQBNWCharString(SE_ASSIGNPRIMARYTOKEN_NAME), true,
                             nullptr) &&
           self.setPrivilege(CQBNWCharString(SE_INCREASE_QUOTA_NAME), true,
                             nullptr);
}

// The user's own environment, from the user's profile: the patch's own
// names SYSTEM's (or the administrator's) profile and temporary folder.
// userenv is not one of the libraries Windows always takes from the system
// folder, so it is loaded from there by full path.
class CUserEnvironment {
public:
    explicit CUserEnvironment(HANDLE hToken) : m_userenv(L"userenv.dll")
    {
        typedef BOOL(WINAPI * Create)(void**, HANDLE, BOOL);
        const Create create =
            m_userenv.findFunction<Create>("CreateEnvironmentBlock");
        if (create != nullptr && !create(&m_pBlock, hToken, FALSE))
            m_pBlock = nullptr;
    }
    // Keeps the last error: the reason a start with the block failed is
    // what the library's log must show.
    ~CUserEnvironment()
    {
        typedef BOOL(WINAPI * Destroy)(void*);
        const DWORD dwError = GetLastError();
        const Destroy destroy =
            m_userenv.findFunction<Destroy>("DestroyEnvironmentBlock");
        if (m_pBlock != nullptr && destroy != nullptr)
            destroy(m_pBlock);
        SetLastError(dwError);
    }
    CUserEnvironment(const CUserEnvironment&) = delete;
    CUserEnvironment& operator=(const CUserEnvironment&) = delete;

    void* get() const { return m_pBlock; }

private:
    CQBNSystemLibrary m_userenv;
    void* m_pBlock = nullptr;
};

// The user's environment block, with `szExtraVariable` ("NAME=value", or
// null for none) in place of any variable of that name.
std::vector<wchar_t> environmentWith(const void* pUserBlock,
                                     const wchar_t* szExtraVariable)
{
    const wchar_t* szExtra = szExtraVariable != nullptr ? szExtraVariable : L"";
    const bool bExtra = *szExtra != L'\0';
    const size_t nNameLength = wcscspn(szExtra, L"=") + 1;
    std::vector<wchar_t> block;
    if (bExtra)
        block.assign(szExtra, szExtra + wcslen(szExtra) + 1);
    for (const wchar_t* szEntry = static_cast<const wchar_t*>(pUserBlock);
         *szEntry != L'\0'; szEntry += wcslen(szEntry) + 1) {
        if (!bExtra || _wcsnicmp(szEntry, szExtra, nNameLength) != 0)
            block.insert(block.end(), szEntry, szEntry + wcslen(szEntry) + 1);
    }
    // The block ends in an empty entry; an empty block is two zero units.
    block.resize(block.size() + (block.empty() ? 2 : 1), L'\0');
    return block;
}

} // namespace

bool CPatchStoppedProcess::keep(HANDLE hProcess,
                                const CQBNWCharString& imagePath)
{
    m_imagePath = imagePath;
    m_userToken.reset();
    CQBNScopedHandle processToken;
    if (processToken.received(
            OpenProcessToken(hProcess, TOKEN_QUERY | TOKEN_DUPLICATE,
                             processToken.receive()) != FALSE) &&
        m_userToken.received(
            DuplicateTokenEx(processToken.get(), kPrimaryTokenAccess, nullptr,
                             SecurityImpersonation, TokenPrimary,
                             m_userToken.receive()) != FALSE))
        return true;
    warn(L"keep", L"No token of its user, so it will not be started again: ",
         imagePath, __LINE__);
    return false;
}

void CPatchStoppedProcess::forget()
{
    m_userToken.reset();
}

void CPatchStoppedProcess::startAgain()
{
    // The token goes with the one start it is kept for.
    const CQBNScopedHandle userToken(m_userToken.release());
    if (!userToken.isValid())
        return;
    PROCESS_INFORMATION started = {};
    if (!startAsUser(userToken.get(), m_imagePath, CQBNWCharString(), nullptr,
                     started)) {
        warn(L"startAgain", L"Not started again as its own user: ", m_imagePath,
             __LINE__);
        return;
    }
    const CQBNScopedHandle thread(started.hThread);
    const CQBNScopedHandle process(started.hProcess);
    WaitForInputIdle(process.get(), kReadyWaitMs);
}

bool CPatchStoppedProcess::askToCloseAsItsUser(DWORD dwProcessId,
                                               ULONGLONG ullDeadline)
{
    CQBNWCharString program;
    PROCESS_INFORMATION started = {};
    if (!m_userToken.isValid() || !getProgramPath(program) ||
        !startAsUser(m_userToken.get(), program,
                     closeRequestArguments(dwProcessId), kRunAsInvoker,
                     started)) {
        warn(L"askToCloseAsItsUser",
             L"Its windows cannot be reached from here, and it could not be "
             L"asked from its user's session: ",
             m_imagePath, __LINE__);
        return false;
    }
    const CQBNScopedHandle thread(started.hThread);
    const CQBNScopedHandle copy(started.hProcess);
    if (WaitForSingleObject(copy.get(), msUntil(ullDeadline)) != WAIT_OBJECT_0)
        TerminateProcess(copy.get(), kCloseRefused);
    DWORD dwAnswer = kCloseRefused;
    if (!GetExitCodeProcess(copy.get(), &dwAnswer) || dwAnswer != kCloseAgreed)
        warn(L"askToCloseAsItsUser",
             L"Asked from its user's session, it did not agree to close: ",
             m_imagePath, __LINE__);
    return true;
}

bool CPatchStoppedProcess::startAsUser(HANDLE hUserToken,
                                       const CQBNWCharString& program,
                                       const CQBNWCharString& arguments,
                                       const wchar_t* szExtraVariable,
                                       PROCESS_INFORMATION& started)
{
    const CUserEnvironment userEnvironment(hUserToken);
    if (userEnvironment.get() == nullptr)
        return false;
    std::vector<wchar_t> environment =
        environmentWith(userEnvironment.get(), szExtraVariable);
    CQBNWCharString quoted =
        CQBNWCharString(L"\"") + program + CQBNWCharString(L"\"");
    if (arguments.getLength() != 0)
        quoted = quoted + CQBNWCharString(L" ") + arguments;
    std::vector<wchar_t> commandLine(quoted.getText(),
                                     quoted.getText() + quoted.getLength() + 1);
    std::vector<wchar_t> desktop(kUserDesktop,
                                 kUserDesktop + ARRAYSIZE(kUserDesktop));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktop.data();
    const CQBNWCharString folder = folderOf(m_imagePath);
    const DWORD dwFlags = CREATE_UNICODE_ENVIRONMENT;
    if (canCreateAsUser())
        return CreateProcessAsUserW(
                   hUserToken, program.getText(), commandLine.data(), nullptr,
                   nullptr, FALSE, dwFlags, environment.data(),
                   folder.getText(), &startup, &started) != FALSE;
    return CreateProcessWithTokenW(hUserToken, 0, program.getText(),
                                   commandLine.data(), dwFlags,
                                   environment.data(), folder.getText(),
                                   &startup, &started) != FALSE;
}

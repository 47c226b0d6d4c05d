// patch8104.exe as the tests build it to break a run at an exact step: the
// same core and resources as the shipped program, with one Windows call of
// the core steered from outside through the environment. The shipped
// program has no such switch; this one is never shipped.
//
//   PATCH8104_FAULT=<call>:<n>:<action>[,<call>:<n>:<action>...]
//     call    MoveFileExW, DeleteFileW, CreateFileW, RegCreateKeyExW,
//             RegSetValueExW, RegDeleteKeyW, OpenProcessToken, or copy:
//             a file put into place (the CreateFileW that makes a new
//             file, CREATE_NEW, and the WriteFile of its bytes)
//     n       which call of the run (1 = the first); for CreateFileW also
//             the end of a file name (patch8104.lock): every call on it
//     action  kill-before, kill-after  the process ends (as taskkill /f or
//                                      a power cut ends it) around the call
//                                      (a copy: once its bytes are written)
//             kill-empty   copy only: the target is created empty, then
//                          the process ends (a copy under way)
//             fail         the call fails with access denied
//             corrupt      copy only: the write reports success but the
//                          target lacks its last byte (a write error
//                          Windows did not report)
//
// The pause after stopping the password manager is skipped, so that a
// table of kill points runs in seconds; nothing of the journal depends on
// it.
//
//   PATCH8104_CALLS=<file>   each start as a user is noted in the file:
//     "<call> <program> token=<process it came from> desktop=<desktop>
//     folder=<folder> environment=the user's" (or the patch's, by its block);
//     so is each folder made: "CreateDirectoryW <path> <access list>".
//   PATCH8104_OTHER_SESSION=1   other processes run in another session.
#include <windows.h>

#include <sddl.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "patch_program.h"
#include "qbn_scoped_handle.h"
#include "support/import_redirect.h"

namespace {

struct Fault {
    std::string call;
    int n = 0;
    std::wstring nameEnd;
    std::string action;
};

std::vector<Fault> g_faults;
std::map<std::string, int> g_calls;

bool parseFault(const std::string& text, Fault& fault)
{
    const std::string::size_type first = text.find(':');
    const std::string::size_type second = text.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return false;
    fault.call = text.substr(0, first);
    const std::string which = text.substr(first + 1, second - first - 1);
    fault.n = std::atoi(which.c_str());
    if (fault.n == 0)
        fault.nameEnd.assign(which.begin(), which.end());
    fault.action = text.substr(second + 1);
    return true;
}

std::vector<Fault> readFaults()
{
    std::vector<Fault> faults;
    const char* szFaults = std::getenv("PATCH8104_FAULT");
    std::string faultList = szFaults == nullptr ? "" : szFaults;
    while (!faultList.empty()) {
        const std::string::size_type comma = faultList.find(',');
        Fault fault;
        if (parseFault(faultList.substr(0, comma), fault))
            faults.push_back(fault);
        faultList =
            comma == std::string::npos ? "" : faultList.substr(comma + 1);
    }
    return faults;
}

// The action for this call of `szCall`, or "" when no fault names it.
std::string actionFor(const char* szCall)
{
    const int n = ++g_calls[szCall];
    for (const Fault& fault : g_faults) {
        if (fault.call == szCall && fault.n == n)
            return fault.action;
    }
    return std::string();
}

// The action for a call on `szPath`: a fault naming the end of that path
// first, else the one for this call's number.
std::string actionForPath(const char* szCall, const wchar_t* szPath)
{
    const std::wstring path = szPath == nullptr ? L"" : szPath;
    for (const Fault& fault : g_faults) {
        const std::size_t ulEnd = fault.nameEnd.size();
        if (fault.call == szCall && ulEnd != 0 && path.size() >= ulEnd &&
            _wcsicmp(path.c_str() + path.size() - ulEnd,
                     fault.nameEnd.c_str()) == 0)
            return fault.action;
    }
    return actionFor(szCall);
}

void endProcessNow()
{
    TerminateProcess(GetCurrentProcess(), 9);
}

// What a call that is made to fail answers: the file calls FALSE with a
// last error, the registry calls the error itself.
template <class Result>
Result refused();
template <>
BOOL refused<BOOL>()
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
template <>
HANDLE refused<HANDLE>()
{
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}
template <>
LSTATUS refused<LSTATUS>()
{
    return ERROR_ACCESS_DENIED;
}

// Runs `real` unless the action says otherwise, ending the process around
// it when asked.
template <class Result, class Real>
Result steer(const std::string& action, Real real)
{
    if (action == "kill-before")
        endProcessNow();
    if (action == "fail")
        return refused<Result>();
    const Result result = real();
    if (action == "kill-after")
        endProcessNow();
    return result;
}

void* g_pMoveFileExW = nullptr;
void* g_pRegCreateKeyExW = nullptr;
void* g_pRegSetValueExW = nullptr;
void* g_pDeleteFileW = nullptr;
void* g_pRegDeleteKeyW = nullptr;
constexpr char kMoveFileExW[] = "MoveFileExW";
constexpr char kRegCreateKeyExW[] = "RegCreateKeyExW";
constexpr char kRegSetValueExW[] = "RegSetValueExW";
constexpr char kDeleteFileW[] = "DeleteFileW";
constexpr char kRegDeleteKeyW[] = "RegDeleteKeyW";

// A call steered by its number alone, passed on to the real one.
template <const char* szCall, void** ppReal, class Result, class... Args>
Result WINAPI steeredCall(Args... args)
{
    return steer<Result>(actionFor(szCall), [&]() {
        return reinterpret_cast<Result(WINAPI*)(Args...)>(*ppReal)(args...);
    });
}

void* g_pCreateFileW = nullptr;

void* g_pWriteFile = nullptr;
// The file a steered copy is writing, and what is to happen to its bytes.
HANDLE g_hCopy = INVALID_HANDLE_VALUE;
std::string g_copyAction;

HANDLE WINAPI steeredCreateFileW(LPCWSTR szPath, DWORD dwAccess, DWORD dwShare,
                                 LPSECURITY_ATTRIBUTES pSecurity,
                                 DWORD dwDisposition, DWORD dwFlags,
                                 HANDLE hTemplate)
{
    const bool bCopy = dwDisposition == CREATE_NEW;
    const std::string action =
        bCopy ? actionFor("copy") : actionForPath("CreateFileW", szPath);
    const auto create = [&]() {
        return reinterpret_cast<decltype(&CreateFileW)>(g_pCreateFileW)(
            szPath, dwAccess, dwShare, pSecurity, dwDisposition, dwFlags,
            hTemplate);
    };
    if (!bCopy)
        return steer<HANDLE>(action, create);
    if (action == "kill-before")
        endProcessNow();
    if (action == "fail")
        return refused<HANDLE>();
    const HANDLE hFile = create();
    if (action == "kill-empty")
        endProcessNow();
    g_hCopy = hFile;
    g_copyAction = action;
    return hFile;
}

BOOL WINAPI steeredWriteFile(HANDLE hFile, LPCVOID pData, DWORD dwSize,
                             LPDWORD pdwWritten, LPOVERLAPPED pOverlapped)
{
    const bool bCorrupt = hFile == g_hCopy && g_copyAction == "corrupt";
    const BOOL bWritten = reinterpret_cast<decltype(&WriteFile)>(g_pWriteFile)(
        hFile, pData, bCorrupt && dwSize > 0 ? dwSize - 1 : dwSize, pdwWritten,
        pOverlapped);
    if (bCorrupt && bWritten && pdwWritten != nullptr)
        *pdwWritten = dwSize;
    if (hFile == g_hCopy && g_copyAction == "kill-after")
        endProcessNow();
    return bWritten;
}
void* g_pOpenProcessToken = nullptr;
void* g_pCreateProcessWithTokenW = nullptr;

void* g_pDuplicateTokenEx = nullptr;
void* g_pProcessIdToSessionId = nullptr;
// The file name of the process each token handle came from, kept through
// duplicates.
std::map<HANDLE, std::wstring> g_tokenOwners;

std::wstring fileNameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

BOOL WINAPI steeredOpenProcessToken(HANDLE hProcess, DWORD dwAccess,
                                    PHANDLE phToken)
{
    const BOOL bOpened = steer<BOOL>(actionFor("OpenProcessToken"), [&]() {
        return reinterpret_cast<decltype(&OpenProcessToken)>(
            g_pOpenProcessToken)(hProcess, dwAccess, phToken);
    });
    wchar_t szPath[MAX_PATH] = {};
    DWORD dwSize = MAX_PATH;
    if (bOpened && QueryFullProcessImageNameW(hProcess, 0, szPath, &dwSize))
        g_tokenOwners[*phToken] = fileNameOf(std::wstring(szPath, dwSize));
    return bOpened;
}

BOOL WINAPI notedDuplicateTokenEx(HANDLE hToken, DWORD dwAccess,
                                  LPSECURITY_ATTRIBUTES pAttributes,
                                  SECURITY_IMPERSONATION_LEVEL level,
                                  TOKEN_TYPE type, PHANDLE phNew)
{
    const BOOL bDuplicated = reinterpret_cast<decltype(&DuplicateTokenEx)>(
        g_pDuplicateTokenEx)(hToken, dwAccess, pAttributes, level, type, phNew);
    if (bDuplicated)
        g_tokenOwners[*phNew] = g_tokenOwners[hToken];
    return bDuplicated;
}

BOOL WINAPI steeredProcessIdToSessionId(DWORD dwProcessId, DWORD* pdwSession)
{
    const BOOL bRead = reinterpret_cast<decltype(&ProcessIdToSessionId)>(
        g_pProcessIdToSessionId)(dwProcessId, pdwSession);
    if (bRead && dwProcessId != GetCurrentProcessId() &&
        GetEnvironmentVariableW(L"PATCH8104_OTHER_SESSION", nullptr, 0) > 1)
        *pdwSession += 1;
    return bRead;
}

// Whether a UTF-16 environment block holds a variable of this name.
bool blockNames(const void* pBlock, const wchar_t* szName)
{
    for (const wchar_t* pEntry = static_cast<const wchar_t*>(pBlock);
         pBlock != nullptr && *pEntry != 0; pEntry += wcslen(pEntry) + 1) {
        if (_wcsnicmp(pEntry, szName, wcslen(szName)) == 0)
            return true;
    }
    return false;
}

void noteCall(const std::wstring& line)
{
    wchar_t szFile[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"PATCH8104_CALLS", szFile, MAX_PATH))
        return;
    const CQBNScopedHandle file(CreateFileW(szFile, FILE_APPEND_DATA, 0,
                                            nullptr, OPEN_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::wstring text = line + L"\r\n";
    DWORD dwWritten = 0;
    WriteFile(file.get(), text.c_str(),
              static_cast<DWORD>(text.size() * sizeof(wchar_t)), &dwWritten,
              nullptr);
}

void noteStart(const wchar_t* szCall, HANDLE hToken, const wchar_t* szProgram,
               const STARTUPINFOW* pStartup, const wchar_t* szFolder,
               const void* pEnvironment)
{
    noteCall(std::wstring(szCall) + L" " + fileNameOf(szProgram) + L" token=" +
             g_tokenOwners[hToken] + L" desktop=" + pStartup->lpDesktop +
             L" folder=" + szFolder + L" environment=" +
             (blockNames(pEnvironment, L"PATCH8104_CALLS=") ? L"the patch's"
                                                            : L"the user's"));
}

// The access list a folder is made with, as security descriptor text:
// Wine keeps none, so the call itself is what can be shown.
std::wstring accessListText(const SECURITY_ATTRIBUTES* pAttributes)
{
    LPWSTR szText = nullptr;
    if (pAttributes == nullptr ||
        pAttributes->lpSecurityDescriptor == nullptr ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(
            pAttributes->lpSecurityDescriptor, SDDL_REVISION_1,
            DACL_SECURITY_INFORMATION, &szText, nullptr))
        return L"inherited";
    const std::wstring text = szText;
    LocalFree(szText);
    return text;
}

void* g_pCreateDirectoryW = nullptr;

BOOL WINAPI notedCreateDirectoryW(LPCWSTR szPath,
                                  LPSECURITY_ATTRIBUTES pAttributes)
{
    noteCall(std::wstring(L"CreateDirectoryW ") + szPath + L" " +
             accessListText(pAttributes));
    return reinterpret_cast<decltype(&CreateDirectoryW)>(g_pCreateDirectoryW)(
        szPath, pAttributes);
}

BOOL WINAPI notedCreateProcessWithTokenW(HANDLE hToken, DWORD dwLogon,
                                         LPCWSTR szApplication,
                                         LPWSTR szCommandLine, DWORD dwFlags,
                                         LPVOID pEnvironment, LPCWSTR szFolder,
                                         LPSTARTUPINFOW pStartup,
                                         LPPROCESS_INFORMATION pStarted)
{
    noteStart(L"CreateProcessWithTokenW", hToken, szApplication, pStartup,
              szFolder, pEnvironment);
    return reinterpret_cast<decltype(&CreateProcessWithTokenW)>(
        g_pCreateProcessWithTokenW)(hToken, dwLogon, szApplication,
                                    szCommandLine, dwFlags, pEnvironment,
                                    szFolder, pStartup, pStarted);
}

VOID WINAPI skippedSleep(DWORD) {}

struct Redirect {
    const char* szDll;
    const char* szFunction;
    void* pReplacement;
    void** ppReal; // where the real function is kept, if it is called
};

template <class Function>
void* address(Function* pFunction)
{
    return reinterpret_cast<void*>(pFunction);
}

const Redirect kRedirects[] = {
    {"kernel32.dll", kMoveFileExW,
     address(&steeredCall<kMoveFileExW, &g_pMoveFileExW, BOOL, LPCWSTR, LPCWSTR,
                          DWORD>),
     &g_pMoveFileExW},
    {"kernel32.dll", kDeleteFileW,
     address(&steeredCall<kDeleteFileW, &g_pDeleteFileW, BOOL, LPCWSTR>),
     &g_pDeleteFileW},
    {"advapi32.dll", kRegCreateKeyExW,
     address(&steeredCall<kRegCreateKeyExW, &g_pRegCreateKeyExW, LSTATUS, HKEY,
                          LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM,
                          LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD>),
     &g_pRegCreateKeyExW},
    {"advapi32.dll", kRegSetValueExW,
     address(&steeredCall<kRegSetValueExW, &g_pRegSetValueExW, LSTATUS, HKEY,
                          LPCWSTR, DWORD, DWORD, const BYTE*, DWORD>),
     &g_pRegSetValueExW},
    {"advapi32.dll", kRegDeleteKeyW,
     address(&steeredCall<kRegDeleteKeyW, &g_pRegDeleteKeyW, LSTATUS, HKEY,
                          LPCWSTR>),
     &g_pRegDeleteKeyW},
    {"kernel32.dll", "CreateFileW", address(&steeredCreateFileW),
     &g_pCreateFileW},
    {"kernel32.dll", "WriteFile", address(&steeredWriteFile), &g_pWriteFile},
    {"kernel32.dll", "Sleep", address(&skippedSleep), nullptr},
    {"kernel32.dll", "CreateDirectoryW", address(&notedCreateDirectoryW),
     &g_pCreateDirectoryW},
    {"advapi32.dll", "OpenProcessToken", address(&steeredOpenProcessToken),
     &g_pOpenProcessToken},
    {"advapi32.dll", "DuplicateTokenEx", address(&notedDuplicateTokenEx),
     &g_pDuplicateTokenEx},
    {"advapi32.dll", "CreateProcessWithTokenW",
     address(&notedCreateProcessWithTokenW), &g_pCreateProcessWithTokenW},
    {"kernel32.dll", "ProcessIdToSessionId",
     address(&steeredProcessIdToSessionId), &g_pProcessIdToSessionId},
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    g_faults = readFaults();
    std::vector<std::unique_ptr<qbntest::CImportRedirect>> redirects;
    for (const Redirect& redirect : kRedirects) {
        redirects.push_back(std::make_unique<qbntest::CImportRedirect>(
            redirect.szDll, redirect.szFunction, redirect.pReplacement));
        if (!redirects.back()->isActive())
            return 3;
        if (redirect.ppReal != nullptr)
            *redirect.ppReal = redirects.back()->original();
    }
    return runProgram(commandLine);
}

// What CQBNWindowsOSInfo reports about the running Windows.
//
// Wine chooses the Windows version a program sees by the program's file
// name (HKCU\Software\Wine\AppDefaults\<exe>\Version), so the version cases
// run osinfo_probe.exe, copied under a name no other run uses, and read its
// answer back through a pipe. The refusal paths Wine cannot produce are
// reached in this process by answering in Windows' place for one import.
//
// Registered for both a 64-bit and a 32-bit prefix.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "qbn_exceptions.h"
#include "qbn_windows_os_info.h"
#include "support/import_redirect.h"

using qbntest::CImportRedirect;

namespace {

typedef std::map<std::string, std::string> Report;

const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\";
const wchar_t kWindowsKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Windows";
const DWORD kProbeTimeoutMs = 60000;

// ---- in-process stand-ins for Windows ----

std::vector<DWORD> g_versionSizesAsked;
WORD g_wArchitecture = 0;

BOOL WINAPI versionRefusingExtendedRecord(OSVERSIONINFOW* pInfo)
{
    g_versionSizesAsked.push_back(pInfo->dwOSVersionInfoSize);
    if (pInfo->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    pInfo->dwMajorVersion = 5;
    pInfo->dwMinorVersion = 2;
    return TRUE;
}

BOOL WINAPI versionRefusingEverything(OSVERSIONINFOW* pInfo)
{
    g_versionSizesAsked.push_back(pInfo->dwOSVersionInfoSize);
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

void WINAPI nativeInfoOfChosenArchitecture(SYSTEM_INFO* pInfo)
{
    ZeroMemory(pInfo, sizeof(*pInfo));
    pInfo->wProcessorArchitecture = g_wArchitecture;
}

// ---- the probe in a child process ----

std::wstring folderOfThisProgram()
{
    wchar_t szPath[MAX_PATH] = {};
    const DWORD dwLength = GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring path(szPath, dwLength < MAX_PATH ? dwLength : 0);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring tempFolder()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    const DWORD dwLength = GetTempPathW(MAX_PATH + 1, szTemp);
    return std::wstring(szTemp, dwLength <= MAX_PATH ? dwLength : 0);
}

// The probe under a name of its own with one Windows version; both the copy
// and its AppDefaults key are gone again when this is destroyed.
class VersionedProbe {
public:
    explicit VersionedProbe(const std::wstring& version)
        : m_name(L"osinfo_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 version + L".exe"),
          m_path(tempFolder() + m_name), m_key(kAppDefaults + m_name)
    {
        m_bReady =
            CopyFileW((folderOfThisProgram() + L"osinfo_probe.exe").c_str(),
                      m_path.c_str(), FALSE) &&
            setVersion(version);
    }
    ~VersionedProbe()
    {
        RegDeleteKeyW(HKEY_CURRENT_USER, m_key.c_str());
        DeleteFileW(m_path.c_str());
    }
    bool isReady() const { return m_bReady; }
    const std::wstring& path() const { return m_path; }

private:
    bool setVersion(const std::wstring& version)
    {
        HKEY hKey = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &hKey,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const LONG lResult = RegSetValueExW(
            hKey, L"Version", 0, REG_SZ,
            reinterpret_cast<const BYTE*>(version.c_str()),
            static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
        return lResult == ERROR_SUCCESS;
    }

    std::wstring m_name;
    std::wstring m_path;
    std::wstring m_key;
    bool m_bReady;
};

// This process's environment without "QBNDrive", plus `extra` when given,
// as a block for CreateProcessW: the variable reaches the child only.
std::vector<wchar_t> environmentFor(const std::wstring& extra)
{
    std::vector<wchar_t> block;
    wchar_t* pStrings = GetEnvironmentStringsW();
    for (const wchar_t* pEntry = pStrings; pEntry != nullptr && *pEntry != 0;
         pEntry += std::wcslen(pEntry) + 1) {
        if (_wcsnicmp(pEntry, L"QBNDrive=", 9) == 0)
            continue;
        block.insert(block.end(), pEntry, pEntry + std::wcslen(pEntry) + 1);
    }
    if (pStrings != nullptr)
        FreeEnvironmentStringsW(pStrings);
    if (!extra.empty())
        block.insert(block.end(), extra.c_str(),
                     extra.c_str() + extra.size() + 1);
    block.push_back(0);
    return block;
}

// Runs a program and collects what it writes to stdout; empty when it
// could not be started or did not finish in time.
std::string outputOf(const std::wstring& path, std::vector<wchar_t> environment)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE hRead = nullptr;
    HANDLE hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &inheritable, 0))
        return "";
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = hWrite;
    startup.hStdError = hWrite;
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + path + L"\"";
    const BOOL bStarted =
        CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr,
                       &startup, &process);
    // Our copy of the writing end must go, or the read never sees the end.
    CloseHandle(hWrite);

    std::string output;
    if (bStarted) {
        char buffer[512];
        DWORD dwRead = 0;
        while (ReadFile(hRead, buffer, sizeof(buffer), &dwRead, nullptr) &&
               dwRead > 0)
            output.append(buffer, dwRead);
        if (WaitForSingleObject(process.hProcess, kProbeTimeoutMs) !=
            WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
            output.clear();
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(hRead);
    return output;
}

Report parseReport(const std::string& line)
{
    Report report;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find_first_of(" \r\n", start);
        if (end == std::string::npos)
            end = line.size();
        const std::string field = line.substr(start, end - start);
        const size_t equals = field.find('=');
        if (equals != std::string::npos)
            report[field.substr(0, equals)] = field.substr(equals + 1);
        start = end + 1;
    }
    return report;
}

// What the probe reports under one Windows version, with the "QBNDrive"
// entry given (or none).
Report probe(const std::wstring& version, const std::wstring& driveEntry = L"")
{
    const VersionedProbe copy(version);
    if (!copy.isReady())
        return Report();
    return parseReport(outputOf(copy.path(), environmentFor(driveEntry)));
}

bool isWow64()
{
    BOOL bWow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &bWow64) && bWow64;
}

// ---- versions as Wine reports them to a program without a manifest ----

struct VersionCase {
    const wchar_t* szSetting;
    double dVersion;
    bool bXP;
    bool bVista;
    bool bWin7;
};

std::string settingName(const VersionCase& versionCase)
{
    const std::wstring setting = versionCase.szSetting;
    return std::string(setting.begin(), setting.end());
}

void PrintTo(const VersionCase& versionCase, std::ostream* pStream)
{
    *pStream << settingName(versionCase);
}

class WindowsVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(WindowsVersion, ClassifiesTheReportedVersion)
{
    const VersionCase& expected = GetParam();
    Report report = probe(expected.szSetting);
    ASSERT_FALSE(report.empty()) << "probe did not run";
    EXPECT_DOUBLE_EQ(expected.dVersion, std::stod(report["version"]));
    EXPECT_EQ(expected.bXP ? "1" : "0", report["isXP"]);
    EXPECT_EQ(expected.bVista ? "1" : "0", report["isVista"]);
    EXPECT_EQ(expected.bWin7 ? "1" : "0", report["isWin7"]);
}

// Windows 8.1 and later tell a program without a compatibility manifest
// that they are 6.2, and Wine does the same, so "win10" must not pass for 7.
INSTANTIATE_TEST_SUITE_P(
    WineAppDefaults, WindowsVersion,
    ::testing::Values(VersionCase{L"winxp", 5.1, true, false, false},
                      VersionCase{L"win2003", 5.2, true, false, false},
                      VersionCase{L"vista", 6.0, false, true, false},
                      VersionCase{L"win7", 6.1, false, false, true},
                      VersionCase{L"win8", 6.2, false, false, false},
                      VersionCase{L"win10", 6.2, false, false, false}),
    [](const ::testing::TestParamInfo<VersionCase>& info) {
        return settingName(info.param);
    });

// ---- the facts gathered at construction, in a child process ----

TEST(WindowsOSInfoProbe, PlatformIsTheNativeOne)
{
    const char* szArch = std::getenv("WINEARCH");
    if (szArch != nullptr && std::string(szArch) == "win32") {
        // The 32-bit registration must really land on a 32-bit prefix.
        ASSERT_FALSE(isWow64());
    }
    Report report = probe(L"win7");
    ASSERT_FALSE(report.empty()) << "probe did not run";
    EXPECT_EQ(isWow64() ? "2" : "1", report["platform"]);
}

// A per-program version leaves the registry alone: the prefix holds the
// same "CSDVersion" (0x100, service pack 1) whatever the probe is told.
TEST(WindowsOSInfoProbe, ServicePackIsTheHighByteOfCSDVersion)
{
    DWORD dwCsd = 0;
    DWORD dwSize = sizeof(dwCsd);
    const bool bPresent = RegGetValueW(HKEY_LOCAL_MACHINE, kWindowsKey,
                                       L"CSDVersion", RRF_RT_REG_DWORD, nullptr,
                                       &dwCsd, &dwSize) == ERROR_SUCCESS;
    Report report = probe(L"win7");
    ASSERT_FALSE(report.empty()) << "probe did not run";
    EXPECT_EQ(std::to_string(bPresent ? dwCsd >> 8 : 0), report["servicePack"]);
}

TEST(WindowsOSInfoProbe, PreInstallEnvironmentNeedsANonEmptyDrive)
{
    EXPECT_EQ("0", probe(L"win7")["isPE"]);
    EXPECT_EQ("0", probe(L"win7", L"QBNDrive=")["isPE"]);
    EXPECT_EQ("1", probe(L"win7", L"QBNDrive=X:")["isPE"]);
}

// Both shell queries are asked on every supported system; on 6.1 both
// "XP or later" and "Vista or later" hold.
TEST(WindowsOSInfoProbe, ShellQueriesAreAskedFromTheSystemLibrary)
{
    Report report = probe(L"win7");
    ASSERT_FALSE(report.empty()) << "probe did not run";
    EXPECT_EQ("1", report["query18"]);
    EXPECT_EQ("1", report["query37"]);
}

// ---- refusals, in this process ----

TEST(WindowsOSInfoRefusals, PlainRecordIsAskedWhenTheExtendedOneIsRefused)
{
    g_versionSizesAsked.clear();
    const CImportRedirect redirect(
        "kernel32.dll", "GetVersionExW",
        reinterpret_cast<void*>(&versionRefusingExtendedRecord));
    ASSERT_TRUE(redirect.isActive());
    const CQBNWindowsOSInfo info;
    EXPECT_EQ((std::vector<DWORD>{284, 276}), g_versionSizesAsked);
    EXPECT_DOUBLE_EQ(5.2, info.getVersion());
    EXPECT_TRUE(info.isXP());
}

TEST(WindowsOSInfoRefusals, NoVersionMeansNoObject)
{
    g_versionSizesAsked.clear();
    const CImportRedirect redirect(
        "kernel32.dll", "GetVersionExW",
        reinterpret_cast<void*>(&versionRefusingEverything));
    ASSERT_TRUE(redirect.isActive());
    try {
        const CQBNWindowsOSInfo info;
        FAIL() << "construction succeeded without a version";
    } catch (CQBNWindowsOSInfoInitNeededException& caught) {
        EXPECT_STREQ(L"CQBNWindowsOSInfo construction failed. Cannot call "
                     L"member functions.",
                     caught.getMessage());
    }
    EXPECT_EQ((std::vector<DWORD>{284, 276}), g_versionSizesAsked);
}

TEST(WindowsOSInfoRefusals, OnlySixtyFourBitArchitecturesGivePlatformTwo)
{
    const CQBNWindowsOSInfo info;
    const CImportRedirect redirect(
        "kernel32.dll", "GetNativeSystemInfo",
        reinterpret_cast<void*>(&nativeInfoOfChosenArchitecture));
    ASSERT_TRUE(redirect.isActive());
    const std::map<WORD, int> expected = {
        {PROCESSOR_ARCHITECTURE_INTEL, 1},
        {PROCESSOR_ARCHITECTURE_ARM, 1},
        {PROCESSOR_ARCHITECTURE_IA64, 2},
        {PROCESSOR_ARCHITECTURE_AMD64, 2},
        {PROCESSOR_ARCHITECTURE_IA32_ON_WIN64, 2},
        {12 /* ARM64 */, 1},
        {PROCESSOR_ARCHITECTURE_UNKNOWN, 1}};
    // One object, many answers: the platform is asked afresh every time.
    for (const auto& entry : expected) {
        g_wArchitecture = entry.first;
        EXPECT_EQ(entry.second, info.getPlatform())
            << "architecture " << entry.first;
    }
}

TEST(WindowsOSInfoRefusals, QueryWithoutAPlaceForTheAnswerFails)
{
    const CQBNWindowsOSInfo info;
    bool bAnswer = false;
    EXPECT_FALSE(info.performOSQueryFunction(18, nullptr));
    EXPECT_TRUE(info.performOSQueryFunction(18, &bAnswer));
}

} // namespace

#include "qbn_windows_os_info.h"

#include <windows.h>

#include "qbn_catch.h"
#include "qbn_environment_variable.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_registry_dword.h"
#include "qbn_system_library.h"
#include "qbn_traced_method.h"
#include "qbn_wchar_string.h"

#define QBN_WINDOWS_OS_INFO_SOURCE L".\\qbn_windows_os_info.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNWindowsOSInfo";

// IsOS questions: "XP or later" and "Vista or later".
const int kQueryXPOrLater = 18;
const int kQueryVistaOrLater = 37;
// shlwapi exports IsOS by ordinal only on the systems this still supports.
const WORD kIsOSOrdinal = 437;

// Windows fills as much of the record as the size field announces; the two
// sizes are the extended record and, for systems that refuse it, the plain
// one that every version accepts.
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record");
static_assert(sizeof(OSVERSIONINFOW) == 276, "plain version record");

typedef BOOL(WINAPI* IsOSFunction)(DWORD);

// shlwapi is loaded once and stays for the rest of the process. The OS
// information is built afresh for every product and policy question, and
// loading and freeing shlwapi for each of its queries, 22 times in a patch
// run, took about two thirds of the run's own work (scripts/bench: 45 ms
// with it, 12 to 14 ms without).
const CQBNSystemLibrary& shellLibrary()
{
    static const CQBNSystemLibrary shell(L"shlwapi.dll");
    return shell;
}

bool isSixtyFourBitArchitecture(WORD wArchitecture)
{
    return wArchitecture == PROCESSOR_ARCHITECTURE_IA64 ||
           wArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           wArchitecture == PROCESSOR_ARCHITECTURE_IA32_ON_WIN64;
}

} // namespace

CQBNWindowsOSInfo::CQBNWindowsOSInfo()
    : m_bOSQuery18(false), m_bOSQuery37(false), m_bIsPE(false),
      m_ulServicePack(0), m_dVersion(0.0)
{
    CQBNTraceScope trace(kClassName, L"CQBNWindowsOSInfo",
                         QBN_WINDOWS_OS_INFO_SOURCE, __LINE__);
    m_bIsPE = performPECheck();
    askShellQueries();
    readServicePack();
    readVersion();
    trace.finish(true);
}

CQBNWindowsOSInfo::~CQBNWindowsOSInfo()
{
    CQBNTraceScope trace(kClassName, L"~CQBNWindowsOSInfo",
                         QBN_WINDOWS_OS_INFO_SOURCE, __LINE__);
    trace.finish(true);
}

int CQBNWindowsOSInfo::getPlatform() const
{
    CQBNTraceScope trace(kClassName, L"getPlatform", QBN_WINDOWS_OS_INFO_SOURCE,
                         __LINE__);
    // The native answer, not the process's: a 32-bit program on 64-bit
    // Windows must still see a 64-bit system.
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);
    const int iPlatform =
        isSixtyFourBitArchitecture(info.wProcessorArchitecture) ? plX64 : plX86;
    trace.finish(iPlatform != 0);
    return iPlatform;
}

bool CQBNWindowsOSInfo::isXP() const
{
    CQBNTraceScope trace(kClassName, L"isXP", QBN_WINDOWS_OS_INFO_SOURCE,
                         __LINE__);
    return trace.finish(m_dVersion >= 5.1 && m_dVersion < 6.0, rtLogical);
}

bool CQBNWindowsOSInfo::isVista() const
{
    CQBNTraceScope trace(kClassName, L"isVista", QBN_WINDOWS_OS_INFO_SOURCE,
                         __LINE__);
    return trace.finish(m_dVersion == 6.0, rtLogical);
}

bool CQBNWindowsOSInfo::isWin7() const
{
    CQBNTraceScope trace(kClassName, L"isWin7", QBN_WINDOWS_OS_INFO_SOURCE,
                         __LINE__);
    return trace.finish(m_dVersion == 6.1, rtLogical);
}

bool CQBNWindowsOSInfo::performOSQueryFunction(int iQuery, bool* pbAnswer) const
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"performOSQueryFunction",
                        QBN_WINDOWS_OS_INFO_SOURCE),
        esLastError, [&]() {
            if (pbAnswer == nullptr)
                throw CQBNBadArgException(L"pbAnswer",
                                          L"there is no place for the answer",
                                          QBN_WINDOWS_OS_INFO_SOURCE, __LINE__);
            const IsOSFunction isOS = shellLibrary().findFunction<IsOSFunction>(
                MAKEINTRESOURCEA(kIsOSOrdinal));
            if (isOS == nullptr)
                return false;
            *pbAnswer = isOS(static_cast<DWORD>(iQuery)) != FALSE;
            return true;
        });
}

bool CQBNWindowsOSInfo::performPECheck() const
{
    return qbnTracedMethod(QBN_METHOD_SITE(kClassName, L"performPECheck",
                                           QBN_WINDOWS_OS_INFO_SOURCE),
                           esLastError, rtLogical, [&]() {
                               CQBNEnvironmentVariable drive(
                                   CQBNWCharString(L"QBNDrive"));
                               CQBNWCharString value;
                               return drive.getValue(value) &&
                                      value.isValid() && value.getLength() > 0;
                           });
}

// The second question is only worth asking when the first could be.
void CQBNWindowsOSInfo::askShellQueries()
{
    bool bAnswer = false;
    if (!performOSQueryFunction(kQueryXPOrLater, &bAnswer))
        return;
    m_bOSQuery18 = bAnswer;
    if (performOSQueryFunction(kQueryVistaOrLater, &bAnswer))
        m_bOSQuery37 = bAnswer;
}

// The service pack number is the high byte of "CSDVersion"; a value that
// is missing or unreadable means none.
void CQBNWindowsOSInfo::readServicePack()
{
    m_ulServicePack = 0;
    qbnGuard(false, esLastError, QBN_WINDOWS_OS_INFO_SOURCE, __LINE__, [&]() {
        CQBNRegistryDword csdVersion(
            HKEY_LOCAL_MACHINE,
            CQBNWCharString(L"SYSTEM\\CurrentControlSet\\Control\\Windows"),
            CQBNWCharString(L"CSDVersion"), kQbnKeyRead, false, 0);
        unsigned long ulValue = 0;
        if (!csdVersion.getValue(ulValue, false))
            return false;
        m_ulServicePack = ulValue >> 8;
        return true;
    });
}

void CQBNWindowsOSInfo::readVersion()
{
    OSVERSIONINFOEXW info = {};
    OSVERSIONINFOW* pInfo = reinterpret_cast<OSVERSIONINFOW*>(&info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!GetVersionExW(pInfo)) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(pInfo))
            throw CQBNWindowsOSInfoInitNeededException(
                QBN_WINDOWS_OS_INFO_SOURCE, __LINE__);
    }
    m_dVersion = static_cast<double>(info.dwMajorVersion) +
                 static_cast<double>(info.dwMinorVersion) / 10.0;
}

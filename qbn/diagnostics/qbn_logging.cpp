#include "qbn_logging.h"

#include <windows.h>

#include <cwchar>

namespace {

// The module name buffer of the filter; a longer program path is refused.
const unsigned long kModuleNameChars = 128;

const unsigned short kExitFilterErrorCode = 0x1000;
const unsigned short kExitFilterBoolean = 0x2000;
const unsigned short kExitFilterLogical = 0x4000;
const unsigned short kAnyExitFilter =
    kExitFilterErrorCode | kExitFilterBoolean | kExitFilterLogical;

// "C:\dir\name.ext" -> "name": the program name that entries are filed under.
bool baseNameWithoutExtension(const wchar_t* szPath, wchar_t* szName,
                              size_t cchName)
{
    const wchar_t* start = wcsrchr(szPath, L'\\');
    start = (start == nullptr) ? szPath : start + 1;
    const wchar_t* dot = wcsrchr(start, L'.');
    const size_t length =
        (dot == nullptr) ? wcslen(start) : size_t(dot - start);
    if (length == 0 || length >= cchName)
        return false;
    wmemcpy(szName, start, length);
    szName[length] = L'\0';
    return true;
}

} // namespace

CQBNLastErrorKeeper::CQBNLastErrorKeeper() : m_ulSaved(GetLastError()) {}

CQBNLastErrorKeeper::~CQBNLastErrorKeeper()
{
    SetLastError(m_ulSaved);
}

CQBNLogging::CQBNLogging(unsigned short usOutputs, bool bLogOnDestroy)
    : m_bLogOnDestroy(bLogOnDestroy), m_usOutputs(usOutputs), m_usDetail(0),
      m_bLogged(false)
{
}

CQBNLogging::~CQBNLogging() {}

bool CQBNLogging::markLogged(bool bWritten)
{
    if (bWritten)
        m_bLogged = true;
    return bWritten;
}

bool CQBNLogging::passesLevelFilter(CQBNLogRecord& record)
{
    m_usDetail = 0;
    if (!m_config.isLoggingOn())
        return false;
    if (record.moduleName == nullptr && !fillModuleName(record))
        return false;
    if (m_config.hasProgramValue(record.moduleName))
        return applyProgramOverride(record);

    m_usDetail = m_config.getLogDetail();
    if ((record.level & m_usDetail) != record.level)
        return false;
    return record.level != llExit || passesExitFilters(record);
}

bool CQBNLogging::fillModuleName(CQBNLogRecord& record) const
{
    wchar_t szPath[kModuleNameChars] = {};
    const DWORD length = GetModuleFileNameW(nullptr, szPath, kModuleNameChars);
    // A path that fills the buffer may have been cut short: refuse it.
    if (length == 0 || length >= kModuleNameChars)
        return false;
    wchar_t szName[kModuleNameChars] = {};
    if (!baseNameWithoutExtension(szPath, szName, kModuleNameChars))
        return false;
    return CQBNLogRecord::setText(record.moduleName, szName);
}

// A program named in the configuration logs everything, to its own outputs.
bool CQBNLogging::applyProgramOverride(const CQBNLogRecord& record)
{
    unsigned short usOutputs = 0;
    unsigned short usDetail = 0;
    if (!m_config.readProgramOverride(record.moduleName, usOutputs, usDetail))
        return false;
    m_usOutputs = usOutputs;
    m_usDetail = usDetail;
    return true;
}

// Exit filters keep only failed exits of one result type; once any is set,
// exits of the other result types are dropped altogether.
bool CQBNLogging::passesExitFilters(const CQBNLogRecord& record) const
{
    if (record.resultType == rtErrorCode && (m_usDetail & kExitFilterErrorCode))
        return record.result != 0;
    if (record.resultType == rtBoolean && (m_usDetail & kExitFilterBoolean))
        return record.result == 0;
    if (record.resultType == rtLogical && (m_usDetail & kExitFilterLogical))
        return record.result == 0;
    return (m_usDetail & kAnyExitFilter) == 0;
}

#include "qbn_log_config.h"

#include <windows.h>

#include <cwchar>

#include "qbn_unique_handle.h"

unsigned long DynamicLoggingState = dlUndecided;
unsigned long MaxLogFileNum = 1;
unsigned long MaxLogFileSize = 10240;

namespace {

const wchar_t kLogsKeyPath[] = L"SOFTWARE\\Ostrel\\Logs";
const REGSAM kReadAccess = 0x20019;

// Read sizes in bytes, as the configuration has always used them.
const DWORD kOutputTargetBytes = 256;
const DWORD kObjectListBytes = 1024;
const DWORD kProgramValueBytes = 260;

// The logging key, opened for one read and closed straight after, so that
// configuration changes take effect with the next entry.
class LogsKey {
public:
    LogsKey()
    {
        m_key.received(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLogsKeyPath, 0,
                                     kReadAccess,
                                     m_key.receive()) == ERROR_SUCCESS);
    }

    bool readDword(const wchar_t* szName, DWORD& dwValue) const
    {
        if (!m_key.isValid())
            return false;
        DWORD dwData = 0;
        DWORD cbData = sizeof(dwData);
        if (RegQueryValueExW(m_key.get(), szName, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&dwData),
                             &cbData) != ERROR_SUCCESS ||
            cbData != sizeof(dwData))
            return false;
        dwValue = dwData;
        return true;
    }

    // A text that fills the buffer without its terminator counts as missing:
    // it was cut short, and an unterminated text must never leave here.
    bool readText(const wchar_t* szName, wchar_t* szBuffer,
                  DWORD cbBuffer) const
    {
        if (!m_key.isValid() || szBuffer == nullptr ||
            cbBuffer < sizeof(wchar_t))
            return false;
        const DWORD cchBuffer = cbBuffer / sizeof(wchar_t);
        wmemset(szBuffer, L'\0', cchBuffer);
        DWORD cbData = cchBuffer * sizeof(wchar_t);
        if (RegQueryValueExW(m_key.get(), szName, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(szBuffer),
                             &cbData) != ERROR_SUCCESS)
            return false;
        return wmemchr(szBuffer, L'\0', cchBuffer) != nullptr;
    }

    bool hasValue(const wchar_t* szName) const
    {
        return m_key.isValid() &&
               RegQueryValueExW(m_key.get(), szName, nullptr, nullptr, nullptr,
                                nullptr) == ERROR_SUCCESS;
    }

private:
    CQBNUniqueRegKey m_key;
};

// The number made of the leading decimal digits; none gives 0.
unsigned short leadingNumber(const wchar_t* szText)
{
    unsigned long ulValue = 0;
    for (; *szText >= L'0' && *szText <= L'9'; ++szText)
        ulValue = ulValue * 10 + static_cast<unsigned long>(*szText - L'0');
    return static_cast<unsigned short>(ulValue);
}

const wchar_t* outputTargetName(unsigned short usOutputBit)
{
    switch (usOutputBit) {
    case 0x01:
        return L"TextOutput";
    case 0x02:
        return L"XMLOutput";
    case 0x04:
        return L"ServerOutput";
    case 0x08:
        return L"HTMLOutput";
    case 0x20:
        return L"UnknownOutput";
    default:
        return nullptr;
    }
}

// Plain, case-sensitive substring matching, both ways round: a list that
// names classes in free text ("CQBNIni, CQBNRegistryKey") matches each class
// it names, and a list holding one name part ("CQBNRegistry") matches every
// class whose name contains it.
bool findInObjectList(const wchar_t* szListName, const wchar_t* szClassName,
                      bool& bFound)
{
    wchar_t szList[kObjectListBytes / sizeof(wchar_t)];
    if (!LogsKey().readText(szListName, szList, kObjectListBytes))
        return false;
    bFound = szClassName != nullptr && szClassName[0] != L'\0' &&
             (wcsstr(szList, szClassName) != nullptr ||
              (szList[0] != L'\0' && wcsstr(szClassName, szList) != nullptr));
    return true;
}

// Read with the configuration's own reader rather than the registry value
// classes: those log their failures, and deciding about logging must not.
bool readOptionalDword(const wchar_t* szName, unsigned long& ulSetting)
{
    DWORD dwValue = 0;
    if (!LogsKey().readDword(szName, dwValue))
        return false;
    ulSetting = dwValue;
    return true;
}

} // namespace

bool decideDynamicLogging()
{
    DynamicLoggingState = dlOff;
    try {
        unsigned long ulDynamic = 0;
        if (!readOptionalDword(L"DynamicLogging", ulDynamic))
            return false;
        if (ulDynamic == 1)
            DynamicLoggingState = dlOn;
        readOptionalDword(L"MaxLogFileNum", MaxLogFileNum);
        readOptionalDword(L"MaxLogFileSize", MaxLogFileSize);
        return true;
    } catch (...) {
        return false;
    }
}

bool CQBNLogConfig::isLoggingOn() const
{
    DWORD dwLogging = 0;
    return LogsKey().readDword(L"Logging", dwLogging) && dwLogging != 0;
}

unsigned short CQBNLogConfig::getLogDetail() const
{
    DWORD dwDetail = 0;
    if (!LogsKey().readDword(L"LogDetail", dwDetail))
        return kDefaultDetail;
    return static_cast<unsigned short>(dwDetail & 0xFFFF);
}

bool CQBNLogConfig::hasProgramValue(const wchar_t* szProgram) const
{
    return szProgram != nullptr && szProgram[0] != L'\0' &&
           LogsKey().hasValue(szProgram);
}

// "outputs,detail,path": both numbers read by their leading digits.
bool CQBNLogConfig::readProgramOverride(const wchar_t* szProgram,
                                        unsigned short& usOutputs,
                                        unsigned short& usDetail) const
{
    wchar_t szValue[kProgramValueBytes / sizeof(wchar_t)];
    if (szProgram == nullptr ||
        !LogsKey().readText(szProgram, szValue, kProgramValueBytes))
        return false;
    usOutputs = leadingNumber(szValue);
    const wchar_t* szAfterComma = wcschr(szValue, L',');
    usDetail = szAfterComma != nullptr ? leadingNumber(szAfterComma + 1) : 0;
    return true;
}

unsigned short CQBNLogConfig::getProgramOutputs(const wchar_t* szProgram) const
{
    unsigned short usOutputs = 0;
    unsigned short usDetail = 0;
    readProgramOverride(szProgram, usOutputs, usDetail);
    return usOutputs;
}

unsigned short CQBNLogConfig::getProgramDetail(const wchar_t* szProgram) const
{
    unsigned short usOutputs = 0;
    unsigned short usDetail = 0;
    readProgramOverride(szProgram, usOutputs, usDetail);
    return usDetail;
}

bool CQBNLogConfig::getProgramPath(const wchar_t* szProgram, wchar_t* szBuffer,
                                   unsigned long ulMaxChars) const
{
    wchar_t szValue[kProgramValueBytes / sizeof(wchar_t)];
    if (szProgram == nullptr || szBuffer == nullptr || ulMaxChars == 0 ||
        !LogsKey().readText(szProgram, szValue, kProgramValueBytes))
        return false;
    const wchar_t* szLastComma = wcsrchr(szValue, L',');
    const wchar_t* szPath = szLastComma != nullptr ? szLastComma + 1 : szValue;
    if (wcslen(szPath) >= ulMaxChars)
        return false;
    wcscpy(szBuffer, szPath);
    return true;
}

bool CQBNLogConfig::getOutputTarget(unsigned short usOutputBit,
                                    wchar_t* szBuffer,
                                    unsigned long ulBufferBytes) const
{
    if (usOutputBit == 0x10)
        return true;
    const wchar_t* szName = outputTargetName(usOutputBit);
    if (szName == nullptr)
        return false;
    const DWORD cbRead = ulBufferBytes < kOutputTargetBytes
                             ? static_cast<DWORD>(ulBufferBytes)
                             : kOutputTargetBytes;
    return LogsKey().readText(szName, szBuffer, cbRead);
}

bool CQBNLogConfig::findInAllowObjects(const wchar_t* szClassName,
                                       bool& bFound) const
{
    return findInObjectList(L"AllowObjects", szClassName, bFound);
}

bool CQBNLogConfig::findInExcludeObjects(const wchar_t* szClassName,
                                         bool& bFound) const
{
    return findInObjectList(L"ExcludeObjects", szClassName, bFound);
}

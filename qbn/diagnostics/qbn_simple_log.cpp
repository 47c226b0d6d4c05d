#include "qbn_simple_log.h"

#include <windows.h>

#include <cwchar>
#include <new>
#include <vector>

CQBNSimpleLog::CQBNSimpleLog(unsigned long ulLevel, const wchar_t* szMessage,
                             unsigned long ulResult, unsigned long ulResultType,
                             bool bLogNow, bool bLogOnDestroy,
                             unsigned short usOutputs)
    : CQBNLogging(usOutputs, bLogOnDestroy)
{
    m_record.level = ulLevel;
    m_record.result = ulResult;
    m_record.resultType = ulResultType;
    CQBNLogRecord::setText(m_record.message, szMessage);
    if (bLogNow)
        CQBNSimpleLog::log();
}

CQBNSimpleLog::~CQBNSimpleLog()
{
    if (m_bLogOnDestroy)
        CQBNSimpleLog::log();
}

bool CQBNSimpleLog::log()
{
    CQBNLastErrorKeeper keepLastError;
    try {
        if (!passesLevelFilter(m_record))
            return false;
        return markLogged(m_writer.writeSimple(m_usOutputs, m_record));
    } catch (...) {
        return false;
    }
}

namespace {

const wchar_t kNotificationPrefix[] = L"Message Box displayed: ";

// The box text may be of any length, so the message is built on the heap.
std::vector<wchar_t> notificationText(const wchar_t* szBoxText)
{
    const wchar_t* text = szBoxText != nullptr ? szBoxText : L"";
    const size_t prefixLength = wcslen(kNotificationPrefix);
    const size_t textLength = wcslen(text);
    std::vector<wchar_t> message(prefixLength + textLength + 1, L'\0');
    wmemcpy(message.data(), kNotificationPrefix, prefixLength);
    wmemcpy(message.data() + prefixLength, text, textLength);
    return message;
}

} // namespace

CLogNotification::CLogNotification(const wchar_t* szBoxText,
                                   unsigned short usOutputs, bool bLogOnDestroy)
    : CQBNSimpleLog(llNotification, nullptr, 0, rtErrorCode, false,
                    bLogOnDestroy, usOutputs)
{
    try {
        CQBNLogRecord::setText(m_record.message,
                               notificationText(szBoxText).data());
    } catch (const std::bad_alloc&) {
        // Without its text the notice is still written, just shorter.
    }
    CQBNSimpleLog::log();
}

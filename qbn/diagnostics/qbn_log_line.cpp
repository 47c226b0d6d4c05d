#include "qbn_log_line.h"

#include <windows.h>

#include <cwchar>

namespace {

const unsigned long kNoResult = static_cast<unsigned long>(-1);

bool hasText(const wchar_t* szText)
{
    return szText != nullptr && szText[0] != L'\0';
}

std::wstring hex8(unsigned long ulValue)
{
    wchar_t szHex[16] = {};
    wsprintfW(szHex, L"0x%08x", ulValue);
    return szHex;
}

// "<Sun Dec  6 22:40:57 2026>: <LEVEL> <module> "
std::wstring headPart(const CQBNLogRecord& record)
{
    std::wstring part = L"<" + qbnLogTimestamp() + L">: ";
    part += L"<" + std::wstring(qbnLevelName(record.level)) + L"> ";
    part += L"<" +
            std::wstring(hasText(record.moduleName) ? record.moduleName : L"") +
            L"> ";
    return part;
}

std::wstring messagePart(const CQBNLogRecord& record)
{
    if (!hasText(record.message))
        return std::wstring();
    return L"\"" + std::wstring(record.message) + L"\" ";
}

// The result as its type reads it. The simple line writes the boolean and
// comparison outcomes without a trailing space and names a failed
// comparison differently.
std::wstring resultPart(const CQBNLogRecord& record, bool bSimple)
{
    const std::wstring tail = bSimple ? L">" : L"> ";
    const bool bExit = record.level == llExit;
    switch (record.resultType) {
    case rtErrorCode:
        if (record.result != 0 && record.result != kNoResult)
            return L"<Error: " + hex8(record.result) + L"> ";
        return std::wstring();
    case rtBoolean:
        if (!bExit)
            return std::wstring();
        return (record.result != 0 ? L"<Passed" : L"<Failed") + tail;
    case rtLogical:
        if (!bExit)
            return std::wstring();
        if (record.result != 0)
            return L"<Passed" + tail;
        return bSimple ? L"<Failed Comparison>" : L"<Failed Logical Result> ";
    case rtReturnCode:
        return L"<Return Code: " + hex8(record.result) + L"> ";
    default:
        return std::wstring();
    }
}

std::wstring originPart(const CQBNLogRecord& record)
{
    std::wstring part;
    const bool bClass = hasText(record.className);
    const bool bMethod = hasText(record.methodName);
    if (bClass)
        part += L"<" + std::wstring(record.className) + (bMethod ? L"" : L"> ");
    if (bMethod)
        part += (bClass ? L"" : L"<") + std::wstring(L"::") +
                record.methodName + L"> ";
    return part;
}

std::wstring sourcePart(const CQBNLogRecord& record)
{
    std::wstring part;
    const bool bSource = hasText(record.sourceFile);
    if (bSource) {
        const wchar_t* szName = wcsrchr(record.sourceFile, L'\\');
        szName = szName != nullptr ? szName + 1 : record.sourceFile;
        part += L"<" + std::wstring(szName) + (record.line != 0 ? L", " : L">");
    }
    if (record.line != 0)
        part += (bSource ? L"" : L"<") + std::to_wstring(record.line) + L"> ";
    return part;
}

} // namespace

std::wstring qbnLogTimestamp()
{
    static const wchar_t* const kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed",
                                           L"Thu", L"Fri", L"Sat"};
    static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr",
                                             L"May", L"Jun", L"Jul", L"Aug",
                                             L"Sep", L"Oct", L"Nov", L"Dec"};
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t szStamp[40] = {};
    wsprintfW(szStamp, L"%s %s %2d %02d:%02d:%02d %d",
              kDays[now.wDayOfWeek % 7], kMonths[(now.wMonth + 11) % 12],
              now.wDay, now.wHour, now.wMinute, now.wSecond, now.wYear);
    return szStamp;
}

std::wstring qbnDetailedLogLine(const CQBNLogRecord& record)
{
    return headPart(record) + originPart(record) + messagePart(record) +
           resultPart(record, false) + sourcePart(record) + L"\r\n";
}

std::wstring qbnSimpleLogLine(const CQBNLogRecord& record)
{
    return headPart(record) + messagePart(record) + resultPart(record, true) +
           L"\r\n";
}

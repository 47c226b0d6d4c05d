#include "patch_run_report.h"

#include <windows.h>

#include "patch8104_ids.h"
#include "patch_file_version.h"
#include "patch_outcome.h"
#include "patch_registry_values.h"
#include "patch_strings.h"
#include "qbn_unique_handle.h"

namespace {

const wchar_t kResultsKey[] =
    L"SOFTWARE\\Ostrel\\Vaultrion\\PatchResults\\8104";
const wchar_t kEventSource[] = L"Vaultrion Patch 8104";
const wchar_t kEventSourceKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\"
    L"Vaultrion Patch 8104";

struct EventEnding {
    int messageId;
    const wchar_t* szOutcome;
    WORD wEventType;
};

// Every message a run can end with, what it means, and how it is logged.
const EventEnding kEndings[] = {
    {IDS_PATCH_COMPLETED, L"installed", EVENTLOG_INFORMATION_TYPE},
    {IDS_PATCH_REMOVED, L"removed", EVENTLOG_INFORMATION_TYPE},
    {IDS_ALREADY_INSTALLED, L"already installed", EVENTLOG_INFORMATION_TYPE},
    {IDS_PATCH_NOT_INSTALLED, L"not installed", EVENTLOG_INFORMATION_TYPE},
    {IDS_PRODUCT_NOT_INSTALLED, L"not applicable", EVENTLOG_WARNING_TYPE},
    {IDS_WRONG_OPERATING_SYSTEM, L"not applicable", EVENTLOG_WARNING_TYPE},
    {IDS_WRONG_PRODUCT_VERSION, L"not applicable", EVENTLOG_WARNING_TYPE}};
const EventEnding kFailed = {IDS_INSTALL_FAILED, L"failed",
                             EVENTLOG_ERROR_TYPE};

// A run that ended with no message at all (an exception) failed too.
const EventEnding& endingOfRun()
{
    for (const EventEnding& ending : kEndings) {
        if (ending.messageId == PatchOutcome.messageId)
            return ending;
    }
    return kFailed;
}

CQBNWCharString localTimeText()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t szTime[32] = {};
    wsprintfW(szTime, L"%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth,
              now.wDay, now.wHour, now.wMinute, now.wSecond);
    return CQBNWCharString(szTime);
}

const wchar_t* actionText(PatchAction action)
{
    if (action == paRemoval)
        return L"removal";
    return action == paCheck ? L"check" : L"install";
}

// The outcome as the result values name it: "installed", "removed",
// "already installed", "not installed", "not applicable", "failed", or for
// a pre-flight "would change".
const wchar_t* outcomeText()
{
    if (PatchOutcome.bCheckOnly && PatchOutcome.bWouldChange)
        return L"would change";
    return endingOfRun().szOutcome;
}

// Whether Windows must restart for the run's work to take effect.
bool isRestartPending()
{
    return !PatchOutcome.bCheckOnly &&
           (PatchOutcome.messageId == IDS_PATCH_COMPLETED ||
            PatchOutcome.messageId == IDS_PATCH_REMOVED);
}

bool writeValues(HKEY hKey, PatchAction action)
{
    return setRegistryText(hKey, L"LastRun", localTimeText()) &&
           setRegistryText(hKey, L"Action",
                           CQBNWCharString(actionText(action))) &&
           setRegistryNumber(hKey, L"MessageId",
                             static_cast<DWORD>(PatchOutcome.messageId)) &&
           setRegistryText(hKey, L"Outcome", CQBNWCharString(outcomeText())) &&
           setRegistryNumber(hKey, L"RestartPending",
                             isRestartPending() ? 1 : 0) &&
           setRegistryText(hKey, L"FailedPath", PatchOutcome.failedPath) &&
           setRegistryText(hKey, L"PatchVersion", programVersionText());
}

// The whole text as the patch log has it, so that the event is still
// readable where the message table cannot be found (the patch removed).
CQBNWCharString eventText()
{
    CQBNWCharString text = loadPatchString(PatchOutcome.messageId);
    if (PatchOutcome.failedPath.getLength() != 0)
        text = text + CQBNWCharString(L"\r\n") + PatchOutcome.failedPath;
    return text;
}

} // namespace

void writeResultValues(PatchAction action)
{
    CQBNUniqueRegKey key;
    if (createMachineKey(kResultsKey, key))
        writeValues(key.get(), action);
}

void reportRunEvent()
{
    const CQBNUniqueEventSource source(
        RegisterEventSourceW(nullptr, kEventSource));
    if (!source.isValid())
        return;
    const CQBNWCharString text = eventText();
    const wchar_t* strings[] = {text.getText(),
                                PatchOutcome.failedPath.getLength() != 0
                                    ? PatchOutcome.failedPath.getText()
                                    : L""};
    ReportEventW(source.get(), endingOfRun().wEventType, 0,
                 static_cast<DWORD>(PatchOutcome.messageId), nullptr, 2, 0,
                 strings, nullptr);
}

bool registerEventSource(const CQBNWCharString& messageFile)
{
    CQBNUniqueRegKey key;
    if (!createMachineKey(kEventSourceKey, key))
        return false;
    const DWORD dwTypes =
        EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    return setRegistryText(key.get(), L"EventMessageFile", messageFile,
                           REG_EXPAND_SZ) &&
           setRegistryNumber(key.get(), L"TypesSupported", dwTypes);
}

bool unregisterEventSource()
{
    return deleteMachineKey(kEventSourceKey);
}

#include "patch_messages.h"

#include <windows.h>

#include "patch8104_ids.h"
#include "patch_log.h"
#include "patch_outcome.h"
#include "patch_run_state.h"
#include "patch_strings.h"
#include "qbn_catch.h"

#define PATCH_MESSAGES_SOURCE L".\\patch_messages.cpp"

namespace {

int messageIdOf(int code)
{
    switch (code) {
    case WrongOperatingSystem:
        return IDS_WRONG_OPERATING_SYSTEM;
    case WrongProductVersion:
        return IDS_WRONG_PRODUCT_VERSION;
    case AlreadyInstalled:
        return IDS_ALREADY_INSTALLED;
    case ProductNotInstalled:
        return IDS_PRODUCT_NOT_INSTALLED;
    case Completed:
        return IDS_PATCH_COMPLETED;
    case InstallFailed:
        return IDS_INSTALL_FAILED;
    default:
        return 0;
    }
}

// What the log keeps of one message: the text and the answer it got.
CQBNWCharString messageLogEntry(const CQBNWCharString& text, int answer)
{
    return text + CQBNWCharString(L" User select: ") + CQBNWCharString(answer) +
           CQBNWCharString(L"\r\n");
}

} // namespace

int showResultMessage(int code, int style, int defaultAnswer)
{
    return showMessage(messageIdOf(code), style, defaultAnswer);
}

int showMessage(int messageId, int style, int defaultAnswer)
{
    PatchOutcome.messageId = messageId;
    if (PatchOutcome.bCheckOnly)
        return defaultAnswer;
    return qbnGuard(
        defaultAnswer, esLastError, PATCH_MESSAGES_SOURCE, __LINE__, [&]() {
            return showPatchMessageBox(loadPatchString(IDS_PRODUCT_CAPTION),
                                       loadPatchString(messageId), style,
                                       defaultAnswer);
        });
}

int showPatchMessageBox(const CQBNWCharString& caption,
                        const CQBNWCharString& text, int style,
                        int defaultAnswer)
{
    int answer = defaultAnswer;
    qbnGuardAction(esLastError, PATCH_MESSAGES_SOURCE, __LINE__, [&]() {
        const CQBNWCharString boxCaption =
            caption.getLength() != 0 ? caption
                                     : loadPatchString(IDS_PRODUCT_CAPTION);
        if (PatchRunState.silent == 0)
            answer = MessageBoxW(nullptr, text.getText(), boxCaption.getText(),
                                 static_cast<UINT>(style));
        appendPatchLog(messageLogEntry(text, answer));
    });
    return answer;
}

void reportFailedUpdate(const CQBNWCharString& target)
{
    reportRefusedFile(IDS_INSTALL_FAILED, target);
}

void reportRefusedFile(int messageId, const CQBNWCharString& target)
{
    showMessage(messageId, MB_OK, IDOK);
    PatchOutcome.failedPath = target;
    if (!PatchOutcome.bCheckOnly)
        appendPatchLogLine(IDS_UPDATE_FILE_FAILED, target);
}

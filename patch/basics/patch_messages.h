// The patch's only way of talking to the user: one message box at a time,
// caption and text from the program's own string table. Every message,
// shown or (in a silent run) not, goes to the patch log with its answer.
#ifndef PATCH_MESSAGES_H
#define PATCH_MESSAGES_H

#include "patch_strings.h"
#include "qbn_wchar_string.h"

// How a check that stops the run is reported to showResultMessage.
enum PatchResult : int {
    WrongOperatingSystem = 1,
    WrongProductVersion = 2,
    AlreadyInstalled = 3,
    ProductNotInstalled = 4,
    Completed = 5,
    InstallFailed = 6
};

// The message of a PatchResult (an empty text for an unknown code).
int showResultMessage(int code, int style, int defaultAnswer);
// Caption 1140 and the text `messageId`; answers the button pressed, or
// `defaultAnswer` when the run is silent.
int showMessage(int messageId, int style, int defaultAnswer);
int showPatchMessageBox(const CQBNWCharString& caption,
                        const CQBNWCharString& text, int style,
                        int defaultAnswer);

// A library of the set that cannot be put in place: message 1200, then
// the patch log line that names its target.
void reportFailedUpdate(const CQBNWCharString& target);
// The same line after message `messageId` (1130 for a library the product
// has updated since).
void reportRefusedFile(int messageId, const CQBNWCharString& target);

#endif

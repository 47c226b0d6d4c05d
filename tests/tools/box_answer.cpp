// Answers one message box as a person at the screen would: waits for the
// top-level dialog with the given caption, presses one of its buttons and
// prints the text the box showed (UTF-8) to standard output.
//
//   box_answer.exe <caption> <button-id> [timeout-ms]
//
// Button ids are the dialog results: IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7.
// Exit code 0 once the button has been pressed, 1 when no such box appeared
// within the timeout (default 10000 ms), 2 on a bad command line.

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "support/box_window.h"

namespace {

using qbntest::boxText;

const DWORD kDefaultTimeoutMs = 10000;

bool parseNumber(const wchar_t* szText, unsigned long& ulValue)
{
    if (szText == nullptr || !iswdigit(szText[0]))
        return false;
    wchar_t* pEnd = nullptr;
    ulValue = std::wcstoul(szText, &pEnd, 10);
    return *pEnd == L'\0';
}

// The box counts as there once it is visible: by then the dialog has set
// its text, which a box that was only just created may not have yet.
HWND waitForBox(const wchar_t* szCaption, DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    for (;;) {
        HWND hBox = FindWindowW(L"#32770", szCaption);
        if (hBox != nullptr && IsWindowVisible(hBox))
            return hBox;
        if (GetTickCount() - dwStart >= dwTimeoutMs)
            return nullptr;
        Sleep(qbntest::kBoxPollMs);
    }
}

void writeUtf8(const std::wstring& text)
{
    if (text.empty())
        return;
    const int cbNeeded = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                             static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    if (cbNeeded <= 0)
        return;
    std::vector<char> bytes(cbNeeded);
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        bytes.data(), cbNeeded, nullptr, nullptr);
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(),
              static_cast<DWORD>(bytes.size()), &cbWritten, nullptr);
}

int answer(const wchar_t* szCaption, WORD wButton, DWORD dwTimeoutMs)
{
    HWND hBox = waitForBox(szCaption, dwTimeoutMs);
    if (hBox == nullptr)
        return 1;
    const std::wstring text = boxText(hBox);
    // Pressed before anything is written: a reader that waits for the box
    // to close before it reads must not leave this program stuck in a full
    // pipe with the box still open.
    qbntest::pressBoxButton(hBox, wButton);
    writeUtf8(text);
    return 0;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr)
        return 2;
    unsigned long ulButton = 0;
    unsigned long ulTimeout = kDefaultTimeoutMs;
    const bool bUsable = (argc == 3 || argc == 4) &&
                         parseNumber(argv[2], ulButton) && ulButton <= 0xFFFF &&
                         (argc == 3 || parseNumber(argv[3], ulTimeout));
    const int iExit = bUsable ? answer(argv[1], static_cast<WORD>(ulButton),
                                       static_cast<DWORD>(ulTimeout))
                              : 2;
    LocalFree(argv);
    return iExit;
}

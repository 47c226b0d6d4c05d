// A message box on the screen as the test helpers see it: its caption, its
// text, and pressing one of its buttons as a person would. Shared by
// box_answer.exe (the unit tests' answerer) and the machine tool's.
#ifndef QBN_TEST_BOX_WINDOW_H
#define QBN_TEST_BOX_WINDOW_H

#include <windows.h>

#include <string>
#include <vector>

namespace qbntest {

// How often the answerers look for a box.
const DWORD kBoxPollMs = 20;

// Large enough for any text a box can be given from a 1024-character
// resource buffer, with room to spare for direct texts.
const int kBoxTextChars = 32768;

inline std::wstring boxCaption(HWND hBox)
{
    std::vector<wchar_t> text(kBoxTextChars, L'\0');
    GetWindowTextW(hBox, text.data(), kBoxTextChars);
    text.back() = L'\0';
    return text.data();
}

// The dialog item 0xFFFF holds a message box's text.
inline std::wstring boxText(HWND hBox)
{
    std::vector<wchar_t> text(kBoxTextChars, L'\0');
    GetDlgItemTextW(hBox, 0xFFFF, text.data(), kBoxTextChars);
    text.back() = L'\0';
    return text.data();
}

inline bool boxHasButton(HWND hBox, int iButton)
{
    return GetDlgItem(hBox, iButton) != nullptr;
}

// The click of a button (IDOK 1, IDYES 6, IDNO 7): the box closes with it
// as its result.
inline void pressBoxButton(HWND hBox, int iButton)
{
    PostMessageW(hBox, WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(iButton), BN_CLICKED), 0);
}

} // namespace qbntest

#endif

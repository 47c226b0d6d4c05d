#include "machine_box_answerer.h"

#include "machine_text.h"
#include "support/box_window.h"

namespace machine {

namespace {

using qbntest::boxCaption;
using qbntest::boxHasButton;
using qbntest::boxText;
using qbntest::kBoxPollMs;

const DWORD kCloseTimeoutMs = 5000;

struct BoxSearch {
    DWORD dwOwnProcess;
    HWND hFound;
};

BOOL CALLBACK findVisibleDialog(HWND hWindow, LPARAM lParam)
{
    BoxSearch& search = *reinterpret_cast<BoxSearch*>(lParam);
    wchar_t szClass[16] = {};
    GetClassNameW(hWindow, szClass, 16);
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hWindow, &dwProcess);
    // Visible means the dialog has set its text by now.
    if (lstrcmpW(szClass, L"#32770") != 0 || !IsWindowVisible(hWindow) ||
        dwProcess == search.dwOwnProcess)
        return TRUE;
    search.hFound = hWindow;
    return FALSE;
}

void waitUntilClosed(HWND hBox)
{
    const DWORD dwStart = GetTickCount();
    while (IsWindow(hBox) && IsWindowVisible(hBox) &&
           GetTickCount() - dwStart < kCloseTimeoutMs)
        Sleep(kBoxPollMs);
}

} // namespace

CMachineBoxAnswerer::CMachineBoxAnswerer(const std::vector<int>& answers,
                                         const std::wstring& record,
                                         const std::wstring& stopFile,
                                         DWORD dwDelayMs)
    : m_answers(answers), m_nextAnswer(0), m_record(record),
      m_stopFile(stopFile), m_dwDelayMs(dwDelayMs)
{
}

bool CMachineBoxAnswerer::run()
{
    while (!fileExists(m_stopFile)) {
        const HWND hBox = findBox();
        if (hBox == nullptr)
            Sleep(kBoxPollMs);
        else if (!answer(hBox))
            return false;
    }
    return true;
}

HWND CMachineBoxAnswerer::findBox() const
{
    BoxSearch search = {GetCurrentProcessId(), nullptr};
    EnumWindows(findVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

bool CMachineBoxAnswerer::answer(HWND hBox)
{
    const std::wstring caption = boxCaption(hBox);
    const std::wstring text = boxText(hBox);
    std::wstring note;
    const int iButton = chooseButton(hBox, note);
    if (m_dwDelayMs != 0)
        Sleep(m_dwDelayMs);
    // Recorded before the press: the patch may end as soon as its last box
    // closes, and the caller reads the record once it has.
    const bool bRecorded = appendLine(
        m_record, L"box: " + escaped(caption) + L" | " + escaped(text) +
                      L" | " + std::to_wstring(iButton) + note);
    qbntest::pressBoxButton(hBox, iButton);
    waitUntilClosed(hBox);
    return bRecorded;
}

int CMachineBoxAnswerer::chooseButton(HWND hBox, std::wstring& note)
{
    const int iFallback = boxHasButton(hBox, IDNO) ? IDNO : IDOK;
    if (m_nextAnswer >= m_answers.size()) {
        note = L" (unplanned)";
        return iFallback;
    }
    const int iPlanned = m_answers[m_nextAnswer++];
    if (boxHasButton(hBox, iPlanned))
        return iPlanned;
    note = L" (planned " + std::to_wstring(iPlanned) + L", not on the box)";
    return iFallback;
}

} // namespace machine

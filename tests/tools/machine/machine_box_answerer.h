// Answers the message boxes of a patch run as the person at the screen:
// each box that appears is read (caption and text), recorded, and answered
// with the next planned button. Runs beside the patch until told to stop.
// A box beyond the plan, or one that lacks the planned button, is still
// closed (No where there is one, else OK) so that a run never hangs, and the
// record says so.
#ifndef QBN_MACHINE_BOX_ANSWERER_H
#define QBN_MACHINE_BOX_ANSWERER_H

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

class CMachineBoxAnswerer {
public:
    // `record` gets one line per box: "box: caption | text | button", the
    // button followed by a note when it was not the planned one. The run
    // ends once `stopFile` exists.
    CMachineBoxAnswerer(const std::vector<int>& answers,
                        const std::wstring& record,
                        const std::wstring& stopFile, DWORD dwDelayMs);

    // False when the record cannot be written.
    bool run();

private:
    HWND findBox() const;
    bool answer(HWND hBox);
    int chooseButton(HWND hBox, std::wstring& note);

    std::vector<int> m_answers;
    size_t m_nextAnswer;
    std::wstring m_record;
    std::wstring m_stopFile;
    DWORD m_dwDelayMs;
};

} // namespace machine

#endif

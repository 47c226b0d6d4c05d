// One Windows message box: its caption, text, style and owner are kept so
// that the box can be shown (again) later, and the button that closed it is
// remembered. Every showing is noted in the log with the box's text.
#ifndef QBN_MESSAGE_BOX_H
#define QBN_MESSAGE_BOX_H

#include <windows.h>

#include "qbn_flags.h"
#include "qbn_wchar_string.h"

class CQBNMessageBox {
public:
    // Throws CQBNMessageBoxInitException when the texts cannot be copied;
    // nothing else ever leaves this class.
    CQBNMessageBox(HWND hOwner, const CQBNWCharString& title,
                   const CQBNWCharString& message, const CQBNFlags& style);
    virtual ~CQBNMessageBox();

    // Shows the box and waits for it to close; false when Windows could not
    // show it (getResult() is then 0, or -1 under Wine), with Windows' reason
    // left in GetLastError.
    virtual bool showMessageBox();

    // Loading from the program's string table; a string that cannot be
    // loaded leaves the caption or text as it was.
    virtual bool setTitle(unsigned int uStringId);
    virtual bool setMsg(unsigned int uStringId);

    bool setTitle(const CQBNWCharString& title);
    bool setMsg(const CQBNWCharString& message);

    // The button that closed the box last (IDOK, IDYES, ...); IDCANCEL (2)
    // until the box has been shown.
    int getResult() const { return m_result; }
    const CQBNWCharString& getTitle() const { return m_title; }
    const CQBNWCharString& getMsg() const { return m_message; }

private:
    CQBNMessageBox(const CQBNMessageBox&) = delete;
    CQBNMessageBox& operator=(const CQBNMessageBox&) = delete;

    static bool copyText(CQBNWCharString& target,
                         const CQBNWCharString& source);
    static bool loadText(CQBNWCharString& target, unsigned int uStringId);
    void noteShown() const;

    int m_result;
    CQBNWCharString m_message;
    CQBNWCharString m_title;
    CQBNFlags m_style;
    HWND m_owner;
};

#endif

#include "qbn_message_box.h"

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_simple_log.h"
#include "qbn_windows_resource.h"

#define QBN_MESSAGE_BOX_SOURCE L".\\qbn_message_box.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNMessageBox";

} // namespace

// The texts are copied in the body, not the initialiser list, so that a copy
// that fails surfaces as this class's own initialisation failure.
CQBNMessageBox::CQBNMessageBox(HWND hOwner, const CQBNWCharString& title,
                               const CQBNWCharString& message,
                               const CQBNFlags& style)
    : m_result(IDCANCEL), m_style(style), m_owner(hOwner)
{
    CQBNTraceScope trace(kClassName, L"Constructor", QBN_MESSAGE_BOX_SOURCE,
                         __LINE__);
    if (!copyText(m_title, title) || !copyText(m_message, message)) {
        trace.finish(false);
        throw CQBNMessageBoxInitException(GetLastError(),
                                          QBN_MESSAGE_BOX_SOURCE, __LINE__);
    }
    trace.finish(true);
}

CQBNMessageBox::~CQBNMessageBox()
{
    CQBNTraceScope trace(kClassName, L"Destructor", QBN_MESSAGE_BOX_SOURCE,
                         __LINE__);
}

bool CQBNMessageBox::showMessageBox()
{
    CQBNTraceScope trace(kClassName, L"showMessageBox", QBN_MESSAGE_BOX_SOURCE,
                         __LINE__);
    const bool bShown =
        qbnGuard(false, esLastError, QBN_MESSAGE_BOX_SOURCE, __LINE__, [&]() {
            m_result = MessageBoxW(m_owner, m_message.getText(),
                                   m_title.getText(), m_style.getValue());
            // Windows answers 0 for a box it could not show, but Wine
            // answers -1 (its dialog failure value); no button is either.
            return m_result > 0;
        });
    noteShown();
    return trace.finish(bShown);
}

// Written whether or not the box appeared, so the log shows every attempt;
// a caller that finds the box failed still reads Windows' reason afterwards.
void CQBNMessageBox::noteShown() const
{
    CQBNLastErrorKeeper keepLastError;
    qbnGuardAction(esLastError, QBN_MESSAGE_BOX_SOURCE, __LINE__, [&]() {
        CLogNotification notification(m_message.getText(), loText, false);
    });
}

bool CQBNMessageBox::setTitle(unsigned int uStringId)
{
    CQBNTraceScope trace(kClassName, L"setTitle", QBN_MESSAGE_BOX_SOURCE,
                         __LINE__);
    return trace.finish(loadText(m_title, uStringId));
}

bool CQBNMessageBox::setMsg(unsigned int uStringId)
{
    CQBNTraceScope trace(kClassName, L"setMsg", QBN_MESSAGE_BOX_SOURCE,
                         __LINE__);
    return trace.finish(loadText(m_message, uStringId));
}

bool CQBNMessageBox::setTitle(const CQBNWCharString& title)
{
    CQBNTraceScope trace(kClassName, L"setTitle", QBN_MESSAGE_BOX_SOURCE,
                         __LINE__);
    return trace.finish(copyText(m_title, title));
}

bool CQBNMessageBox::setMsg(const CQBNWCharString& message)
{
    CQBNTraceScope trace(kClassName, L"setMsg", QBN_MESSAGE_BOX_SOURCE,
                         __LINE__);
    return trace.finish(copyText(m_message, message));
}

// String assignment reports no failure of its own: a copy that could not be
// made leaves the target with a different size than the source.
bool CQBNMessageBox::copyText(CQBNWCharString& target,
                              const CQBNWCharString& source)
{
    if (&target == &source)
        return true;
    target = source;
    return target.getNumElems() == source.getNumElems();
}

// The resource object lives only for this one string; loadString leaves the
// target untouched when the string cannot be loaded.
bool CQBNMessageBox::loadText(CQBNWCharString& target, unsigned int uStringId)
{
    return qbnGuard(false, esLastError, QBN_MESSAGE_BOX_SOURCE, __LINE__,
                    [&]() {
                        CQBNWindowsResource resource;
                        return resource.loadString(uStringId, target);
                    });
}

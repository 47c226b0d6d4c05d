// Message boxes shown for real on the test display and answered by
// box_answer.exe, and strings loaded from this program's own string table
// (test_message_box.rc).

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qbn_message_box.h"
#include "qbn_windows_resource.h"
#include "support/box_answerer.h"
#include "support/text_of.h"
#include "test_message_box_ids.h"

using qbntest::CBoxAnswerer;
using qbntest::uniqueCaption;

namespace {

using qbntest::textOf;

// Boxes close at once on the window-manager-less test display.
const qbntest::CUnmanagedWindows unmanagedWindows;

// What IDS_TEST_LONG holds: the letters A to Z over and over.
std::wstring alphabetRun(size_t length)
{
    std::wstring run;
    for (size_t i = 0; i < length; ++i)
        run += static_cast<wchar_t>(L'A' + i % 26);
    return run;
}

// ---- strings from the table ----

TEST(WindowsResource, LoadsAnExistingString)
{
    CQBNWindowsResource resource;
    CQBNWCharString text;
    ASSERT_TRUE(resource.loadString(IDS_TEST_TEXT, text));
    EXPECT_EQ(L"Grüße aus der Tabelle – 表の文字列", textOf(text));
}

TEST(WindowsResource, MissingStringLeavesTheTextAsItWas)
{
    CQBNWindowsResource resource;
    CQBNWCharString text(L"before");
    EXPECT_FALSE(resource.loadString(IDS_TEST_MISSING, text));
    EXPECT_EQ(L"before", textOf(text));
}

TEST(WindowsResource, LongStringIsCutTo1023Characters)
{
    CQBNWindowsResource resource;
    CQBNWCharString text;
    ASSERT_TRUE(resource.loadString(IDS_TEST_LONG, text));
    EXPECT_EQ(CQBNWindowsResource::kMaxStringLength, text.getLength());
    EXPECT_EQ(alphabetRun(1023), textOf(text));
}

TEST(MessageBoxTexts, NewBoxReportsCancelUntilShown)
{
    CQBNMessageBox box(nullptr, L"caption", L"text", MB_YESNO);
    EXPECT_EQ(IDCANCEL, box.getResult());
}

// A table entry replaces the caption or text; a missing one leaves the
// previous one in place.
TEST(MessageBoxTexts, TitleAndTextFromTheTable)
{
    CQBNMessageBox box(nullptr, L"old caption", L"old text", MB_OK);
    EXPECT_TRUE(box.setTitle(IDS_TEST_CAPTION));
    EXPECT_FALSE(box.setMsg(IDS_TEST_MISSING));
    EXPECT_EQ(L"Vaultrion test caption", textOf(box.getTitle()));
    EXPECT_EQ(L"old text", textOf(box.getMsg()));

    EXPECT_FALSE(box.setTitle(IDS_TEST_MISSING));
    EXPECT_TRUE(box.setMsg(IDS_TEST_LONG));
    EXPECT_EQ(L"Vaultrion test caption", textOf(box.getTitle()));
    EXPECT_EQ(alphabetRun(1023), textOf(box.getMsg()));
}

// ---- boxes on the screen ----

class MessageBoxShown : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!qbntest::haveDisplay())
            GTEST_SKIP() << qbntest::noDisplayReason();
    }

    // Shows the box while box_answer.exe presses `iButton`; the text the box
    // displayed comes back in `shown`.
    static bool showAnswered(CQBNMessageBox& box, int iButton,
                             std::wstring& shown)
    {
        CBoxAnswerer answerer(textOf(box.getTitle()), iButton);
        if (!answerer.isStarted()) {
            // Nobody would close the box.
            ADD_FAILURE() << "box_answer.exe could not be started";
            return false;
        }
        const bool bShown = box.showMessageBox();
        EXPECT_TRUE(answerer.finish(shown)) << "box not found or not answered";
        return bShown;
    }
};

// The same object shows its box again and remembers the latest answer.
TEST_F(MessageBoxShown, BoxReportsTheButtonPressed)
{
    const struct {
        const wchar_t* szCaption;
        const wchar_t* szText;
        UINT uFlags;
        std::vector<int> buttons;
    } cases[] = {
        {L"Restart question", L"Restart now?", MB_YESNO, {IDYES, IDNO}},
        {L"Notice", L"Patch installed.", MB_OK, {IDOK}},
    };
    for (const auto& c : cases) {
        const std::wstring caption = uniqueCaption(c.szCaption);
        CQBNMessageBox box(nullptr, caption.c_str(), c.szText, c.uFlags);
        for (const int iButton : c.buttons) {
            std::wstring shown;
            EXPECT_TRUE(showAnswered(box, iButton, shown)) << c.szCaption;
            EXPECT_EQ(iButton, box.getResult()) << c.szCaption;
            EXPECT_EQ(c.szText, shown) << c.szCaption;
        }
    }
}

// The caption is set directly (the helper finds the box by it), the text
// comes from the table: both reach the screen exactly.
TEST_F(MessageBoxShown, ShowsTheTextLoadedFromTheTable)
{
    const std::wstring caption = uniqueCaption(L"Table text");
    CQBNMessageBox box(nullptr, L"placeholder", L"placeholder", MB_OK);
    ASSERT_TRUE(box.setTitle(CQBNWCharString(caption.c_str())));
    ASSERT_TRUE(box.setMsg(IDS_TEST_TEXT));
    std::wstring shown;
    EXPECT_TRUE(showAnswered(box, IDOK, shown));
    EXPECT_EQ(L"Grüße aus der Tabelle – 表の文字列", shown);
}

// A box Windows refuses to show: false, and the reason is still readable
// after the notification has been written.
TEST_F(MessageBoxShown, RefusedBoxKeepsWindowsReason)
{
    HWND hNoWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF0));
    ASSERT_FALSE(IsWindow(hNoWindow));
    CQBNMessageBox box(hNoWindow, uniqueCaption(L"No owner").c_str(),
                       L"never seen", MB_OK);
    SetLastError(0);
    const bool bShown = box.showMessageBox();
    const DWORD dwError = GetLastError();
    EXPECT_FALSE(bShown);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), dwError);
    // Windows answers 0 here, Wine -1: neither is a button.
    EXPECT_LE(box.getResult(), 0);
}

} // namespace

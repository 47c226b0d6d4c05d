// The restart class against the real process token, with this program's
// import of ExitWindowsEx redirected to a recorder: nothing is ever really
// shut down, and each call is seen with its flags and with the state of the
// shutdown privilege at that moment.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "qbn_win_reboot.h"
#include "support/box_answerer.h"
#include "support/import_redirect.h"

using qbntest::CBoxAnswerer;
using qbntest::CImportRedirect;
using qbntest::uniqueCaption;

namespace {

// Boxes close at once on the window-manager-less test display.
const qbntest::CUnmanagedWindows unmanagedWindows;

// Whether "SeShutdownPrivilege" is enabled in this process's token now.
bool shutdownPrivilegeEnabled()
{
    LUID luid = {};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid))
        return false;
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return false;
    PRIVILEGE_SET query = {1, PRIVILEGE_SET_ALL_NECESSARY, {{luid, 0}}};
    BOOL bHeld = FALSE;
    const BOOL bAsked = PrivilegeCheck(hToken, &query, &bHeld);
    CloseHandle(hToken);
    return bAsked && bHeld;
}

struct ExitCall {
    UINT uFlags;
    DWORD dwReason;
    bool bPrivilegeOn;
};

std::vector<ExitCall> recordedCalls;
BOOL recorderAnswer = 1;

BOOL WINAPI recordExitWindowsEx(UINT uFlags, DWORD dwReason)
{
    recordedCalls.push_back({uFlags, dwReason, shutdownPrivilegeEnabled()});
    return recorderAnswer;
}

// Wine answers GetProcessHandleCount with 0, so the handles are counted by
// asking after each possible value; this process holds only a few dozen.
int WINAPI refuseMessageBoxW(HWND, LPCWSTR, LPCWSTR, UINT)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

DWORD handleCount()
{
    DWORD dwCount = 0;
    for (UINT_PTR value = 4; value < 0x1000; value += 4) {
        DWORD dwFlags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &dwFlags))
            ++dwCount;
    }
    return dwCount;
}

class WinReboot : public ::testing::Test {
protected:
    void SetUp() override
    {
        recordedCalls.clear();
        recorderAnswer = 1;
        m_redirect.reset(
            new CImportRedirect("user32.dll", "ExitWindowsEx",
                                reinterpret_cast<void*>(&recordExitWindowsEx)));
        // Without it the real call would run, which under Wine ends the
        // other programs of the prefix.
        ASSERT_TRUE(m_redirect->isActive());
    }
    void TearDown() override { m_redirect.reset(); }

    static void expectOneCall(UINT uFlags)
    {
        ASSERT_EQ(1u, recordedCalls.size());
        EXPECT_EQ(uFlags, recordedCalls[0].uFlags);
        EXPECT_EQ(0u, recordedCalls[0].dwReason);
        EXPECT_TRUE(recordedCalls[0].bPrivilegeOn);
    }

    std::unique_ptr<CImportRedirect> m_redirect;
};

// ---- the privilege ----

// Wine's administrator token holds the privilege switched off, as Windows'
// does.
TEST_F(WinReboot, PrivilegeIsSwitchedOnAndOffInTheToken)
{
    ASSERT_FALSE(shutdownPrivilegeEnabled());
    CQBNWinReboot reboot;
    ASSERT_TRUE(reboot.setShutdownPrivilege());
    EXPECT_TRUE(shutdownPrivilegeEnabled());
    EXPECT_TRUE(reboot.clearShutdownPrivilege());
    EXPECT_FALSE(shutdownPrivilegeEnabled());
}

TEST_F(WinReboot, TokenIsClosedOnReopenAndAtDestruction)
{
    const DWORD dwBefore = handleCount();
    ASSERT_NE(0u, dwBefore) << "no handles found";
    {
        CQBNWinReboot reboot;
        ASSERT_TRUE(reboot.setShutdownPrivilege());
        const DWORD dwWithToken = handleCount();
        EXPECT_EQ(dwBefore + 1, dwWithToken) << "token not held";
        ASSERT_TRUE(reboot.setShutdownPrivilege());
        EXPECT_EQ(dwWithToken, handleCount()) << "first token leaked";
        reboot.clearShutdownPrivilege();
    }
    EXPECT_EQ(dwBefore, handleCount());
}

// ---- restart without a question ----

TEST_F(WinReboot, PatchRestartCallsExitWindowsWithRebootFlags)
{
    CQBNWinReboot reboot;
    EXPECT_TRUE(reboot.rebootSystem(false, L"", L"", 0));
    expectOneCall(EWX_REBOOT | EWX_FORCEIFHUNG);
    EXPECT_FALSE(shutdownPrivilegeEnabled()) << "privilege left on";
}

TEST_F(WinReboot, ActionOnePowersOff)
{
    CQBNWinReboot reboot;
    EXPECT_TRUE(
        reboot.doReboot(CQBNWinReboot::kActionPowerOff, false, L"", L"", 0));
    expectOneCall(EWX_POWEROFF | EWX_FORCEIFHUNG);
    reboot.clearShutdownPrivilege();
}

TEST_F(WinReboot, OnlyAnswerOneCountsAsSuccess)
{
    for (BOOL answer : {0, 2}) {
        recordedCalls.clear();
        recorderAnswer = answer;
        CQBNWinReboot reboot;
        EXPECT_FALSE(reboot.rebootSystem(false, L"", L"", 0)) << answer;
        expectOneCall(EWX_REBOOT | EWX_FORCEIFHUNG);
        EXPECT_FALSE(shutdownPrivilegeEnabled())
            << "privilege left on after answer " << answer;
    }
}

// ---- restart after a question ----

// Without its question the restart must not happen, and the caller learns
// that something went wrong, unlike after a No.
TEST_F(WinReboot, QuestionThatCannotBePutIsAFailure)
{
    CImportRedirect noBox("user32.dll", "MessageBoxW",
                          reinterpret_cast<void*>(&refuseMessageBoxW));
    ASSERT_TRUE(noBox.isActive());
    CQBNWinReboot reboot;
    EXPECT_FALSE(reboot.rebootSystem(true, L"Restart Windows", L"Restart now?",
                                     MB_YESNO));
    EXPECT_TRUE(recordedCalls.empty());
    EXPECT_FALSE(shutdownPrivilegeEnabled());
}

class WinRebootAsking : public WinReboot {
protected:
    void SetUp() override
    {
        if (!qbntest::haveDisplay())
            GTEST_SKIP() << qbntest::noDisplayReason();
        WinReboot::SetUp();
    }

    // rebootSystem with a Yes/No question that box_answer.exe answers.
    static bool rebootAnswered(int iButton)
    {
        const std::wstring caption = uniqueCaption(L"Restart Windows");
        CBoxAnswerer answerer(caption, iButton);
        if (!answerer.isStarted()) {
            // Nobody would close the box.
            ADD_FAILURE() << "box_answer.exe could not be started";
            return false;
        }
        CQBNWinReboot reboot;
        const bool bResult = reboot.rebootSystem(true, caption.c_str(),
                                                 L"Restart now?", MB_YESNO);
        std::wstring shown;
        EXPECT_TRUE(answerer.finish(shown)) << "question not found";
        EXPECT_EQ(L"Restart now?", shown);
        return bResult;
    }
};

TEST_F(WinRebootAsking, AnswerNoLeavesWindowsRunning)
{
    EXPECT_TRUE(rebootAnswered(IDNO));
    EXPECT_TRUE(recordedCalls.empty());
    EXPECT_FALSE(shutdownPrivilegeEnabled());
}

TEST_F(WinRebootAsking, AnswerYesRestarts)
{
    EXPECT_TRUE(rebootAnswered(IDYES));
    expectOneCall(EWX_REBOOT | EWX_FORCEIFHUNG);
    EXPECT_FALSE(shutdownPrivilegeEnabled());
}

} // namespace

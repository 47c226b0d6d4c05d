// Privileges of this process's token, switched through CQBNWindowsProcess and
// read back from the token itself.

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "qbn_scoped_handle.h"
#include "qbn_windowsprocess.h"
#include "support/handle_count.h"

namespace {

const HANDLE kOwnToken = nullptr;

HANDLE openToken(DWORD dwAccess)
{
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), dwAccess, &hToken))
        return nullptr;
    return hToken;
}

// The privilege's attributes in this process's token; false when the token
// does not hold it at all.
bool readPrivilege(const wchar_t* szName, DWORD& dwAttributes)
{
    LUID luid = {};
    if (!LookupPrivilegeValueW(nullptr, szName, &luid))
        return false;
    const CQBNScopedHandle token(openToken(TOKEN_QUERY));
    DWORD dwSize = 0;
    GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &dwSize);
    std::vector<BYTE> buffer(dwSize);
    if (dwSize == 0 || !GetTokenInformation(token.get(), TokenPrivileges,
                                            buffer.data(), dwSize, &dwSize))
        return false;
    const TOKEN_PRIVILEGES* pPrivileges =
        reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < pPrivileges->PrivilegeCount; ++i) {
        const LUID& held = pPrivileges->Privileges[i].Luid;
        if (held.LowPart == luid.LowPart && held.HighPart == luid.HighPart) {
            dwAttributes = pPrivileges->Privileges[i].Attributes;
            return true;
        }
    }
    return false;
}

bool isEnabled(const wchar_t* szName)
{
    DWORD dwAttributes = 0;
    return readPrivilege(szName, dwAttributes) &&
           (dwAttributes & SE_PRIVILEGE_ENABLED) != 0;
}

bool isStillOpen(HANDLE hHandle)
{
    DWORD dwFlags = 0;
    HANDLE hDuplicate = nullptr;
    if (!GetHandleInformation(hHandle, &dwFlags) ||
        !DuplicateHandle(GetCurrentProcess(), hHandle, GetCurrentProcess(),
                         &hDuplicate, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    CloseHandle(hDuplicate);
    return true;
}

TEST(WindowsProcess, OwnTokenPrivilegeIsSwitchedOnAndOff)
{
    CQBNWindowsProcess process;
    DWORD dwAttributes = 0;
    ASSERT_TRUE(readPrivilege(L"SeBackupPrivilege", dwAttributes))
        << "the test prefix runs as an administrator";

    EXPECT_TRUE(process.setPrivilege(L"SeBackupPrivilege", true, kOwnToken));
    EXPECT_TRUE(isEnabled(L"SeBackupPrivilege"));
    EXPECT_TRUE(process.setPrivilege(L"SeBackupPrivilege", false, kOwnToken));
    EXPECT_FALSE(isEnabled(L"SeBackupPrivilege"));
}

TEST(WindowsProcess, FailuresAndSuccessesLeaveNoTokenOpen)
{
    CQBNWindowsProcess process;
    auto runAll = [&]() {
        EXPECT_FALSE(
            process.setPrivilege(L"SeBakupPrivilege", true, kOwnToken));
        EXPECT_FALSE(process.setPrivilege(CQBNWCharString(), true, kOwnToken));
        EXPECT_TRUE(
            process.setPrivilege(L"SeRestorePrivilege", true, kOwnToken));
    };
    runAll();
    const unsigned long ulBefore = qbn_test::openHandleCount();
    ASSERT_NE(0u, ulBefore);
    runAll();
    EXPECT_EQ(ulBefore, qbn_test::openHandleCount());
}

TEST(WindowsProcess, CallerTokenIsAdjustedAndStaysOpen)
{
    const CQBNScopedHandle token(
        openToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY));
    ASSERT_TRUE(token.isValid());
    CQBNWindowsProcess process;
    EXPECT_TRUE(
        process.setPrivilege(L"SeShutdownPrivilege", true, token.get()));
    EXPECT_TRUE(isEnabled(L"SeShutdownPrivilege"));
    EXPECT_TRUE(isStillOpen(token.get()));

    EXPECT_FALSE(process.setPrivilege(L"NoSuchPrivilege", false, token.get()));
    EXPECT_TRUE(isStillOpen(token.get()));
    EXPECT_TRUE(
        process.setPrivilege(L"SeShutdownPrivilege", false, token.get()));
    EXPECT_FALSE(isEnabled(L"SeShutdownPrivilege"));
}

TEST(WindowsProcess, CallerTokenWithoutTheRightToAdjustIsRefused)
{
    const CQBNScopedHandle token(openToken(TOKEN_QUERY));
    ASSERT_TRUE(token.isValid());
    CQBNWindowsProcess process;
    EXPECT_FALSE(
        process.setPrivilege(L"SeTimeZonePrivilege", true, token.get()));
    EXPECT_TRUE(isStillOpen(token.get()));
}

// Windows accepts the request and reports ERROR_NOT_ALL_ASSIGNED beside it;
// the caller goes on without the privilege.
TEST(WindowsProcess, PrivilegeTheTokenDoesNotHoldStillAnswersTrue)
{
    DWORD dwAttributes = 0;
    if (readPrivilege(L"SeCreateTokenPrivilege", dwAttributes))
        GTEST_SKIP() << "this token holds SeCreateTokenPrivilege";
    CQBNWindowsProcess process;
    EXPECT_TRUE(
        process.setPrivilege(L"SeCreateTokenPrivilege", true, kOwnToken));
    EXPECT_FALSE(isEnabled(L"SeCreateTokenPrivilege"));
}

} // namespace

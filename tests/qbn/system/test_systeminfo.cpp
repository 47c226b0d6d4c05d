// The storage folder below the common application data folder. The vendor
// folder is left in place afterwards: it is machine-wide, creating it again
// is harmless, and another test may be using it at the same moment.

#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "qbn_systeminfo.h"
#include "support/import_redirect.h"
#include "support/scratch_folder.h"

namespace {

std::wstring commonAppData()
{
    wchar_t szFolder[MAX_PATH + 1] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                     szFolder);
    return szFolder;
}

TEST(SystemInfo, StoragePathIsTheVendorFolderAndExistsAfterwards)
{
    CQBNWCharString path;
    ASSERT_TRUE(CQBNSystemInfo(snOstrel).getStoragePath(path));
    const std::wstring expected = commonAppData() + L"\\Ostrel\\";
    EXPECT_EQ(expected, path.getText());
    EXPECT_TRUE(qbn_test::isDirectory(expected));

    CQBNWCharString again;
    ASSERT_TRUE(CQBNSystemInfo(snOstrel).getStoragePath(again));
    EXPECT_EQ(expected, again.getText());
}

// Removed afterwards only when this test made it, and only if empty.
TEST(SystemInfo, CreatesAMissingStorageFolder)
{
    const std::wstring folder = commonAppData() + L"\\Halvorix";
    const bool bExisted = qbn_test::isDirectory(folder);
    CQBNWCharString path;
    const bool bFound = CQBNSystemInfo(snHalvorix).getStoragePath(path);
    const bool bExists = qbn_test::isDirectory(folder);
    if (!bExisted)
        RemoveDirectoryW(folder.c_str());
    ASSERT_TRUE(bFound);
    EXPECT_EQ(folder + L"\\", path.getText());
    EXPECT_TRUE(bExists);
}

TEST(SystemInfo, AnIndexOutsideTheTableIsAFailure)
{
    CQBNWCharString path(L"before");
    EXPECT_FALSE(CQBNSystemInfo(5).getStoragePath(path));
    EXPECT_FALSE(CQBNSystemInfo(0xFFFFFFFFu).getStoragePath(path));
    EXPECT_STREQ(L"before", path.getText());
}

// Wine always knows the folder, so the shell's failures are played by
// stand-ins.
HRESULT WINAPI answerInvalidArg(HWND, int, HANDLE, DWORD, LPWSTR)
{
    return E_INVALIDARG;
}

HRESULT WINAPI answerEmptyPath(HWND, int, HANDLE, DWORD, LPWSTR szPath)
{
    szPath[0] = L'\0';
    return S_OK;
}

TEST(SystemInfo, ShellFailuresLeaveThePathAlone)
{
    CQBNWCharString path(L"before");
    {
        qbntest::CImportRedirect redirect(
            "shell32.dll", "SHGetFolderPathW",
            reinterpret_cast<void*>(&answerInvalidArg));
        ASSERT_TRUE(redirect.isActive());
        EXPECT_FALSE(CQBNSystemInfo(snOstrel).getStoragePath(path));
    }
    {
        qbntest::CImportRedirect redirect(
            "shell32.dll", "SHGetFolderPathW",
            reinterpret_cast<void*>(&answerEmptyPath));
        ASSERT_TRUE(redirect.isActive());
        EXPECT_FALSE(CQBNSystemInfo(snOstrel).getStoragePath(path));
    }
    EXPECT_STREQ(L"before", path.getText());
}

} // namespace

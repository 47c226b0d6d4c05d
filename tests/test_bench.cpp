// Proves the bench itself: the test programs are genuine 32-bit Unicode Win32
// executables, self-contained, and can use the registry and file system of
// the Wine prefix the way the library tests will.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

static_assert(sizeof(void*) == 4, "the installer is a 32-bit program");
static_assert(sizeof(wchar_t) == 2, "Win32 wide strings are UTF-16");
static_assert(sizeof(TCHAR) == sizeof(wchar_t), "built without UNICODE");
static_assert(_WIN32_WINNT == 0x0601 && WINVER == 0x0601,
              "the installer targets Windows 7 APIs");

namespace {

// Unique per process so parallel ctest runs never share a scratch name.
std::wstring ScratchName()
{
    return L"qbn_bench_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount());
}

TEST(Bench, RunsAsSelfContainedWin32Exe)
{
    wchar_t path[MAX_PATH] = {};
    DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(len, 4u);
    ASSERT_LT(len, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(0, lstrcmpiW(path + len - 4, L".exe")) << path;

    // Shipping must not depend on MinGW runtime DLLs next to the program.
    for (const wchar_t* dll :
         {L"libstdc++-6.dll", L"libgcc_s_dw2-1.dll", L"libwinpthread-1.dll"}) {
        EXPECT_EQ(nullptr, GetModuleHandleW(dll)) << dll;
    }
}

TEST(Bench, ScratchRegistryKeyRoundTrip)
{
    const std::wstring sub = L"Software\\QbnTests\\" + ScratchName();
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0,
                                             nullptr, 0, KEY_READ | KEY_WRITE,
                                             nullptr, &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);

    const wchar_t text[] =
        L"Pr\u00fcfung \u5b89\u88c5"; // non-ASCII must survive
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Text", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(text),
                                            sizeof(text)));
    const DWORD number = 0x8104;
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, L"Number", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&number),
                             sizeof(number)));

    wchar_t readText[64] = {};
    DWORD type = 0, size = sizeof(readText);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, L"Text", nullptr, &type,
                               reinterpret_cast<BYTE*>(readText), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ(text, readText);

    DWORD readNumber = 0;
    size = sizeof(readNumber);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, L"Number", nullptr, &type,
                               reinterpret_cast<BYTE*>(&readNumber), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(number, readNumber);
    RegCloseKey(key);

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, sub.c_str()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &key));
    // Fails while a parallel test still has a key below it; that is intended.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QbnTests");
}

TEST(Bench, ScratchTempFolderRoundTrip)
{
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    const std::wstring dir = std::wstring(temp) + ScratchName();
    const std::wstring file = dir + L"\\data.bin";

    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr)) << GetLastError();

    const char payload[] = "8104";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, payload, sizeof(payload), &written, nullptr));
    CloseHandle(h);

    h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
    char back[16] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h, back, sizeof(back), &read, nullptr));
    CloseHandle(h);
    EXPECT_EQ(sizeof(payload), read);
    EXPECT_STREQ(payload, back);

    // A non-empty folder must refuse removal: the tests rely on real semantics.
    EXPECT_FALSE(RemoveDirectoryW(dir.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), GetLastError());

    EXPECT_TRUE(DeleteFileW(file.c_str())) << GetLastError();
    EXPECT_TRUE(RemoveDirectoryW(dir.c_str())) << GetLastError();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.c_str()));
}

} // namespace

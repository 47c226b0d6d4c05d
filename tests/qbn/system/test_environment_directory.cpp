// Environment variables of this process and directory paths, against Wine's
// real environment block and file system. Variables carry names unique to
// the test and process; folders live in a scratch folder per test.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "qbn_directory.h"
#include "qbn_environment_variable.h"
#include "qbn_exceptions.h"
#include "support/handle_count.h"
#include "support/import_redirect.h"
#include "support/scratch_folder.h"

namespace {

// A variable of this process named after the running test; unset again
// when the test ends.
class ScratchVariable {
public:
    ScratchVariable()
    {
        const ::testing::TestInfo* pInfo =
            ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string("QBN_TEST_") + pInfo->name();
        m_name = std::wstring(name.begin(), name.end()) + L"_" +
                 std::to_wstring(GetCurrentProcessId());
    }
    ~ScratchVariable() { SetEnvironmentVariableW(m_name.c_str(), nullptr); }
    ScratchVariable(const ScratchVariable&) = delete;
    ScratchVariable& operator=(const ScratchVariable&) = delete;

    const wchar_t* name() const { return m_name.c_str(); }
    bool set(const std::wstring& value) const
    {
        return SetEnvironmentVariableW(m_name.c_str(), value.c_str()) != 0;
    }

private:
    std::wstring m_name;
};

// ---- environment variables ----

TEST(EnvironmentVariable, ReadsTheValueOfASetVariable)
{
    ScratchVariable variable;
    ASSERT_TRUE(variable.set(L"C:\\some value"));
    CQBNWCharString value;
    ASSERT_TRUE(CQBNEnvironmentVariable(variable.name()).getValue(value));
    EXPECT_STREQ(L"C:\\some value", value.getText());
}

// 32766 characters and the 0 fill the whole buffer: the longest value
// Windows keeps.
TEST(EnvironmentVariable, ReadsTheLongestValueWhole)
{
    ScratchVariable variable;
    std::wstring longest(32766, L'v');
    longest[32765] = L'!';
    ASSERT_TRUE(variable.set(longest));
    CQBNWCharString value;
    ASSERT_TRUE(CQBNEnvironmentVariable(variable.name()).getValue(value));
    EXPECT_EQ(longest, value.getText());
}

TEST(EnvironmentVariable, UnsetEmptyAndUnnamedVariablesReadAsFailures)
{
    ScratchVariable variable;
    CQBNWCharString value(L"before");
    EXPECT_FALSE(CQBNEnvironmentVariable(variable.name()).getValue(value));
    ASSERT_TRUE(variable.set(L""));
    EXPECT_FALSE(CQBNEnvironmentVariable(variable.name()).getValue(value));
    EXPECT_FALSE(CQBNEnvironmentVariable(CQBNWCharString()).getValue(value));
    EXPECT_FALSE(CQBNEnvironmentVariable(L"").getValue(value));
    EXPECT_STREQ(L"before", value.getText());
}

// Wine cuts values that do not fit down to the buffer, so Windows' answer
// for them (the size it would need) is played by a stand-in that also
// leaves text in the buffer that must not be taken as the value.
DWORD WINAPI answerRequiredSize(LPCWSTR, LPWSTR szBuffer, DWORD dwSize)
{
    for (DWORD i = 0; i < dwSize; ++i)
        szBuffer[i] = L'g';
    return 40001;
}

TEST(EnvironmentVariable, AValueTooLongForTheBufferIsAFailure)
{
    qbntest::CImportRedirect redirect(
        "kernel32.dll", "GetEnvironmentVariableW",
        reinterpret_cast<void*>(&answerRequiredSize));
    ASSERT_TRUE(redirect.isActive());
    CQBNWCharString value(L"before");
    EXPECT_FALSE(CQBNEnvironmentVariable(L"ANY").getValue(value));
    EXPECT_STREQ(L"before", value.getText());
}

DWORD WINAPI throwForeign(LPCWSTR, LPWSTR, DWORD)
{
    throw 42;
}

DWORD WINAPI throwLibraryException(LPCWSTR, LPWSTR, DWORD)
{
    throw CQBNBadArgException(L"name", L"stand-in", L".\\test", __LINE__);
}

TEST(EnvironmentVariable, PassesForeignExceptionsOnAndKeepsItsOwn)
{
    CQBNWCharString value(L"before");
    {
        qbntest::CImportRedirect redirect(
            "kernel32.dll", "GetEnvironmentVariableW",
            reinterpret_cast<void*>(&throwForeign));
        ASSERT_TRUE(redirect.isActive());
        EXPECT_THROW(CQBNEnvironmentVariable(L"ANY").getValue(value), int);
    }
    {
        qbntest::CImportRedirect redirect(
            "kernel32.dll", "GetEnvironmentVariableW",
            reinterpret_cast<void*>(&throwLibraryException));
        ASSERT_TRUE(redirect.isActive());
        EXPECT_FALSE(CQBNEnvironmentVariable(L"ANY").getValue(value));
    }
    EXPECT_STREQ(L"before", value.getText());
}

// ---- directory tests ----

class DirectoryTest : public ::testing::Test {
protected:
    DirectoryTest() : m_directory(CQBNWCharString()) {}

    bool isValid(const std::wstring& path)
    {
        return m_directory.isValidWindowsDirectory(path.c_str());
    }

    qbn_test::ScratchFolder m_folder;
    CQBNDirectory m_directory;
};

TEST_F(DirectoryTest, DrivesAndFoldersAreDirectoriesInEveryForm)
{
    EXPECT_TRUE(isValid(L"C:"));
    EXPECT_TRUE(isValid(L"C:\\"));
    EXPECT_TRUE(isValid(L"C:\\windows"));
    EXPECT_TRUE(isValid(L"C:\\windows\\"));
    EXPECT_TRUE(isValid(m_folder.path()));
    EXPECT_TRUE(isValid(m_folder.path() + L"\\"));
}

TEST_F(DirectoryTest, FilesMissingPathsAndPatternsAreNot)
{
    const std::wstring file = m_folder.pathOf(L"file.txt");
    ASSERT_TRUE(qbn_test::writeFile(file, "x"));
    EXPECT_FALSE(isValid(file));
    EXPECT_FALSE(isValid(file + L"\\"));
    EXPECT_FALSE(isValid(m_folder.pathOf(L"missing")));
    EXPECT_FALSE(isValid(m_folder.pathOf(L"missing\\")));
    EXPECT_FALSE(isValid(m_folder.pathOf(L"*")));
}

TEST_F(DirectoryTest, PathsTooShortToExamineAreNotDirectories)
{
    EXPECT_FALSE(isValid(L""));
    EXPECT_FALSE(isValid(L"C"));
    EXPECT_FALSE(m_directory.isValidWindowsDirectory(CQBNWCharString()));
    EXPECT_FALSE(m_directory.isValidDirectory());
}

TEST_F(DirectoryTest, SearchHandlesAreClosedOnEveryPath)
{
    const std::wstring file = m_folder.pathOf(L"file.txt");
    ASSERT_TRUE(qbn_test::writeFile(file, "x"));
    // The first search may open handles that Wine keeps for the process.
    isValid(L"C:\\windows");
    const unsigned long ulBefore = qbn_test::openHandleCount();
    for (int i = 0; i < 50; ++i) {
        isValid(L"C:\\windows\\");
        isValid(file);
        isValid(m_folder.pathOf(L"missing"));
    }
    EXPECT_EQ(ulBefore, qbn_test::openHandleCount());
}

TEST_F(DirectoryTest, CreatesEveryMissingLevel)
{
    const std::wstring deepest = m_folder.pathOf(L"a\\b\\c");
    CQBNDirectory directory(deepest.c_str());
    EXPECT_TRUE(directory.createDirectory());
    EXPECT_TRUE(qbn_test::isDirectory(deepest));

    CQBNDirectory withBackslash(m_folder.pathOf(L"a\\d\\").c_str());
    EXPECT_TRUE(withBackslash.createDirectory());
    EXPECT_TRUE(qbn_test::isDirectory(m_folder.pathOf(L"a\\d")));
}

TEST_F(DirectoryTest, CreatesNothingForAnExistingOrEmptyPath)
{
    EXPECT_FALSE(CQBNDirectory(m_folder.path().c_str()).createDirectory());
    EXPECT_FALSE(CQBNDirectory(L"C:\\").createDirectory());
    EXPECT_FALSE(CQBNDirectory(CQBNWCharString()).createDirectory());
}

// "|" may not appear in a file name, so that level cannot be created; the
// level above it is created first and stays.
TEST_F(DirectoryTest, StopsAtTheFirstLevelThatCannotBeCreated)
{
    CQBNDirectory directory(m_folder.pathOf(L"new\\bad|name\\deeper").c_str());
    EXPECT_FALSE(directory.createDirectory());
    EXPECT_TRUE(qbn_test::isDirectory(m_folder.pathOf(L"new")));
    EXPECT_FALSE(qbn_test::isDirectory(m_folder.pathOf(L"new\\bad|name")));
}

// A drive letter that names nothing in this prefix cannot even have its root.
TEST_F(DirectoryTest, FailsOnADriveThatDoesNotExist)
{
    const DWORD dwDrives = GetLogicalDrives();
    wchar_t wcDrive = L'Q';
    while (wcDrive > L'D' && (dwDrives & (1u << (wcDrive - L'A'))) != 0)
        --wcDrive;
    ASSERT_EQ(0u, dwDrives & (1u << (wcDrive - L'A')));
    const std::wstring path = std::wstring(1, wcDrive) + L":\\qbn\\deeper";
    EXPECT_FALSE(CQBNDirectory(path.c_str()).createDirectory());
    EXPECT_FALSE(qbn_test::isDirectory(path));
}

} // namespace

// A folder of one test's own under %TEMP%, named after the running test and
// process, removed with everything in it when the test ends.
#ifndef QBN_TEST_SCRATCH_FOLDER_H
#define QBN_TEST_SCRATCH_FOLDER_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "qbn_unique_handle.h"

namespace qbn_test {

inline void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found = {};
    const CQBNUniqueFind search(
        FindFirstFileW((path + L"\\*").c_str(), &found));
    if (search.isValid()) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search.get(), &found));
    }
    RemoveDirectoryW(path.c_str());
}

class ScratchFolder {
public:
    ScratchFolder()
    {
        wchar_t szTemp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, szTemp);
        const ::testing::TestInfo* pInfo =
            ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name =
            std::string(pInfo->test_suite_name()) + "_" + pInfo->name();
        m_path = std::wstring(szTemp) + L"qbn_" +
                 std::wstring(name.begin(), name.end()) + L"_" +
                 std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(GetTickCount());
        removeTree(m_path);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder() { removeTree(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder itself, without a trailing backslash.
    const std::wstring& path() const { return m_path; }
    std::wstring pathOf(const std::wstring& name) const
    {
        return m_path + L"\\" + name;
    }

private:
    std::wstring m_path;
};

inline bool isDirectory(const std::wstring& path)
{
    const DWORD dwAttributes = GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Writes `bytes` as the whole content of a new file.
inline bool writeFile(const std::wstring& path, const std::string& bytes)
{
    const CQBNUniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return false;
    DWORD dwWritten = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                     &dwWritten, nullptr) &&
           dwWritten == bytes.size();
}

} // namespace qbn_test

#endif

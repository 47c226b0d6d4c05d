// The patch program's own logic, linked from the same core library the
// program is built from: the silent switch, the path rules, the file
// version comparison, the patch log's bytes and the all-or-nothing
// replacement of the hook libraries. Everything happens in scratch folders
// of each test's own; nothing here touches the registry.
//
// The program's resources are linked in, so this test program carries the
// patch's string table and version information as the patch does.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "patch8104_ids.h"
#include "patch_checks.h"
#include "patch_file_journal.h"
#include "patch_file_version.h"
#include "patch_files.h"
#include "patch_messages.h"
#include "patch_paths.h"
#include "patch_record.h"
#include "patch_run_state.h"
#include "support/scratch_folder.h"

using qbn_test::ScratchFolder;
using qbn_test::writeFile;

namespace {

// ---- files ----

bool fileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The whole content, or "<missing>" for a file that cannot be read.
std::string readFile(const std::wstring& path)
{
    const HANDLE hFile =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content;
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) &&
           dwRead != 0)
        content.append(buffer, dwRead);
    CloseHandle(hFile);
    return content;
}

std::wstring programPath()
{
    wchar_t szPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    return szPath;
}

std::wstring systemFilePath(const wchar_t* szName)
{
    wchar_t szFolder[MAX_PATH] = {};
    GetSystemDirectoryW(szFolder, MAX_PATH);
    return std::wstring(szFolder) + L"\\" + szName;
}

// ---- patch log bytes ----

const std::string kByteOrderMark("\xFF\xFE", 2);

// One log entry as the file holds it: UTF-16LE code units and a 0 unit.
std::string logEntry(const std::wstring& text)
{
    std::string bytes(reinterpret_cast<const char*>(text.c_str()),
                      (text.size() + 1) * sizeof(wchar_t));
    return bytes;
}

std::wstring tableString(UINT uId)
{
    wchar_t szText[kMessageTextLength] = {};
    LoadStringW(GetModuleHandleW(nullptr), uId, szText, kMessageTextLength);
    return szText;
}

std::wstring lineOf(UINT uId, const std::wstring& insert)
{
    std::wstring text = tableString(uId);
    const std::wstring::size_type pos = text.find(L"%s");
    if (pos != std::wstring::npos)
        text.replace(pos, 2, insert);
    return text + L"\r\n";
}

// ---- version resources ----

struct FileVersion {
    DWORD dwMS;
    DWORD dwLS;
};

// Read with version.dll directly, to compare the patch's reading against.
bool readVersion(const std::wstring& path, FileVersion& version)
{
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeW(path.c_str(), &dwHandle);
    if (dwSize == 0)
        return false;
    std::vector<unsigned char> block(dwSize);
    VS_FIXEDFILEINFO* pInfo = nullptr;
    UINT uLength = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, dwSize, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&pInfo),
                        &uLength) ||
        pInfo == nullptr)
        return false;
    version = {pInfo->dwFileVersionMS, pInfo->dwFileVersionLS};
    return true;
}

// A copy of this test program whose fixed file version reads `version`:
// the same resource layout with only the two version words changed. The
// fixed information follows the resource's key, "VS_VERSION_INFO".
bool writeProgramWithVersion(const std::wstring& path, FileVersion version)
{
    std::string image = readFile(programPath());
    const std::wstring key = L"VS_VERSION_INFO";
    const char kSignature[] = {'\xBD', '\x04', '\xEF', '\xFE'};
    const std::string::size_type keyPos = image.find(std::string(
        reinterpret_cast<const char*>(key.c_str()), key.size() * 2));
    if (keyPos == std::string::npos)
        return false;
    const std::string::size_type pos =
        image.find(std::string(kSignature, sizeof(kSignature)), keyPos);
    if (pos == std::string::npos)
        return false;
    std::memcpy(&image[pos + 8], &version.dwMS, sizeof(DWORD));
    std::memcpy(&image[pos + 12], &version.dwLS, sizeof(DWORD));
    return writeFile(path, image);
}

// ---- fixture: a silent run logging into the scratch folder ----

class PatchCoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedLogName = PatchRunState.patchLogName;
        m_savedSilent = PatchRunState.silent;
        PatchRunState.silent = 1;
        PatchRunState.patchLogName = CQBNWCharString(logPath().c_str());
    }
    void TearDown() override
    {
        PatchRunState.patchLogName = m_savedLogName;
        PatchRunState.silent = m_savedSilent;
    }

    std::wstring logPath() const { return m_folder.pathOf(L"patchlog.txt"); }
    std::string log() const { return readFile(logPath()); }

    ScratchFolder m_folder;

private:
    CQBNWCharString m_savedLogName;
    int m_savedSilent = 0;
};

std::wstring textOf(const CQBNWCharString& string)
{
    return string.getText();
}

// ---- the silent switch ----

TEST(PatchSilentSwitch, AnySwitchAnywhereAsASubstring)
{
    const wchar_t* const silent[] = {L"/s",         L"/S",       L"-s",
                                     L"-S",         L"-x /sfoo", L"/silent",
                                     L"C:\\a-s\\b", L"/q /S"};
    for (const wchar_t* szLine : silent)
        EXPECT_TRUE(isSilentCommandLine(CQBNWCharString(szLine))) << szLine;
}

TEST(PatchSilentSwitch, OtherLinesAreInteractive)
{
    const wchar_t* const interactive[] = {L"/Q",  L"/x S", L"s",
                                          L"\\s", L"+S",   L"/ s"};
    for (const wchar_t* szLine : interactive)
        EXPECT_FALSE(isSilentCommandLine(CQBNWCharString(szLine))) << szLine;
    EXPECT_FALSE(isSilentCommandLine(CQBNWCharString(L"")));
    EXPECT_FALSE(isSilentCommandLine(CQBNWCharString()));
}

// ---- the product version key ----

TEST(PatchVersionKey, FirstTwoFieldsSideBySide)
{
    EXPECT_EQ(830, productVersionKey(CQBNWCharString(L"8.30.1.2")));
    EXPECT_EQ(830, productVersionKey(CQBNWCharString(L"8.30.0.1")));
    EXPECT_EQ(83, productVersionKey(CQBNWCharString(L"8.3.0.1")));
    EXPECT_EQ(830, productVersionKey(CQBNWCharString(L"83.0.1.2")));
    EXPECT_EQ(90, productVersionKey(CQBNWCharString(L"9.0")));
    EXPECT_EQ(830, productVersionKey(CQBNWCharString(L"830")));
}

TEST(PatchVersionKey, TextThatIsNoNumberGivesZero)
{
    EXPECT_EQ(0, productVersionKey(CQBNWCharString(L"8.x.1")));
    EXPECT_EQ(0, productVersionKey(CQBNWCharString(L"")));
    EXPECT_EQ(0, productVersionKey(CQBNWCharString(L".")));
}

// ---- paths ----

TEST(PatchPaths, FolderAndNameAreJoinedByOneBackslash)
{
    const CQBNWCharString name(L"qbnpwm_windows_hook.dll");
    EXPECT_EQ(
        L"C:\\Product\\qbnpwm_windows_hook.dll",
        textOf(joinFolderAndName(CQBNWCharString(L"C:\\Product\\"), name)));
    EXPECT_EQ(L"C:\\Product\\qbnpwm_windows_hook.dll",
              textOf(joinFolderAndName(CQBNWCharString(L"C:\\Product"), name)));
    EXPECT_EQ(L"qbnpwm_windows_hook.dll",
              textOf(joinFolderAndName(CQBNWCharString(), name)));
}

TEST(PatchPaths, PatchFilesLieBesideTheProgram)
{
    const std::wstring program = programPath();
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    CQBNWCharString out;
    EXPECT_EQ(1, getPatchFilePath(
                     CQBNWCharString(L"\\qbnpwm_keyboard_hook.dll"), out));
    EXPECT_EQ(folder + L"\\qbnpwm_keyboard_hook.dll", textOf(out));
}

TEST(PatchPaths, FullPathsAreTakenAsTheyAre)
{
    const CQBNWCharString full(L"D:\\elsewhere\\qbnpwm_windows_hook.dll");
    CQBNWCharString out;
    EXPECT_EQ(1, getPatchFilePath(full, out));
    EXPECT_EQ(textOf(full), textOf(out));
    out = CQBNWCharString();
    EXPECT_EQ(1, getInstalledFilePath(out, full));
    EXPECT_EQ(textOf(full), textOf(out));
}

// Windows cuts a path that does not fit and may leave it unterminated: a
// text that fills the buffer is never taken for a path.
TEST(PatchPaths, PathThatFillsTheBufferIsAFailure)
{
    const auto fillReporting = [](DWORD dwLength) {
        return [dwLength](wchar_t* szBuffer, DWORD dwSize) {
            for (DWORD dwIndex = 0; dwIndex < dwSize; ++dwIndex)
                szBuffer[dwIndex] = L'x';
            return dwLength;
        };
    };
    CQBNWCharString out(L"untouched");
    EXPECT_FALSE(readPathText(out, fillReporting(kPathBufferLength)));
    EXPECT_FALSE(readPathText(out, fillReporting(kPathBufferLength - 1)));
    EXPECT_FALSE(readPathText(out, fillReporting(0)));
    EXPECT_EQ(L"untouched", textOf(out));
    EXPECT_TRUE(readPathText(out, fillReporting(kPathBufferLength - 2)));
    EXPECT_EQ(kPathBufferLength - 2, out.getLength());
}

// ---- file versions ----

class PatchFileVersionTest : public PatchCoreTest {
protected:
    std::wstring withVersion(const wchar_t* szName, DWORD dwMS, DWORD dwLS)
    {
        const std::wstring path = m_folder.pathOf(szName);
        EXPECT_TRUE(writeProgramWithVersion(path, {dwMS, dwLS}));
        return path;
    }
    int compare(const std::wstring& patch, const std::wstring& installed)
    {
        return compareFileVersions(CQBNWCharString(patch.c_str()),
                                   CQBNWCharString(installed.c_str()));
    }
};

TEST_F(PatchFileVersionTest, ReadsWhatVersionDllReads)
{
    for (const std::wstring& path :
         {programPath(), systemFilePath(L"kernel32.dll")}) {
        FileVersion expected = {};
        ASSERT_TRUE(readVersion(path, expected));
        DWORD dwMS = 0;
        DWORD dwLS = 0;
        EXPECT_EQ(1, getFileVersion(CQBNWCharString(path.c_str()), dwMS, dwLS));
        EXPECT_EQ(expected.dwMS, dwMS);
        EXPECT_EQ(expected.dwLS, dwLS);
    }
}

TEST_F(PatchFileVersionTest, NoVersionLeavesTheOutputsAlone)
{
    ASSERT_TRUE(writeFile(m_folder.pathOf(L"plain.dll"), "no resources"));
    DWORD dwMS = 7;
    DWORD dwLS = 9;
    EXPECT_EQ(0, getFileVersion(
                     CQBNWCharString(m_folder.pathOf(L"plain.dll").c_str()),
                     dwMS, dwLS));
    EXPECT_EQ(0, getFileVersion(
                     CQBNWCharString(m_folder.pathOf(L"missing.dll").c_str()),
                     dwMS, dwLS));
    EXPECT_EQ(7u, dwMS);
    EXPECT_EQ(9u, dwLS);
}

TEST_F(PatchFileVersionTest, PatchAgainstInstalled)
{
    const std::wstring installed =
        withVersion(L"installed.dll", MAKELONG(30, 8), 10);
    const std::wstring patch = withVersion(L"patch.dll", MAKELONG(30, 8), 12);
    const std::wstring same = withVersion(L"same.dll", MAKELONG(30, 8), 10);
    EXPECT_EQ(1, compare(patch, installed));
    EXPECT_EQ(-1, compare(installed, patch));
    EXPECT_EQ(0, compare(same, installed));
}

// The most significant halves decide first, and both halves are unsigned.
TEST_F(PatchFileVersionTest, HalvesCompareUnsignedMostSignificantFirst)
{
    const std::wstring highMS = withVersion(L"high.dll", 0x80000000u, 0);
    const std::wstring lowMS =
        withVersion(L"low.dll", 0x7FFFFFFFu, 0xFFFFFFFFu);
    const std::wstring highLS = withVersion(L"highls.dll", 1, 0x80000000u);
    const std::wstring lowLS = withVersion(L"lowls.dll", 1, 0x7FFFFFFFu);
    EXPECT_EQ(1, compare(highMS, lowMS));
    EXPECT_EQ(-1, compare(lowMS, highMS));
    EXPECT_EQ(1, compare(highLS, lowLS));
}

TEST_F(PatchFileVersionTest, UnknownOrZeroVersionGivesTwo)
{
    const std::wstring real = withVersion(L"real.dll", MAKELONG(30, 8), 12);
    const std::wstring zero = withVersion(L"zero.dll", 0, 0);
    ASSERT_TRUE(writeFile(m_folder.pathOf(L"plain.dll"), "no resources"));
    EXPECT_EQ(2, compare(real, zero));
    EXPECT_EQ(2, compare(zero, real));
    EXPECT_EQ(2, compare(real, m_folder.pathOf(L"plain.dll")));
    EXPECT_EQ(2, compare(m_folder.pathOf(L"missing.dll"), real));
}

// ---- the patch log ----

TEST_F(PatchCoreTest, NewLogStartsWithByteOrderMarkOnce)
{
    appendPatchLog(CQBNWCharString(L"first\r\n"));
    EXPECT_EQ(kByteOrderMark + logEntry(L"first\r\n"), log());
    appendPatchLog(CQBNWCharString(L"second\r\n"));
    EXPECT_EQ(kByteOrderMark + logEntry(L"first\r\n") + logEntry(L"second\r\n"),
              log());
}

TEST_F(PatchCoreTest, LogThatCannotBeOpenedDropsTheEntry)
{
    const HANDLE hHeld =
        CreateFileW(logPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    appendPatchLog(CQBNWCharString(L"dropped\r\n"));
    CloseHandle(hHeld);
    EXPECT_EQ("", log());

    PatchRunState.patchLogName =
        CQBNWCharString(m_folder.pathOf(L"no\\such\\folder.txt").c_str());
    appendPatchLog(CQBNWCharString(L"dropped\r\n"));
    EXPECT_FALSE(fileExists(m_folder.pathOf(L"no")));
}

TEST_F(PatchCoreTest, SilentMessagesAreLoggedWithTheDefaultAnswer)
{
    EXPECT_EQ(IDOK, showResultMessage(ProductNotInstalled, MB_OK, IDOK));
    EXPECT_EQ(IDNO, showMessage(IDS_PATCH_COMPLETED, MB_YESNO, IDNO));
    EXPECT_EQ(IDOK, showResultMessage(99, MB_OK, IDOK));
    const std::wstring notInstalled = tableString(IDS_PRODUCT_NOT_INSTALLED);
    ASSERT_NE(L"", notInstalled);
    EXPECT_EQ(kByteOrderMark + logEntry(notInstalled + L" User select: 1\r\n") +
                  logEntry(tableString(IDS_PATCH_COMPLETED) +
                           L" User select: 7\r\n") +
                  logEntry(L" User select: 1\r\n"),
              log());
}

// ---- replacing the hook libraries ----

// An installed product folder with two libraries and a patch folder with
// their replacements.
class PatchReplaceTest : public PatchCoreTest {
protected:
    void SetUp() override
    {
        PatchCoreTest::SetUp();
        CreateDirectoryW(m_folder.pathOf(L"product").c_str(), nullptr);
        CreateDirectoryW(m_folder.pathOf(L"patch").c_str(), nullptr);
        ASSERT_TRUE(writeFile(installed(L"windows.dll"), "old windows hook"));
        ASSERT_TRUE(writeFile(installed(L"keyboard.dll"), "old keyboard"));
        ASSERT_TRUE(writeFile(source(L"windows.dll"), "new windows hook"));
        ASSERT_TRUE(writeFile(source(L"keyboard.dll"), "new keyboard hook"));
    }

    std::wstring installed(const wchar_t* szName) const
    {
        return m_folder.pathOf(L"product\\") + szName;
    }
    std::wstring source(const wchar_t* szName) const
    {
        return m_folder.pathOf(L"patch\\") + szName;
    }
    int replace(const wchar_t* szName, CPatchFileJournal& journal)
    {
        return replaceFile(CQBNWCharString(source(szName).c_str()),
                           CQBNWCharString(installed(szName).c_str()), journal);
    }
    void expectUntouched()
    {
        EXPECT_EQ("old windows hook", readFile(installed(L"windows.dll")));
        EXPECT_EQ("old keyboard", readFile(installed(L"keyboard.dll")));
        EXPECT_FALSE(fileExists(installed(L"windows.dll.bak")));
        EXPECT_FALSE(fileExists(installed(L"keyboard.dll.bak")));
    }
};

TEST_F(PatchReplaceTest, CommittedReplacementKeepsBackups)
{
    {
        CPatchFileJournal journal;
        EXPECT_NE(0, replace(L"windows.dll", journal));
        EXPECT_NE(0, replace(L"keyboard.dll", journal));
        journal.commit();
    }
    EXPECT_EQ("new windows hook", readFile(installed(L"windows.dll")));
    EXPECT_EQ("new keyboard hook", readFile(installed(L"keyboard.dll")));
    EXPECT_EQ("old windows hook", readFile(installed(L"windows.dll.bak")));
    EXPECT_EQ("old keyboard", readFile(installed(L"keyboard.dll.bak")));
    EXPECT_FALSE(fileExists(logPath()));
}

TEST_F(PatchReplaceTest, FailedCopyPutsEveryLibraryBack)
{
    DeleteFileW(source(L"keyboard.dll").c_str());
    CPatchFileJournal journal;
    EXPECT_NE(0, replace(L"windows.dll", journal));
    EXPECT_EQ(0, replace(L"keyboard.dll", journal));
    EXPECT_TRUE(journal.rollBack());
    expectUntouched();
    // The message first, then the line that names the library.
    EXPECT_EQ(
        kByteOrderMark +
            logEntry(tableString(IDS_INSTALL_FAILED) + L" User select: 1\r\n") +
            logEntry(
                lineOf(IDS_UPDATE_FILE_FAILED, installed(L"keyboard.dll"))),
        log());
}

TEST_F(PatchReplaceTest, TargetHeldWithoutSharingIsLeftAsItWas)
{
    CPatchFileJournal journal;
    EXPECT_NE(0, replace(L"windows.dll", journal));
    const HANDLE hHeld =
        CreateFileW(installed(L"keyboard.dll").c_str(), GENERIC_READ, 0,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    EXPECT_EQ(0, journal.replace(
                     CQBNWCharString(source(L"keyboard.dll").c_str()),
                     CQBNWCharString(installed(L"keyboard.dll").c_str())));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    journal.rollBack();
    CloseHandle(hHeld);
    expectUntouched();
}

TEST_F(PatchReplaceTest, LibraryThatDidNotExistIsRemovedAgain)
{
    DeleteFileW(installed(L"keyboard.dll").c_str());
    CPatchFileJournal journal;
    EXPECT_NE(0, replace(L"keyboard.dll", journal));
    EXPECT_EQ(0, replace(L"absent.dll", journal));
    journal.rollBack();
    EXPECT_FALSE(fileExists(installed(L"keyboard.dll")));
    EXPECT_FALSE(fileExists(installed(L"keyboard.dll.bak")));
    EXPECT_FALSE(fileExists(installed(L"absent.dll")));
}

TEST_F(PatchReplaceTest, OlderBackupSurvivesTheRollBack)
{
    ASSERT_TRUE(writeFile(installed(L"windows.dll.bak"), "older backup"));
    DeleteFileW(source(L"keyboard.dll").c_str());
    CPatchFileJournal journal;
    EXPECT_NE(0, replace(L"windows.dll", journal));
    EXPECT_EQ(0, replace(L"keyboard.dll", journal));
    journal.rollBack();
    EXPECT_EQ("old windows hook", readFile(installed(L"windows.dll")));
    EXPECT_EQ("older backup", readFile(installed(L"windows.dll.bak")));
    EXPECT_EQ("old keyboard", readFile(installed(L"keyboard.dll")));
}

// A run that leaves by an exception half-way must not leave half a set.
TEST_F(PatchReplaceTest, JournalLeftUncommittedRollsBack)
{
    {
        CPatchFileJournal journal;
        EXPECT_NE(0, replace(L"windows.dll", journal));
    }
    expectUntouched();
}

// A library whose old copy cannot be moved aside is still replaced, and
// rewritten with its old bytes when the set cannot be completed.
TEST_F(PatchReplaceTest, UnmovableLibraryGetsItsBytesBack)
{
    DeleteFileW(source(L"keyboard.dll").c_str());
    const HANDLE hHeld =
        CreateFileW(installed(L"windows.dll").c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    CPatchFileJournal journal;
    EXPECT_NE(0, replace(L"windows.dll", journal));
    EXPECT_EQ("new windows hook", readFile(installed(L"windows.dll")));
    EXPECT_EQ(0, replace(L"keyboard.dll", journal));
    journal.rollBack();
    CloseHandle(hHeld);
    expectUntouched();
}

// ---- the program's imports ----

// Windows 7 takes these from the system folder whatever lies beside the
// program (KnownDLLs, and ntdll, which every process has already).
const char* const kSystemOnlyLibraries[] = {
    "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "imagehlp.dll",
    "imm32.dll",    "kernel32.dll", "msvcrt.dll",  "ntdll.dll",
    "ole32.dll",    "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",
    "setupapi.dll", "shell32.dll",  "shlwapi.dll", "user32.dll",
    "ws2_32.dll"};

bool isSystemOnlyLibrary(const char* szName)
{
    for (const char* szKnown : kSystemOnlyLibraries) {
        if (lstrcmpiA(szKnown, szName) == 0)
            return true;
    }
    return false;
}

std::vector<std::string> importedLibraries(const wchar_t* szPath)
{
    std::vector<std::string> names;
    const HANDLE hFile = CreateFileW(szPath, GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return names;
    const HANDLE hMapping = CreateFileMappingW(
        hFile, nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr);
    BYTE* pBase = hMapping == nullptr ? nullptr
                                      : static_cast<BYTE*>(MapViewOfFile(
                                            hMapping, FILE_MAP_READ, 0, 0, 0));
    if (pBase != nullptr) {
        const IMAGE_NT_HEADERS* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
        const DWORD dwImports =
            pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                .VirtualAddress;
        for (const IMAGE_IMPORT_DESCRIPTOR* pDll =
                 reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dwImports);
             dwImports != 0 && pDll->Name != 0; ++pDll)
            names.push_back(reinterpret_cast<const char*>(pBase + pDll->Name));
        UnmapViewOfFile(pBase);
    }
    if (hMapping != nullptr)
        CloseHandle(hMapping);
    CloseHandle(hFile);
    return names;
}

// The patch program is built beside this test program's folder.
std::wstring patchProgramPath()
{
    const std::wstring program = programPath();
    std::wstring relative = PATCH8104_EXE_FROM_TESTS;
    for (wchar_t& wc : relative) {
        if (wc == L'/')
            wc = L'\\';
    }
    return program.substr(0, program.rfind(L'\\') + 1) + relative;
}

TEST(PatchProgramImports, OnlyLibrariesWindowsTakesFromTheSystemFolder)
{
    const std::wstring path = patchProgramPath();
    const std::vector<std::string> names = importedLibraries(path.c_str());
    ASSERT_FALSE(names.empty()) << "cannot read the patch program";
    for (const std::string& name : names)
        EXPECT_TRUE(isSystemOnlyLibrary(name.c_str())) << name;
}

} // namespace

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
#include <memory>
#include <string>
#include <vector>

#include "patch8104_ids.h"
#include "patch_checks.h"
#include "patch_close_request.h"
#include "patch_file_bytes.h"
#include "patch_file_version.h"
#include "patch_hook_files.h"
#include "patch_image_check.h"
#include "patch_image_version.h"
#include "patch_install.h"
#include "patch_journal_lines.h"
#include "patch_log.h"
#include "patch_messages.h"
#include "patch_paths.h"
#include "patch_record.h"
#include "patch_run_state.h"
#include "standins_paths.h"
#include "support/pe_file.h"
#include "support/scratch_folder.h"
#include "support/text_of.h"

using qbn_test::ScratchFolder;
using qbn_test::writeFile;

namespace {

using qbntest::textOf;

// ---- files ----

bool fileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The whole content, or "<missing>" for a file that does not exist.
std::string readFile(const std::wstring& path)
{
    return fileExists(path) ? qbntest::readFileBytes(path) : "<missing>";
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

// A copy of this test program whose fixed file version reads `version`:
// the same resource layout with only the two version words changed. The
// fixed information follows the resource's key, "VS_VERSION_INFO".
bool writeProgramWithVersion(const std::wstring& path, DWORD dwMS, DWORD dwLS)
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
    std::memcpy(&image[pos + 8], &dwMS, sizeof(DWORD));
    std::memcpy(&image[pos + 12], &dwLS, sizeof(DWORD));
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

// ---- the silent switch ----

// Any "/s" or "-s" anywhere, in either case, even inside a word or a path.
TEST(PatchSilentSwitch, AnySwitchAnywhereAsASubstring)
{
    const struct {
        const wchar_t* szLine;
        bool bSilent;
    } cases[] = {{L"/s", true},         {L"/S", true},       {L"-s", true},
                 {L"-S", true},         {L"-x /sfoo", true}, {L"/silent", true},
                 {L"C:\\a-s\\b", true}, {L"/q /S", true},    {L"/Q", false},
                 {L"/x S", false},      {L"s", false},       {L"\\s", false},
                 {L"+S", false},        {L"/ s", false},     {L"", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.bSilent, isSilentCommandLine(CQBNWCharString(c.szLine)))
            << c.szLine;
    }
    EXPECT_FALSE(isSilentCommandLine(CQBNWCharString()));
}

// The removal switch is a whole argument as Windows splits the line: a
// quoted argument that only mentions it, escaped quotes and all, is not.
TEST(PatchUninstallSwitch, WholeArgumentByWindowsRules)
{
    const struct {
        const wchar_t* szLine;
        bool bUninstall;
    } cases[] = {{L"/uninstall", true},
                 {L"-UNINSTALL /S", true},
                 {L"\"/uninstall\"", true},
                 {L"\"a\\\\\" /uninstall", true},
                 {L"\"a\\\" /uninstall\"", false},
                 {L"\"a\\\" -uninstall /S\"", false},
                 {L"/uninstallx", false},
                 {L"x/uninstall", false},
                 {L"", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.bUninstall,
                  isUninstallCommandLine(CQBNWCharString(c.szLine)))
            << c.szLine;
    }
}

// The copy that asks the password manager to close answers only its own
// exact command line, and asks no process but the password manager.
TEST(PatchCloseRequest, OnlyItsWholeCommandLineAndOnlyThePasswordManager)
{
    DWORD dwId = 0;
    ASSERT_TRUE(
        readCloseRequest(closeRequestArguments(MAXDWORD).getText(), dwId));
    EXPECT_EQ(MAXDWORD, dwId);
    for (const wchar_t* szLine :
         {L"/S", L"/polite-close:", L"/polite-close:0", L"/polite-close:12 /S",
          L"/S /polite-close:12", L"/POLITE-CLOSE:12", L" /polite-close:12",
          L"/polite-close:4294967296", L"/polite-close:1x"})
        EXPECT_FALSE(readCloseRequest(szLine, dwId)) << szLine;
    EXPECT_EQ(kCloseNotAllowed, answerCloseRequest(GetCurrentProcessId()));
}

// ---- the product version key ----

// The first two fields side by side; text that is no number gives 0.
TEST(PatchVersionKey, FirstTwoFieldsSideBySide)
{
    const struct {
        const wchar_t* szVersion;
        int iKey;
    } cases[] = {{L"8.30.1.2", 830}, {L"8.30.0.1", 830}, {L"8.3.0.1", 83},
                 {L"83.0.1.2", 830}, {L"9.0", 90},       {L"830", 830},
                 {L"8.x.1", 0},      {L"", 0},           {L".", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.iKey, productVersionKey(CQBNWCharString(c.szVersion)))
            << c.szVersion;
    }
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
        EXPECT_TRUE(writeProgramWithVersion(path, dwMS, dwLS));
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
         {programPath(), systemFilePath(L"kernel32.dll"),
          std::wstring(QBN_STANDINS_PAYLOAD_DIR) +
              L"\\qbnpwm_windows_hook_x64.dll"}) {
        DWORD dwExpectedMS = 0;
        DWORD dwExpectedLS = 0;
        ASSERT_TRUE(qbntest::readFileVersion(path, dwExpectedMS, dwExpectedLS));
        DWORD dwMS = 0;
        DWORD dwLS = 0;
        EXPECT_EQ(1, getFileVersion(CQBNWCharString(path.c_str()), dwMS, dwLS));
        EXPECT_EQ(dwExpectedMS, dwMS);
        EXPECT_EQ(dwExpectedLS, dwLS);
    }
}

// The version is read from the file's bytes: a file cut anywhere, even
// inside its version resource, has none, and nothing is read beyond it.
TEST_F(PatchFileVersionTest, CutImagesHaveNoVersion)
{
    const std::string whole = readFile(std::wstring(QBN_STANDINS_PAYLOAD_DIR) +
                                       L"\\qbnpwm_windows_hook.dll");
    const unsigned long long ullWhole =
        imageVersionNumber(qbntest::bufferOf(whole));
    ASSERT_NE(0u, ullWhole);
    unsigned long ulWithVersion = 0;
    for (std::string::size_type size = 0; size < whole.size(); size += 7) {
        const unsigned long long ullCut =
            imageVersionNumber(qbntest::bufferOf(whole.substr(0, size)));
        EXPECT_TRUE(ullCut == 0 || ullCut == ullWhole) << size;
        ulWithVersion += ullCut != 0 ? 1 : 0;
    }
    // Only a cut after the version resource still holds it.
    EXPECT_LT(ulWithVersion, whole.size() / 7 / 2);
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

// The most significant halves decide first, and both halves are unsigned; an
// unknown or zero version on either side gives 2.
TEST_F(PatchFileVersionTest, PatchAgainstInstalled)
{
    const DWORD dw830 = MAKELONG(30, 8);
    const struct {
        DWORD dwPatchMS, dwPatchLS, dwInstalledMS, dwInstalledLS;
        int iResult;
    } cases[] = {
        {dw830, 12, dw830, 10, 1},
        {dw830, 10, dw830, 12, -1},
        {dw830, 10, dw830, 10, 0},
        {0x80000000u, 0, 0x7FFFFFFFu, 0xFFFFFFFFu, 1},
        {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0, -1},
        {1, 0x80000000u, 1, 0x7FFFFFFFu, 1},
        {dw830, 12, 0, 0, 2},
        {0, 0, dw830, 12, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << c.dwPatchMS << "." << c.dwPatchLS
                     << " against " << c.dwInstalledMS << "."
                     << c.dwInstalledLS);
        EXPECT_EQ(c.iResult,
                  compare(withVersion(L"patch.dll", c.dwPatchMS, c.dwPatchLS),
                          withVersion(L"installed.dll", c.dwInstalledMS,
                                      c.dwInstalledLS)));
    }
    const std::wstring real = withVersion(L"real.dll", dw830, 12);
    ASSERT_TRUE(writeFile(m_folder.pathOf(L"plain.dll"), "no resources"));
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
    CQBNUniqueKernelHandle held(CreateFileW(logPath().c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.isValid());
    appendPatchLog(CQBNWCharString(L"dropped\r\n"));
    held.reset();
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

const wchar_t kWindowsHook[] = L"qbnpwm_windows_hook.dll";
const wchar_t kKeyboardHook[] = L"qbnpwm_keyboard_hook.dll";

// An installed product folder with two libraries and a patch folder with
// their replacements; the journal lies in the product folder.
class PatchReplaceTest : public PatchCoreTest {
protected:
    void SetUp() override
    {
        PatchCoreTest::SetUp();
        CreateDirectoryW(m_folder.pathOf(L"product").c_str(), nullptr);
        CreateDirectoryW(m_folder.pathOf(L"patch").c_str(), nullptr);
        writeBothSets();
    }

    void writeBothSets()
    {
        ASSERT_TRUE(writeFile(installed(kWindowsHook), "old windows hook"));
        ASSERT_TRUE(writeFile(installed(kKeyboardHook), "old keyboard"));
        ASSERT_TRUE(writeFile(source(kWindowsHook), "new windows hook"));
        ASSERT_TRUE(writeFile(source(kKeyboardHook), "new keyboard hook"));
    }

    std::wstring installed(const std::wstring& name) const
    {
        return m_folder.pathOf(L"product\\") + name;
    }
    std::wstring source(const wchar_t* szName) const
    {
        return m_folder.pathOf(L"patch\\") + szName;
    }
    CQBNWCharString journalPath() const
    {
        return CQBNWCharString(installed(kPatchJournalName).c_str());
    }
    // The library as the prepare step leaves it: its source's bytes read.
    PreparedLibrary prepared(const wchar_t* szName) const
    {
        PreparedLibrary library;
        library.source = CQBNWCharString(source(szName).c_str());
        library.target = CQBNWCharString(installed(szName).c_str());
        readFileBytes(library.source, library.bytes);
        return library;
    }
    int replace(const wchar_t* szName, CPatchInstallJournal& journal)
    {
        return replaceFile(prepared(szName), journal);
    }
    void expectUntouched(const std::string& backup = "<missing>")
    {
        EXPECT_EQ("old windows hook", readFile(installed(kWindowsHook)));
        EXPECT_EQ("old keyboard", readFile(installed(kKeyboardHook)));
        EXPECT_EQ(backup, readFile(installed(kWindowsHook) + L".bak"));
        EXPECT_FALSE(fileExists(installed(kKeyboardHook) + L".bak"));
        EXPECT_FALSE(fileExists(installed(kWindowsHook) + L".bak.old"));
        EXPECT_FALSE(fileExists(installed(kPatchJournalName)));
    }
};

TEST_F(PatchReplaceTest, FinishedReplacementKeepsBackupsOnly)
{
    ASSERT_TRUE(writeFile(installed(kWindowsHook) + L".bak", "older backup"));
    {
        CPatchInstallJournal journal(journalPath());
        EXPECT_NE(0, replace(kWindowsHook, journal));
        EXPECT_NE(0, replace(kKeyboardHook, journal));
        EXPECT_TRUE(journal.markCommitting());
        journal.finish();
    }
    EXPECT_EQ("new windows hook", readFile(installed(kWindowsHook)));
    EXPECT_EQ("new keyboard hook", readFile(installed(kKeyboardHook)));
    EXPECT_EQ("old windows hook", readFile(installed(kWindowsHook) + L".bak"));
    EXPECT_EQ("old keyboard", readFile(installed(kKeyboardHook) + L".bak"));
    EXPECT_FALSE(fileExists(installed(kWindowsHook) + L".bak.old"));
    EXPECT_FALSE(fileExists(installed(kPatchJournalName)));
    EXPECT_FALSE(fileExists(logPath()));
}

TEST_F(PatchReplaceTest, FailedCopyPutsEveryLibraryBack)
{
    DeleteFileW(source(kKeyboardHook).c_str());
    CPatchInstallJournal journal(journalPath());
    EXPECT_NE(0, replace(kWindowsHook, journal));
    EXPECT_EQ(0, replace(kKeyboardHook, journal));
    EXPECT_TRUE(journal.rollBack());
    expectUntouched();
    // The message first, then the line that names the library.
    EXPECT_EQ(
        kByteOrderMark +
            logEntry(tableString(IDS_INSTALL_FAILED) + L" User select: 1\r\n") +
            logEntry(lineOf(IDS_UPDATE_FILE_FAILED, installed(kKeyboardHook))),
        log());
}

// Each way a step can fail part-way: the set is put back as it was, an
// older backup included, and the journal is gone.
TEST_F(PatchReplaceTest, EveryFailedStepLeavesTheSetAsItWas)
{
    struct Case {
        const char* szWhat;
        DWORD dwShareOfHolder; // the keyboard hook held open so
        bool bDropSource;      // its source gone after the check
        bool bOlderBackup;
    };
    const Case cases[] = {
        {"held without sharing", 0, false, false},
        {"held, not to be moved", FILE_SHARE_READ | FILE_SHARE_WRITE, false,
         true},
        {"source deleted after the check", ~0u, true, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.szWhat);
        writeBothSets();
        if (test.bOlderBackup) {
            ASSERT_TRUE(
                writeFile(installed(kWindowsHook) + L".bak", "older backup"));
        }
        CPatchInstallJournal journal(journalPath());
        EXPECT_NE(0, replace(kWindowsHook, journal));
        const PreparedLibrary keyboard = prepared(kKeyboardHook);
        if (test.bDropSource)
            DeleteFileW(source(kKeyboardHook).c_str());
        CQBNUniqueKernelHandle held;
        if (test.dwShareOfHolder != ~0u)
            held.reset(CreateFileW(installed(kKeyboardHook).c_str(),
                                   GENERIC_READ, test.dwShareOfHolder, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
        EXPECT_EQ(0, replaceFile(keyboard, journal));
        EXPECT_TRUE(journal.rollBack());
        held.reset();
        expectUntouched(test.bOlderBackup ? "older backup" : "<missing>");
        DeleteFileW(installed(kWindowsHook + std::wstring(L".bak")).c_str());
        DeleteFileW(logPath().c_str());
    }
}

// What was checked is what is installed: a source swapped after its check
// changes nothing, and the copy carries none of the source's attributes.
TEST_F(PatchReplaceTest, CheckedBytesAreWhatIsInstalled)
{
    const PreparedLibrary keyboard = prepared(kKeyboardHook);
    ASSERT_TRUE(writeFile(source(kKeyboardHook), "another library"));
    SetFileAttributesW(source(kKeyboardHook).c_str(), FILE_ATTRIBUTE_READONLY);
    CPatchInstallJournal journal(journalPath());
    EXPECT_NE(0, replaceFile(keyboard, journal));
    EXPECT_EQ("new keyboard hook", readFile(installed(kKeyboardHook)));
    EXPECT_EQ(0u, GetFileAttributesW(installed(kKeyboardHook).c_str()) &
                      FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(source(kKeyboardHook).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(journal.rollBack());
}

TEST_F(PatchReplaceTest, LibraryThatDidNotExistIsRemovedAgain)
{
    DeleteFileW(installed(kKeyboardHook).c_str());
    DeleteFileW(source(kWindowsHook).c_str());
    CPatchInstallJournal journal(journalPath());
    EXPECT_NE(0, replace(kKeyboardHook, journal));
    EXPECT_EQ(0, replace(kWindowsHook, journal));
    EXPECT_TRUE(journal.rollBack());
    EXPECT_FALSE(fileExists(installed(kKeyboardHook)));
    EXPECT_FALSE(fileExists(installed(kKeyboardHook) + L".bak"));
}

// The run's own targets for the two 32-bit libraries, in the scratch
// product folder, installed and shipped as real libraries: recovery judges
// the disk by their bytes.
class PatchRecoveryTest : public PatchReplaceTest {
protected:
    void SetUp() override
    {
        PatchReplaceTest::SetUp();
        const HookFileSet files = everyHookFile(); // the x86 pair is last
        for (const HookFile* pFile = files.pFiles + 2;
             pFile != files.pFiles + files.ulCount; ++pFile) {
            m_targets.push_back({pFile, installed(pFile->szName).c_str()});
            copy(QBN_STANDINS_INSTALLED_DIR, pFile->szName, L"product\\");
            copy(QBN_STANDINS_PAYLOAD_DIR, pFile->szName, L"patch\\");
        }
    }
    static std::wstring standin(const wchar_t* szDir, const wchar_t* szName)
    {
        return std::wstring(szDir) + L"\\" + szName;
    }
    void copy(const wchar_t* szDir, const wchar_t* szName, const wchar_t* szTo)
    {
        ASSERT_TRUE(CopyFileW(
            standin(szDir, szName).c_str(),
            m_folder.pathOf(szTo + std::wstring(szName)).c_str(), FALSE));
    }
    bool recover()
    {
        return CPatchInstallJournal(journalPath()).recover(m_targets);
    }
    void expectInstalled(const std::string& backup)
    {
        for (const wchar_t* szName : {kWindowsHook, kKeyboardHook})
            EXPECT_EQ(readFile(standin(QBN_STANDINS_INSTALLED_DIR, szName)),
                      readFile(installed(szName)));
        EXPECT_EQ(backup, readFile(installed(kWindowsHook) + L".bak"));
    }

    std::vector<HookTarget> m_targets;
};

// A killed run's journal is recovered by the next run; putting back is
// repeatable, so the killed run's own roll-back running after it (as an
// unwinding run or a second interrupted recovery would) changes nothing,
// and the older backup never lands in the library's place.
TEST_F(PatchRecoveryTest, RecoveryFromTheDiskIsRepeatable)
{
    ASSERT_TRUE(writeFile(installed(kWindowsHook) + L".bak", "older backup"));
    auto killed = std::make_unique<CPatchInstallJournal>(journalPath());
    EXPECT_NE(0, replace(kWindowsHook, *killed));
    EXPECT_NE(0, replace(kKeyboardHook, *killed));
    EXPECT_TRUE(killed->markCommitting());
    // No patch record: the committed run had not finished.
    EXPECT_TRUE(recover());
    expectInstalled("older backup");
    EXPECT_FALSE(fileExists(installed(kPatchJournalName)));
    killed.reset();
    expectInstalled("older backup");
    EXPECT_TRUE(recover());
}

// Without a readable journal, a library holding this release's bytes can
// only be put back from a whole backup: without one nothing changes and the
// journal stays.
TEST_F(PatchRecoveryTest, UnreadableJournalWithoutWholeBackupChangesNothing)
{
    for (const char* szBackup : {"<missing>", "not a library"}) {
        copy(QBN_STANDINS_PAYLOAD_DIR, kWindowsHook, L"product\\");
        if (szBackup[0] != '<')
            writeFile(installed(kWindowsHook) + L".bak", szBackup);
        writeFile(installed(kPatchJournalName), "garbage");
        EXPECT_FALSE(recover());
        EXPECT_EQ(readFile(source(kWindowsHook)),
                  readFile(installed(kWindowsHook)));
        EXPECT_EQ(szBackup, readFile(installed(kWindowsHook) + L".bak"));
        EXPECT_TRUE(fileExists(installed(kPatchJournalName)));
    }
}

// ---- checking the libraries beside the program ----

std::string cutTo(const std::string& bytes, std::string::size_type size)
{
    return bytes.substr(0, size);
}

// Whole libraries for their own machine only: what a cut download, a text
// file or the other machine's library looks like is refused.
TEST_F(PatchCoreTest, OnlyWholeLibrariesOfTheirMachineAreImages)
{
    const std::string x86 = readFile(std::wstring(QBN_STANDINS_PAYLOAD_DIR) +
                                     L"\\qbnpwm_windows_hook.dll");
    const std::string x64 = readFile(std::wstring(QBN_STANDINS_PAYLOAD_DIR) +
                                     L"\\qbnpwm_windows_hook_x64.dll");
    ASSERT_GT(x86.size(), 1024u);
    const struct {
        const char* szWhat;
        std::string bytes;
        WORD wMachine;
        bool bImage;
    } cases[] = {
        {"x86 library", x86, IMAGE_FILE_MACHINE_I386, true},
        {"x64 library", x64, IMAGE_FILE_MACHINE_AMD64, true},
        {"x64 library as x86", x64, IMAGE_FILE_MACHINE_I386, false},
        {"x86 library as x64", x86, IMAGE_FILE_MACHINE_AMD64, false},
        {"last byte cut", cutTo(x86, x86.size() - 1), IMAGE_FILE_MACHINE_I386,
         false},
        {"headers only", cutTo(x86, 1024), IMAGE_FILE_MACHINE_I386, false},
        {"empty", "", IMAGE_FILE_MACHINE_I386, false},
        {"text", "MZ is not enough", IMAGE_FILE_MACHINE_I386, false},
        {"a program", readFile(programPath()), IMAGE_FILE_MACHINE_I386, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.szWhat);
        EXPECT_EQ(
            test.bImage,
            isWholeLibraryImage(qbntest::bufferOf(test.bytes), test.wMachine));
    }
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
    const std::vector<std::string> names =
        qbntest::CPeImage(qbntest::readFileBytes(path)).importedDllNames();
    ASSERT_FALSE(names.empty()) << "cannot read the patch program";
    for (const std::string& name : names)
        EXPECT_TRUE(isSystemOnlyLibrary(name.c_str())) << name;
}

std::wstring failureEventMessageOf(HMODULE hModule)
{
    wchar_t szText[300] = {};
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, hModule,
        IDS_INSTALL_FAILED, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
        szText, ARRAYSIZE(szText), nullptr);
    return std::wstring(szText, length);
}

// Event Viewer formats the patch's events from the program's own image;
// the resources test proves the texts in every language.
TEST(PatchProgramImage, CarriesTheEventMessages)
{
    const CQBNUniqueModule program(LoadLibraryExW(
        patchProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(program.isValid());
    const std::wstring text = failureEventMessageOf(program.get());
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(failureEventMessageOf(GetModuleHandleW(nullptr)), text);
}

} // namespace

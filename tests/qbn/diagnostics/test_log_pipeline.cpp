// The logging pipeline end to end: configuration values in the real
// registry, the filter, and the UTF-16 text log read back from disk. Runs in
// a private prefix, since the configuration key is machine-wide.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "qbn_buffer.h"
#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_log_config.h"
#include "qbn_log_line.h"
#include "qbn_log_outputs.h"
#include "qbn_message_box.h"
#include "qbn_method_trace.h"
#include "qbn_registry_dword.h"
#include "qbn_registry_key.h"
#include "qbn_simple_log.h"
#include "qbn_traced_method.h"
#include "support/pe_file.h"
#include "support/scratch_folder.h"
#include "support/scratch_key.h"

namespace {

const wchar_t kLogsKey[] = L"SOFTWARE\\Ostrel\\Logs";
const wchar_t kModule[] = L"log_pipeline";

std::wstring tempFolder()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    return std::wstring(szTemp) + L"qbnlog" +
           std::to_wstring(GetCurrentProcessId()) + L"\\";
}

// The folder is named with its trailing backslash.
void deleteFolder(const std::wstring& folder)
{
    qbn_test::removeTree(folder.substr(0, folder.size() - 1));
}

// The configuration key, cleared before and after every test.
class LogPipeline : public ::testing::Test {
protected:
    void SetUp() override
    {
        qbntest::deleteTree(HKEY_LOCAL_MACHINE, kLogsKey);
        qbntest::makeKey(HKEY_LOCAL_MACHINE, kLogsKey);
        m_folder = tempFolder();
        m_logPath = m_folder + L"pipeline.log";
        deleteFolder(m_folder);
        CQBNLoggingOutputText::bytesWritten = 0;
        CQBNLoggingOutputText::rotatedCount = 0;
        MaxLogFileNum = 1;
        MaxLogFileSize = 10240;
    }
    void TearDown() override
    {
        qbntest::deleteTree(HKEY_LOCAL_MACHINE, kLogsKey);
        deleteFolder(m_folder);
    }

    void setDword(const wchar_t* szName, DWORD dwValue)
    {
        qbntest::putValue(HKEY_LOCAL_MACHINE, kLogsKey, szName, REG_DWORD,
                          &dwValue, sizeof(dwValue));
    }
    void setText(const wchar_t* szName, const std::wstring& text)
    {
        qbntest::putText(HKEY_LOCAL_MACHINE, kLogsKey, szName, text);
    }
    void enableTextLog()
    {
        setDword(L"Logging", 1);
        setText(L"TextOutput", m_logPath);
    }

    // The log's lines with their time stamps replaced by "<TS>", after
    // checking that the file is UTF-16LE with one byte-order mark.
    std::vector<std::wstring> lines(const std::wstring& path)
    {
        std::vector<std::wstring> result;
        const std::string bytes = qbntest::readFileBytes(path);
        if (bytes.empty())
            return result;
        std::wstring all(reinterpret_cast<const wchar_t*>(bytes.data()),
                         bytes.size() / sizeof(wchar_t));
        EXPECT_EQ(0xFEFF, all[0]) << "byte-order mark";
        all.erase(0, 1);
        const std::wregex stamp(
            L"^<[A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:"
            L"[0-5][0-9] [0-9]{4}>: ");
        size_t start = 0;
        for (size_t end; (end = all.find(L"\r\n", start)) != std::wstring::npos;
             start = end + 2) {
            const std::wstring line = all.substr(start, end - start);
            EXPECT_TRUE(std::regex_search(line, stamp)) << line;
            result.push_back(L"<TS>: " + line.substr(28));
        }
        EXPECT_EQ(all.size(), start) << "text after the last line break";
        return result;
    }
    std::vector<std::wstring> lines() { return lines(m_logPath); }
    // The simple line a notification of the text "Done" leaves, alone.
    void expectOnlyTheNotificationOfDone()
    {
        const std::vector<std::wstring> written = lines();
        ASSERT_EQ(1u, written.size());
        EXPECT_EQ(std::wstring(L"<TS>: <NOTIFICATION> <") + kModule +
                      L"> \"Message Box displayed: Done\" ",
                  written[0]);
    }

    std::wstring m_folder;
    std::wstring m_logPath;
};

const wchar_t kSource[] = L".\\qbn_registry_key.cpp";

void raiseCreateFailure()
{
    CQBNRegKeyCreateException(L"SOFTWARE\\Ostrel\\X", 5, L"CQBNRegistryKey",
                              L"create", kSource, 410);
}

// ---- the master switch and the text output target ----

TEST_F(LogPipeline, NothingWithoutTheMasterSwitch)
{
    setText(L"TextOutput", m_logPath);
    CQBNBadArgException entry(L"a", L"b", kSource, 1);
    EXPECT_FALSE(entry.isLogged());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(m_logPath.c_str()));
}

TEST_F(LogPipeline, DetailedLinesMatchTheLayoutByResultType)
{
    enableTextLog();
    raiseCreateFailure();
    CQBNRegEnumKeyException(L"K", 0x103, L"CQBNRegistrykey", L"enumSubKeys",
                            kSource, 7);
    CQBNRegKeyInitException(kSource, 0);
    CQBNRegCloseKeyWarning(L"K", 6, nullptr, L"close", nullptr, 9);
    const std::wstring bad = std::wstring(L"<TS>: <EXCEPTION_BAD> <") + kModule;
    const std::vector<std::wstring> expected = {
        bad + L"> <CQBNRegistryKey::create> \"Unable to create registry key ( "
              L"\"SOFTWARE\\Ostrel\\X\" )\" <qbn_registry_key.cpp, 410> ",
        bad + L"> <CQBNRegistrykey::enumSubKeys> \"Unable to enumerate subkeys "
              L"from key ( \"K\" )\" <Error: 0x00000103> "
              L"<qbn_registry_key.cpp, 7> ",
        bad + L"> \"CQBNRegistryKey object failed to initialize\" "
              L"<qbn_registry_key.cpp>",
        std::wstring(L"<TS>: <WARNING> <") + kModule +
            L"> <::close> \"Unable to close registry key ( K )\" "
            L"<Error: 0x00000006> <9> ",
    };
    EXPECT_EQ(expected, lines());
}

TEST_F(LogPipeline, NotificationUsesTheSimpleLine)
{
    enableTextLog();
    CLogNotification hidden(L"Done", loText, false);
    EXPECT_FALSE(hidden.isLogged()) << "notifications are off by default";
    setDword(L"LogDetail", 0x9B);
    CLogNotification note(L"Done", loText, false);
    EXPECT_TRUE(note.isLogged());
    expectOnlyTheNotificationOfDone();
}

// Every box leaves a notification, shown or not: here the owner window does
// not exist, so no display is needed and the box cannot appear.
TEST_F(LogPipeline, MessageBoxWritesItsNotification)
{
    enableTextLog();
    setDword(L"LogDetail", 0x9B);
    CQBNMessageBox box(reinterpret_cast<HWND>(0x7FFF0), L"Caption", L"Done",
                       CQBNFlags(MB_OK));
    EXPECT_FALSE(box.showMessageBox());
    expectOnlyTheNotificationOfDone();
}

TEST_F(LogPipeline, TargetsWithoutDriveLetterOrTerminatorWriteNothing)
{
    enableTextLog();
    setText(L"TextOutput", L"pipeline.log");
    CQBNBadArgException relative(L"a", L"b", kSource, 1);
    EXPECT_FALSE(relative.isLogged());

    // 128 characters fill the 256-byte read without room for a terminator.
    setText(L"TextOutput", L"C:\\" + std::wstring(125, L'x'));
    CQBNBadArgException unterminated(L"a", L"b", kSource, 1);
    EXPECT_FALSE(unterminated.isLogged());

    // 127 characters still fit.
    const std::wstring longest =
        m_folder + std::wstring(127 - m_folder.size(), L'y');
    setText(L"TextOutput", longest);
    CQBNBadArgException fits(L"a", L"b", kSource, 1);
    EXPECT_TRUE(fits.isLogged());
    EXPECT_EQ(1u, lines(longest).size());
}

TEST_F(LogPipeline, LastErrorSurvivesAWrite)
{
    enableTextLog();
    SetLastError(ERROR_INVALID_DATA);
    raiseCreateFailure();
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    EXPECT_EQ(1u, lines().size());
}

// ---- levels, exit filters, allow and exclude lists, the override ----

TEST_F(LogPipeline, DefaultDetailPassesFailuresOnly)
{
    enableTextLog();
    CQBNLogDebug(L"debug note", loText, true, false);
    CQBNGetPolicySettingWarning(3, kSource, 1);
    {
        CQBNMethodTrace trace(L"C", L"m", kSource, 1, loText, true, true);
        trace.setResult(rtBoolean, false);
    }
    const std::vector<std::wstring> written = lines();
    ASSERT_EQ(1u, written.size());
    EXPECT_NE(std::wstring::npos, written[0].find(L"<WARNING>"));
}

TEST_F(LogPipeline, ExitFilterKeepsOnlyFailedBooleanExits)
{
    enableTextLog();
    setDword(L"LogDetail", 0x2300);
    {
        CQBNMethodTrace passed(L"C", L"passes", kSource, 11, loText, true,
                               true);
        passed.setResult(rtBoolean, true);
    }
    {
        CQBNMethodTrace failed(L"C", L"fails", kSource, 12, loText, true, true);
        failed.setResult(rtBoolean, false);
    }
    {
        CQBNMethodTrace compared(L"C", L"compares", kSource, 13, loText, true,
                                 true);
        compared.setResult(rtLogical, false);
    }
    const std::vector<std::wstring> written = lines();
    ASSERT_EQ(4u, written.size());
    EXPECT_EQ(std::wstring(L"<TS>: <ENTRY> <") + kModule +
                  L"> <C::passes> <qbn_registry_key.cpp, 11> ",
              written[0]);
    EXPECT_NE(std::wstring::npos, written[1].find(L"<ENTRY>"));
    EXPECT_EQ(std::wstring(L"<TS>: <EXIT> <") + kModule +
                  L"> <C::fails> <Failed> <qbn_registry_key.cpp, 12> ",
              written[2]);
    EXPECT_NE(std::wstring::npos, written[3].find(L"<C::compares>"));
}

TEST_F(LogPipeline, ExitRecordsWithoutFiltersShowTheirOutcome)
{
    enableTextLog();
    setDword(L"LogDetail", 0x0300);
    {
        CQBNMethodTrace compared(L"C", L"eq", kSource, 5, loText, true, true);
        compared.setResult(rtLogical, false);
    }
    const std::vector<std::wstring> written = lines();
    ASSERT_EQ(2u, written.size());
    EXPECT_NE(std::wstring::npos,
              written[1].find(L"<C::eq> <Failed Logical Result> "));
}

TEST_F(LogPipeline, AllowAndExcludeListsMatchClassNamesAsSubstrings)
{
    enableTextLog();
    setText(L"AllowObjects", L"CQBNIni");
    raiseCreateFailure();
    CQBNBadArgException classless(L"a", L"b", kSource, 1);
    EXPECT_TRUE(classless.isLogged());
    EXPECT_EQ(1u, lines().size());

    // Each list alone in turn; the key's class name is CQBNRegistryKey.
    const struct {
        const wchar_t* list;
        const wchar_t* classes;
        bool written;
    } steps[] = {{L"AllowObjects", L"CQBNIni, CQBNRegistryKey", true},
                 {L"AllowObjects", L"CQBNRegistry", true},
                 {L"ExcludeObjects", L"CQBNRegistry", false},
                 {L"ExcludeObjects", L"CQBNIni", true}};
    size_t expected = lines().size();
    for (const auto& step : steps) {
        for (const wchar_t* list : {L"AllowObjects", L"ExcludeObjects"})
            qbntest::deleteValue(HKEY_LOCAL_MACHINE, kLogsKey, list);
        setText(step.list, step.classes);
        raiseCreateFailure();
        expected += step.written ? 1 : 0;
        EXPECT_EQ(expected, lines().size())
            << step.list << L"=" << step.classes;
    }
}

TEST_F(LogPipeline, ProgramOverrideLetsEverythingThrough)
{
    enableTextLog();
    setText(kModule, L"1,0,x");
    CQBNLogDebug debug(L"debug note", loText, true, false);
    EXPECT_TRUE(debug.isLogged());
    EXPECT_EQ(0u, debug.getDetail());
    {
        CQBNMethodTrace trace(L"C", L"m", kSource, 1, loText, true, true);
    }
    EXPECT_EQ(3u, lines().size());

    // An override naming no text output sends the entry nowhere.
    setText(kModule, L"2,27,c:\\x.log");
    CQBNLogDebug elsewhere(L"debug note", loText, true, false);
    EXPECT_FALSE(elsewhere.isLogged());
    EXPECT_EQ(2u, elsewhere.getOutputs());
    EXPECT_EQ(27u, elsewhere.getDetail());
}

// ---- the catch discipline writes what was not written ----

TEST_F(LogPipeline, CatchBoundaryWritesUnloggedAndForeignFailures)
{
    enableTextLog();
    qbnGuard(false, esLastError, kSource, 21, []() -> bool {
        throw CQBNBadArgException(L"late", L"written by the handler", kSource,
                                  20, loText, false);
    });
    qbnGuard(false, esLastError, kSource, 22, []() -> bool { throw 1; });
    CQBNBuffer<unsigned char> bytes(2);
    EXPECT_FALSE(bytes.appendAt(CQBNBuffer<unsigned char>(1), 3));
    const std::vector<std::wstring> written = lines();
    ASSERT_EQ(3u, written.size());
    EXPECT_NE(std::wstring::npos,
              written[0].find(L"\"A bad argument was provided ( late ). "
                              L"written by the handler\""));
    EXPECT_NE(std::wstring::npos,
              written[1].find(L"\"An unhandled exception occurred\""));
    EXPECT_NE(std::wstring::npos,
              written[2].find(L"\"A bad argument was provided ( ulOffset ). "
                              L"can't append a buffer at an offset past the "
                              L"bounds of this buffer\" <qbn_buffer.h, "));
}

// ---- dynamic logging and rotation ----

TEST_F(LogPipeline, DynamicLoggingIsOnOnlyForOne)
{
    setDword(L"DynamicLogging", 2);
    EXPECT_TRUE(decideDynamicLogging());
    EXPECT_EQ(static_cast<unsigned long>(dlOff), DynamicLoggingState);
    setDword(L"DynamicLogging", 1);
    EXPECT_TRUE(decideDynamicLogging());
    EXPECT_EQ(static_cast<unsigned long>(dlOn), DynamicLoggingState);
    DynamicLoggingState = dlOff;
}

TEST_F(LogPipeline, LimitsAreReadOnlyWithDynamicLogging)
{
    setDword(L"MaxLogFileNum", 5);
    EXPECT_FALSE(decideDynamicLogging());
    EXPECT_EQ(1u, MaxLogFileNum);
    setDword(L"DynamicLogging", 0);
    setDword(L"MaxLogFileSize", 7);
    EXPECT_TRUE(decideDynamicLogging());
    EXPECT_EQ(5u, MaxLogFileNum);
    EXPECT_EQ(7u, MaxLogFileSize);
    DynamicLoggingState = dlOff;
}

TEST_F(LogPipeline, RotationKeepsAtMostMaxLogFileNumCopies)
{
    enableTextLog();
    MaxLogFileSize = 1;
    MaxLogFileNum = 2;
    const std::wstring first = m_logPath + L".1";
    const std::wstring second = m_logPath + L".2";
    auto overflow = [&]() {
        const long lBefore = CQBNLoggingOutputText::rotatedCount;
        while (CQBNLoggingOutputText::rotatedCount == lBefore)
            raiseCreateFailure();
    };
    overflow();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(first.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(m_logPath.c_str()));
    const size_t firstLines = lines(first).size();
    EXPECT_GT(firstLines * 200, 1024u);

    raiseCreateFailure();
    EXPECT_EQ(1u, lines().size()) << "a new log with its own mark";

    overflow();
    EXPECT_EQ(firstLines, lines(second).size());
    overflow();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(second.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW((m_logPath + L".3").c_str()));
}

// ---- the frames of the library's own methods, as their traces show ----

// Dynamic logging on, every level written; the state is the process's own.
class TracedMethods : public LogPipeline {
protected:
    void SetUp() override
    {
        LogPipeline::SetUp();
        enableTextLog();
        setDword(L"LogDetail", 0x0FFF);
        DynamicLoggingState = dlOn;
    }
    void TearDown() override
    {
        DynamicLoggingState = dlOff;
        LogPipeline::TearDown();
    }

    // "<Class::method>" of every ENTRY record, in order.
    std::vector<std::wstring> entries()
    {
        std::vector<std::wstring> names;
        const std::wregex entry(L"<ENTRY> <[^>]*> (<[^>]*>)");
        std::wsmatch match;
        for (const std::wstring& line : lines())
            if (std::regex_search(line, match, entry))
                names.push_back(match[1]);
        return names;
    }
};

TEST_F(TracedMethods, FrameAnswersAndRecordsWhatTheBodyDid)
{
    struct Case {
        const wchar_t* szName;
        std::function<bool()> body;
        unsigned long ulResultType;
        const wchar_t* szExit;
        // The failure written between ENTRY and EXIT, where it says it
        // happened included; null for none.
        const wchar_t* szBetween;
    };
    const Case cases[] = {
        {L"passes", [] { return true; }, rtBoolean, L"<Passed> ", nullptr},
        {L"refuses",
         []() -> bool {
             throw CQBNBadArgException(L"late", L"unwritten", kSource, 30,
                                       loText, false);
         },
         rtBoolean, L"<Failed> ",
         L"\\( late \\)\\. unwritten\" <qbn_registry_key\\.cpp, 30> $"},
        {L"breaks", []() -> bool { throw 1; }, rtLogical,
         L"<Failed Logical Result> ",
         L"\"An unhandled exception occurred\" .*<qbn_registry_key\\.cpp, 40> "
         L"$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.szName);
        deleteFolder(m_folder);
        const CQBNMethodSite site = {L"C", c.szName, kSource, 40};
        EXPECT_EQ(c.szBetween == nullptr,
                  qbnTracedMethod(site, esLastError, c.ulResultType, c.body));
        const std::vector<std::wstring> written = lines();
        ASSERT_EQ(c.szBetween != nullptr ? 3u : 2u, written.size());
        const std::wstring origin = std::wstring(L"<C::") + c.szName + L"> ";
        const std::wstring at = L"<qbn_registry_key.cpp, 40> ";
        EXPECT_EQ(L"<TS>: <ENTRY> <" + std::wstring(kModule) + L"> " + origin +
                      at,
                  written.front());
        if (c.szBetween != nullptr) {
            EXPECT_TRUE(std::regex_search(written[1], std::wregex(c.szBetween)))
                << written[1];
        }
        EXPECT_EQ(L"<TS>: <EXIT> <" + std::wstring(kModule) + L"> " + origin +
                      c.szExit + at,
                  written.back());
    }
}

// Which keys are closed after a key's or a value's registry call shows in
// the open and close traces: a key's own calls close it always, a value's
// transfers only a key they opened themselves, never a lent handle.
TEST_F(TracedMethods, KeysAreClosedAfterTheirCallsOnEveryPath)
{
    const qbntest::ScratchKey scratch;
    const std::wstring& path = scratch.path();
    const std::wstring missing = scratch.sub(L"Missing");
    const DWORD dwOne = 1;
    qbntest::putValue(HKEY_CURRENT_USER, path, L"One", REG_DWORD, &dwOne,
                      sizeof(dwOne));
    CQBNUniqueRegKey lent;
    ASSERT_EQ(ERROR_SUCCESS,
              qbntest::createKey(HKEY_CURRENT_USER, path, 0, lent));
    const std::wstring kOpen = L"<CQBNRegistryKey::open>";
    const std::wstring kClose = L"<CQBNRegistryKey::close>";
    auto measureKey = [](const std::wstring& keyPath) {
        CQBNRegistryKey key(HKEY_CURRENT_USER, CQBNWCharString(keyPath.c_str()),
                            kQbnKeyReadWrite, false, 0);
        unsigned long ulLength = 0;
        return key.getMaxValueNameLen(ulLength);
    };
    auto dwordAt = [](const std::wstring& keyPath) {
        return CQBNRegistryDword(
            HKEY_CURRENT_USER, CQBNWCharString(keyPath.c_str()),
            CQBNWCharString(L"One"), kQbnKeyReadWrite, false, 0);
    };
    struct Case {
        const char* szWhat;
        std::function<bool()> call;
        bool bAnswer;
        std::vector<std::wstring> traced;
    };
    const Case cases[] = {
        {"key information",
         [&] { return measureKey(path); },
         true,
         {kOpen, kClose}},
        {"information of a missing key",
         [&] { return measureKey(missing); },
         false,
         {kOpen, kClose}},
        {"value read",
         [&] { return dwordAt(path).readRegistry(); },
         true,
         {kOpen, kClose}},
        {"value read of a missing key",
         [&] { return dwordAt(missing).readRegistry(); },
         false,
         {kOpen}},
        {"value written through a lent handle",
         [&] { return dwordAt(path).writeThrough(lent.get()); },
         true,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szWhat);
        deleteFolder(m_folder);
        EXPECT_EQ(c.bAnswer, c.call());
        EXPECT_EQ(c.traced, entries());
    }
}

// ---- the program's own path ----

// Runs a copy of this test program from `folder` with only the child test
// selected; the child writes one entry under the current configuration.
DWORD runChildCopyFrom(const std::wstring& folder)
{
    wchar_t szSelf[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szSelf, MAX_PATH);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\log_pipeline.exe";
    if (!CopyFileW(szSelf, copy.c_str(), FALSE))
        return GetLastError();
    std::wstring commandLine =
        L"\"" + copy + L"\" --gtest_filter=LogChild.WritesOneEntry";
    SetEnvironmentVariableW(L"QBN_LOG_CHILD", L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    DWORD dwExit = 0xFFFFFFFF;
    if (CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                       0, nullptr, nullptr, &startup, &process)) {
        const CQBNUniqueKernelHandle child(process.hProcess);
        const CQBNUniqueKernelHandle thread(process.hThread);
        WaitForSingleObject(child.get(), 60000);
        GetExitCodeProcess(child.get(), &dwExit);
    }
    SetEnvironmentVariableW(L"QBN_LOG_CHILD", nullptr);
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return dwExit;
}

TEST(LogChild, WritesOneEntry)
{
    if (GetEnvironmentVariableW(L"QBN_LOG_CHILD", nullptr, 0) == 0)
        GTEST_SKIP() << "runs only as the child of ProgramPathOf128OrMore";
    raiseCreateFailure();
}

// The filter's module-name buffer holds 128 characters; a program whose full
// path is longer is refused rather than filed under a cut-off name.
TEST_F(LogPipeline, ProgramPathOf128OrMoreWritesNothing)
{
    enableTextLog();
    CreateDirectoryW(m_folder.c_str(), nullptr);
    const std::wstring shortFolder = m_folder + L"short";
    ASSERT_EQ(0u, runChildCopyFrom(shortFolder));
    EXPECT_EQ(1u, lines().size());

    // "\\log_pipeline.exe" is 17 characters: this folder makes 130 in all.
    std::wstring longFolder = m_folder;
    longFolder += std::wstring(130 - 17 - longFolder.size(), L'p');
    ASSERT_EQ(130u, longFolder.size() + 17);
    ASSERT_EQ(0u, runChildCopyFrom(longFolder));
    EXPECT_EQ(1u, lines().size());
}

// ---- layout details that need no file ----

TEST(LogLine, TimestampHasTheCtimeLayout)
{
    const std::wstring stamp = qbnLogTimestamp();
    ASSERT_EQ(24u, stamp.size());
    EXPECT_TRUE(std::regex_match(
        stamp, std::wregex(L"[A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3][0-9] "
                           L"[0-2][0-9]:[0-5][0-9]:[0-5][0-9] [0-9]{4}")))
        << stamp;
}

TEST(LogLine, SimpleResultTextsDifferFromDetailed)
{
    CQBNLogRecord record;
    record.level = llExit;
    record.resultType = rtLogical;
    record.result = 0;
    const std::wstring simple = qbnSimpleLogLine(record);
    EXPECT_EQ(L"<Failed Comparison>\r\n", simple.substr(simple.size() - 21));
    record.resultType = rtReturnCode;
    record.result = 0x1F;
    const std::wstring code = qbnDetailedLogLine(record);
    EXPECT_NE(std::wstring::npos, code.find(L"<Return Code: 0x0000001f> "));
    record.level = 0x8000;
    EXPECT_NE(std::wstring::npos,
              qbnDetailedLogLine(record).find(L"<UNSPECIFIED> "));
}

} // namespace

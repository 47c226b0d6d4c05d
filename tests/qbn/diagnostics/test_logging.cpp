// Log entries as exceptions: message texts, levels, results, the catch
// discipline and the promise that logging never disturbs GetLastError.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_simple_log.h"

namespace {

const wchar_t kSource[] = L".\\test_logging.cpp";

std::wstring messageOf(const CQBNDetailedLog& entry)
{
    return entry.getMessage() != nullptr ? entry.getMessage() : L"";
}

// ---- messages and records of the exception table ----

TEST(LogExceptionTable, FormatsMessagesWithTheirArguments)
{
    EXPECT_EQ(L"A bad argument was provided ( ulPos ). position is out of "
              L"string bounds",
              messageOf(CQBNBadArgException(
                  L"ulPos", L"position is out of string bounds", kSource, 1)));
    EXPECT_EQ(L"Unable to Set registry value ( \"SOFTWARE\\Ostrel\\Version\" )",
              messageOf(CQBNRegValueSetException(
                  L"SOFTWARE\\Ostrel", L"Version", 5, L"C", L"m", kSource, 1)));
    EXPECT_EQ(L"Unable to create registry key ( \"SOFTWARE\\Ostrel\\X\" )",
              messageOf(CQBNRegKeyCreateException(L"SOFTWARE\\Ostrel\\X", 5,
                                                  L"CQBNRegistryKey", L"create",
                                                  kSource, 410)));
    EXPECT_EQ(L"Unable to load string ( ID: 1180 ) from resource DLL ( "
              L"Unknown resource DLL )",
              messageOf(CQBNLoadStringException(1180, L"", 0, kSource, 1)));
    EXPECT_EQ(L"Could not find policy setting with ID ( 42 )",
              messageOf(CQBNGetPolicySettingWarning(42, kSource, 1)));
    EXPECT_EQ(
        L"LookupPrivilegeValue call failed for privilege:SeBackupPrivilege",
        messageOf(CQBNLookupPrivilegeValueException(L"SeBackupPrivilege", 1313,
                                                    kSource, 1)));
}

TEST(LogExceptionTable, AbsentArgumentsPrintAsUnknown)
{
    EXPECT_EQ(L"Unable to allocate memory ( Unknown )",
              messageOf(CQBNMemAllocException(nullptr, kSource, 1)));
    EXPECT_EQ(
        L"A bad argument was provided ( Unknown ). value is NULL",
        messageOf(CQBNBadArgException(nullptr, L"value is NULL", kSource, 1)));
    EXPECT_EQ(L"Unable to write profile string ( section: Unknown, key name: "
              L"Unknown )",
              messageOf(CQBNWritePrivateProfileStringException(nullptr, nullptr,
                                                               5, kSource, 1)));
}

TEST(LogExceptionTable, ShellFolderReasonFollowsTheErrorCode)
{
    const std::wstring head = L"Unable to obtain Windows shell folder path for "
                              L"folder ( \"Data\" ).  ";
    EXPECT_EQ(head + L"Shell folder does not exist.",
              messageOf(CQBNSIgetStoragePathException(L"Data", 0x80070057, L"C",
                                                      L"m", kSource, 1)));
    EXPECT_EQ(head + L"Path does not exist.",
              messageOf(CQBNSIgetStoragePathException(L"Data", 0x80004005, L"C",
                                                      L"m", kSource, 1)));
    EXPECT_EQ(head + L"Path does not exist.",
              messageOf(CQBNSIgetStoragePathException(L"Data", 1, L"C", L"m",
                                                      kSource, 1)));
    EXPECT_EQ(head + L"Shell folder error -2147024894.",
              messageOf(CQBNSIgetStoragePathException(L"Data", 0x80070002, L"C",
                                                      L"m", kSource, 1)));
}

TEST(LogExceptionTable, LevelsResultsAndResultTypes)
{
    const CQBNRegKeyInitException init(kSource, 7);
    EXPECT_EQ(llExceptionBad, init.getRecord().level);
    EXPECT_EQ(0xFFFFFFFFul, init.getRecord().result);
    EXPECT_EQ(rtErrorCode, init.getRecord().resultType);
    EXPECT_EQ(7ul, init.getRecord().line);
    EXPECT_STREQ(kSource, init.getRecord().sourceFile);
    EXPECT_EQ(nullptr, init.getRecord().className);

    const CQBNRegCloseKeyWarning close(L"K", 6, L"CQBNRegistryKey", L"close",
                                       kSource, 1);
    EXPECT_EQ(llWarning, close.getRecord().level);
    EXPECT_EQ(6ul, close.getRecord().result);
    EXPECT_STREQ(L"CQBNRegistryKey", close.getRecord().className);
    EXPECT_STREQ(L"close", close.getRecord().methodName);

    const CQBNRegKeyAlreadyOpenWarning open(L"K", L"C", L"m", kSource, 1);
    EXPECT_EQ(rtBoolean, open.getRecord().resultType);
    EXPECT_EQ(0xFFFFFFFFul, open.getRecord().result);

    const CQBNRegSaveKeyException save(L"K", 5, L"C", L"m", kSource, 1);
    EXPECT_EQ(rtBoolean, save.getRecord().resultType);
    EXPECT_EQ(0ul,
              CQBNBadArgException(L"a", L"b", kSource, 1).getRecord().result);

    const CQBNLogException1 direct(L"GetPrivateProfileInt( ) failed.", 2,
                                   kSource, 1);
    EXPECT_EQ(L"GetPrivateProfileInt( ) failed.", messageOf(direct));
    EXPECT_EQ(2ul, direct.getRecord().result);
}

TEST(LogExceptionTable, LevelNamesCoverTheTableAndNothingElse)
{
    EXPECT_STREQ(L"EXCEPTION_BAD", qbnLevelName(llExceptionBad));
    EXPECT_STREQ(L"NOTIFICATION", qbnLevelName(llNotification));
    EXPECT_STREQ(L"EXIT", qbnLevelName(llExit));
    EXPECT_STREQ(L"FAILURE", qbnLevelName(llFailure));
    EXPECT_STREQ(L"UNSPECIFIED", qbnLevelName(0));
    EXPECT_STREQ(L"UNSPECIFIED", qbnLevelName(llError | llWarning));
}

TEST(LogExceptionTable, OverlongArgumentsAreCutAtTheMessageLimit)
{
    const std::wstring huge(5000, L'k');
    const CQBNRegEnumKeyException entry(huge.c_str(), 5, L"C", L"m", kSource,
                                        1);
    const std::wstring message = messageOf(entry);
    EXPECT_LE(message.size(), 1024u);
    EXPECT_EQ(0u,
              message.find(L"Unable to enumerate subkeys from key ( \"kkk"));
}

// ---- records ----

TEST(LogRecord, CopiesOwnTheirTexts)
{
    CQBNLogRecord original;
    ASSERT_TRUE(CQBNLogRecord::setText(original.message, L"hello"));
    CQBNLogRecord copy(original);
    ASSERT_NE(original.message, copy.message);
    CQBNLogRecord::setText(original.message, L"changed");
    EXPECT_STREQ(L"hello", copy.message);
}

TEST(LogRecord, TextRules)
{
    CQBNLogRecord record;
    EXPECT_TRUE(CQBNLogRecord::setText(record.className, nullptr));
    EXPECT_EQ(nullptr, record.className);
    EXPECT_FALSE(CQBNLogRecord::setText(record.className, L""));
    EXPECT_EQ(nullptr, record.className);
    EXPECT_EQ(rtBoolean, record.resultType);
    EXPECT_EQ(0ul, record.result);
}

// ---- writing, with logging switched off as it is without configuration ----

TEST(LogWriting, NothingIsWrittenWithoutTheMasterSwitch)
{
    CQBNBadArgException entry(L"a", L"b", kSource, 1);
    EXPECT_FALSE(entry.isLogged());
    EXPECT_FALSE(entry.log());
    EXPECT_FALSE(entry.isLogged());
    EXPECT_EQ(0u, entry.getDetail());
}

TEST(LogWriting, LastErrorSurvivesConstructionAndLog)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    CQBNRegKeyCreateException entry(L"K", 5, L"C", L"m", kSource, 1);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(ERROR_ACCESS_DENIED);
    entry.log();
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    SetLastError(1234);
    {
        CLogNotification note(L"Done", loText, true);
    }
    EXPECT_EQ(1234u, GetLastError());
}

TEST(LogWriting, NotificationCarriesTheBoxText)
{
    const CLogNotification note(L"Done", loText, false);
    EXPECT_STREQ(L"Message Box displayed: Done", note.getRecord().message);
    EXPECT_EQ(llNotification, note.getRecord().level);
    EXPECT_EQ(rtErrorCode, note.getRecord().resultType);
    EXPECT_EQ(nullptr, note.getRecord().className);
}

// ---- the catch discipline ----

TEST(CatchDiscipline, LogFamilyFailuresBecomeTheFailureValue)
{
    const int result = qbnGuard(-1, esErrno, kSource, 1, []() -> int {
        throw CQBNBadArgException(L"x", L"y", kSource, 2);
    });
    EXPECT_EQ(-1, result);
}

TEST(CatchDiscipline, ForeignExceptionsAreContainedToo)
{
    EXPECT_EQ(-1,
              qbnGuard(-1, esLastError, kSource, 1, []() -> int { throw 42; }));
    EXPECT_EQ(7, qbnGuard(-1, esErrno, kSource, 1, []() { return 7; }));
}

TEST(CatchDiscipline, ThrownEntriesKeepTheirRecordWhenCaught)
{
    try {
        throw CQBNRegEnumValueException(L"K", 259, L"CQBNRegistryKey",
                                        L"enumValues", kSource, 3);
    } catch (CQBNLogging& caught) {
        const CQBNDetailedLog& entry = dynamic_cast<CQBNDetailedLog&>(caught);
        EXPECT_EQ(259ul, entry.getRecord().result);
        EXPECT_EQ(L"Unable to enumerate values from key ( \"K\" )",
                  messageOf(entry));
    }
}

// ---- tracing ----

TEST(MethodTrace, OffMeansNoTraceObjects)
{
    const unsigned long saved = DynamicLoggingState;
    DynamicLoggingState = dlOff;
    CQBNTraceScope scope(L"CQBNFlags", L"hasFlags", kSource, 1);
    EXPECT_FALSE(scope.isTracing());
    EXPECT_TRUE(scope.finish(true));
    EXPECT_FALSE(scope.finish(false));
    DynamicLoggingState = saved;
}

TEST(MethodTrace, UndecidedIsDecidedOnceOnFirstUse)
{
    const unsigned long saved = DynamicLoggingState;
    DynamicLoggingState = dlUndecided;
    CQBNTraceScope scope(L"CQBNFlags", L"hasFlags", kSource, 1);
    // No configuration key in a scratch prefix: tracing stays off.
    EXPECT_EQ(static_cast<unsigned long>(dlOff), DynamicLoggingState);
    DynamicLoggingState = saved;
}

TEST(MethodTrace, OnWithoutMasterSwitchHoldsNoEntry)
{
    CQBNMethodTrace trace(L"CQBNWCharString", L"beginsWith", kSource, 1, loText,
                          true, true);
    EXPECT_FALSE(trace.hasEntry());
}

TEST(MethodTrace, EntryBecomesExitWithItsResult)
{
    // What a trace's destruction writes: the same record, at the EXIT level.
    struct ExitProbe : _CQBNLogEntry {
        ExitProbe()
            : _CQBNLogEntry(L"C", L"m", kSource, 1, loText, false, false)
        {
        }
        unsigned long level() const { return m_record.level; }
    };
    ExitProbe probe;
    EXPECT_EQ(llEntry, probe.level());
    probe.setResult(rtLogical, 0);
    EXPECT_EQ(rtLogical, probe.getRecord().resultType);
    EXPECT_EQ(0ul, probe.getRecord().result);
    EXPECT_EQ(nullptr, probe.getRecord().message);
}

} // namespace

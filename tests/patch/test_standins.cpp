// The stand-ins for what lies outside the patch program (the product's hook
// libraries in each version the scenarios need, and its running process),
// and the package the build assembles from the patch program and the
// corrected libraries. Tests of the patch rely on these being what their
// names say.

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "standins_paths.h"
#include "support/pe_file.h"

namespace {

const wchar_t* const kLibraries[] = {
    L"qbnpwm_windows_hook.dll", L"qbnpwm_keyboard_hook.dll",
    L"qbnpwm_windows_hook_x64.dll", L"qbnpwm_keyboard_hook_x64.dll"};

struct VersionedSet {
    const wchar_t* szFolder;
    DWORD dwVersionLS;
};

const VersionedSet kVersionedSets[] = {
    {QBN_STANDINS_PAYLOAD_DIR, QBN_STANDINS_PAYLOAD_VERSION_LS},
    {QBN_STANDINS_INSTALLED_DIR, QBN_STANDINS_INSTALLED_VERSION_LS},
    {QBN_STANDINS_NEWER_DIR, QBN_STANDINS_NEWER_VERSION_LS},
};

const wchar_t* const kAllSets[] = {
    QBN_STANDINS_PAYLOAD_DIR, QBN_STANDINS_INSTALLED_DIR,
    QBN_STANDINS_NOVERSION_DIR, QBN_STANDINS_NEWER_DIR};

std::wstring pathIn(const std::wstring& folder, const std::wstring& name)
{
    return folder + L"\\" + name;
}

std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

bool isX64Name(const std::wstring& name)
{
    return name.find(L"_x64") != std::wstring::npos;
}

// ---- hook libraries ----

TEST(StandinLibraries, CarryTheVersionOfTheirSet)
{
    for (const VersionedSet& set : kVersionedSets) {
        for (const wchar_t* szName : kLibraries) {
            const std::wstring path = pathIn(set.szFolder, szName);
            DWORD dwMS = 0;
            DWORD dwLS = 0;
            ASSERT_TRUE(qbntest::readFileVersion(path, dwMS, dwLS))
                << narrow(path);
            EXPECT_EQ(QBN_STANDINS_VERSION_MS, dwMS) << narrow(path);
            EXPECT_EQ(set.dwVersionLS, dwLS) << narrow(path);
            EXPECT_EQ(szName,
                      qbntest::readVersionString(path, L"OriginalFilename"));
        }
    }
}

TEST(StandinLibraries, TheUnversionedSetCarriesNoVersionInformation)
{
    for (const wchar_t* szName : kLibraries) {
        const std::wstring path = pathIn(QBN_STANDINS_NOVERSION_DIR, szName);
        ASSERT_TRUE(qbntest::CPeImage(qbntest::readFileBytes(path)).isValid())
            << narrow(path);
        DWORD dwHandle = 0;
        EXPECT_EQ(0u, GetFileVersionInfoSizeW(path.c_str(), &dwHandle))
            << narrow(path);
    }
}

TEST(StandinLibraries, X64LibrariesAre64BitAndTheOthers32Bit)
{
    for (const wchar_t* szFolder : kAllSets) {
        for (const wchar_t* szName : kLibraries) {
            const std::wstring path = pathIn(szFolder, szName);
            const qbntest::CPeImage image(qbntest::readFileBytes(path));
            EXPECT_EQ(isX64Name(szName) ? IMAGE_FILE_MACHINE_AMD64
                                        : IMAGE_FILE_MACHINE_I386,
                      image.machine())
                << narrow(path);
        }
    }
}

// A test tells which library ended up in the product folder by its bytes.
TEST(StandinLibraries, EveryFileDiffersFromEveryOther)
{
    std::set<std::string> contents;
    for (const wchar_t* szFolder : kAllSets)
        for (const wchar_t* szName : kLibraries)
            contents.insert(qbntest::readFileBytes(pathIn(szFolder, szName)));
    EXPECT_EQ(0u, contents.count(std::string()));
    EXPECT_EQ(16u, contents.size());
}

// They are real libraries, not just files with the right names.
TEST(StandinLibraries, The32BitOnesLoadAndNameTheirBuild)
{
    const struct {
        const wchar_t* szFolder;
        const char* szIdentity;
    } cases[] = {
        {QBN_STANDINS_PAYLOAD_DIR, "qbnpwm_windows_hook.dll 8.30.0.12 x86"},
        {QBN_STANDINS_INSTALLED_DIR, "qbnpwm_windows_hook.dll 8.30.0.10 x86"},
        {QBN_STANDINS_NOVERSION_DIR,
         "qbnpwm_windows_hook.dll without version x86"},
    };
    for (const auto& c : cases) {
        const std::wstring path =
            pathIn(c.szFolder, L"qbnpwm_windows_hook.dll");
        const HMODULE hLibrary = LoadLibraryW(path.c_str());
        ASSERT_NE(nullptr, hLibrary) << narrow(path);
        const char* szIdentity = reinterpret_cast<const char*>(
            GetProcAddress(hLibrary, "qbnStandinIdentity"));
        EXPECT_STREQ(c.szIdentity, szIdentity);
        FreeLibrary(hLibrary);
    }
}

// ---- the product's process ----

TEST(PasswordManagerStandin, RunsUntilTerminated)
{
    std::wstring commandLine = L"\"" QBN_STANDINS_PASSWORD_MANAGER L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(QBN_STANDINS_PASSWORD_MANAGER, &commandLine[0],
                               nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT),
              WaitForSingleObject(process.hProcess, 500));
    EXPECT_TRUE(TerminateProcess(process.hProcess, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 5000));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Copied into a scratch product folder it must start with nothing beside it.
TEST(PasswordManagerStandin, ImportsSystemLibrariesOnly)
{
    const qbntest::CPeImage image(
        qbntest::readFileBytes(QBN_STANDINS_PASSWORD_MANAGER));
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, image.machine());
    const std::vector<std::string> imports = image.importedDllNames();
    ASSERT_EQ(2u, imports.size());
    for (const std::string& name : imports)
        EXPECT_TRUE(lstrcmpiA("kernel32.dll", name.c_str()) == 0 ||
                    lstrcmpiA("user32.dll", name.c_str()) == 0)
            << name;
}

// ---- the package ----

TEST(Package, ShipsTheCorrectedLibrariesBesideThePatchProgram)
{
    for (const wchar_t* szName : kLibraries) {
        const std::string shipped =
            qbntest::readFileBytes(pathIn(QBN_PACKAGE_DIR, szName));
        EXPECT_FALSE(shipped.empty()) << narrow(szName);
        EXPECT_EQ(
            qbntest::readFileBytes(pathIn(QBN_STANDINS_PAYLOAD_DIR, szName)),
            shipped)
            << narrow(szName);
    }
}

// The program runs on machines with nothing but Windows, elevated: every DLL
// it imports must be a system one, and its manifest must ask for the rights.
TEST(Package, PatchProgramIsSelfContainedAndAsksForAdministratorRights)
{
    const std::wstring program = pathIn(QBN_PACKAGE_DIR, L"patch8104.exe");

    const qbntest::CPeImage image(qbntest::readFileBytes(program));
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, image.machine());
    wchar_t szSystem[MAX_PATH + 1] = {};
    ASSERT_NE(0u, GetSystemDirectoryW(szSystem, MAX_PATH));
    const std::vector<std::string> imports = image.importedDllNames();
    EXPECT_FALSE(imports.empty());
    for (const std::string& name : imports) {
        const std::wstring path =
            pathIn(szSystem, std::wstring(name.begin(), name.end()));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()))
            << name << " is not a system library";
    }

    const HMODULE hProgram =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hProgram);
    EXPECT_NE(std::string::npos, qbntest::readManifest(hProgram).find(
                                     "level=\"requireAdministrator\""));
    FreeLibrary(hProgram);
    EXPECT_EQ(L"8.30.0.8104",
              qbntest::readVersionString(program, L"FileVersion"));
}

} // namespace

// The simulated machine's tool: runs inside a machine (a clone of a Wine
// prefix) and does there what a person or the product's setup would do,
// or reports what the machine looks like. scripts/lib/machine.sh drives it;
// every path it takes or prints is a Windows path.
//
//   machine.exe prepare
//   machine.exe app-setting EXE SUBKEY|- NAME VALUE
//   machine.exe install-product --standins DIR [--version V]
//               [--views both|default|64] [--installpath-without-backslash]
//               [--dlls installed|noversion|newer|payload|none]
//               [--policy N|none]
//   machine.exe start PATH [ARGUMENT]
//   machine.exe run-on-station PATH [ARGUMENT]   exits with its exit code
//   machine.exe hold-file PATH READY-FILE STOP-FILE
//   machine.exe hold-object mutex|event|mutex-no-access NAME READY-FILE
//               STOP-FILE
//   machine.exe hold-library PATH READY-FILE STOP-FILE
//   machine.exe at-restart PATH [NEW-PATH]
//   machine.exe answer-boxes RECORD STOP-FILE [--answer BUTTON]...
//               [--delay MS]
//   machine.exe report --standins DIR [--folder DIR]...
//   machine.exe imports PATH
//   machine.exe version PATH                     the file version, 8.30.0.12
//
// Exit code 0 on success, 1 when the machine refused, 2 on a bad command
// line.

#include <windows.h>

#include <sddl.h>

#include <cwchar>
#include <string>
#include <vector>

#include "machine_arguments.h"
#include "machine_box_answerer.h"
#include "machine_layout.h"
#include "machine_processes.h"
#include "machine_product.h"
#include "machine_registry.h"
#include "machine_report.h"
#include "machine_text.h"
#include "qbn_scoped_handle.h"
#include "support/pe_file.h"

namespace {

const int kDone = 0;
const int kRefused = 1;
const int kUsage = 2;

const wchar_t kPatchProgram[] = L"patch8104.exe";
const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\";
const DWORD kPollMs = 20;

int refuse(const std::wstring& reason)
{
    const std::string bytes = machine::toUtf8(L"machine: " + reason + L"\n");
    DWORD dwWritten = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(),
              static_cast<DWORD>(bytes.size()), &dwWritten, nullptr);
    return kRefused;
}

bool setAppDefault(const std::wstring& exe, const std::wstring& subKey,
                   const std::wstring& name, const std::wstring& value)
{
    const std::wstring key =
        kAppDefaults + exe + (subKey == L"-" ? L"" : L"\\" + subKey);
    return machine::setString(HKEY_CURRENT_USER, key, 0, name, value);
}

// What every run of the patch on a machine needs: its boxes close at once
// (Xvfb has no window manager, and Wine would wait 2 s per box for one),
// and a relay trace of it holds the restart call alone.
int prepare()
{
    const bool bDone =
        setAppDefault(kPatchProgram, L"X11 Driver", L"Managed", L"N") &&
        machine::setString(HKEY_CURRENT_USER, L"Software\\Wine\\Debug", 0,
                           L"RelayInclude",
                           L"user32.ExitWindowsEx;kernel32.ExitProcess");
    return bDone ? kDone : refuse(L"cannot write the bench settings");
}

int appSetting(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    if (p.size() != 4)
        return kUsage;
    return setAppDefault(p[0], p[1], p[2], p[3])
               ? kDone
               : refuse(L"cannot write the setting " + p[2]);
}

int installProduct(const machine::CArguments& args)
{
    machine::ProductOptions options;
    options.standins = args.value(L"--standins", L"");
    options.version = args.value(L"--version", options.version);
    options.views = args.value(L"--views", options.views);
    options.bInstallPathWithoutBackslash =
        args.has(L"--installpath-without-backslash");
    options.libraries = args.value(L"--dlls", options.libraries);
    options.policy = args.value(L"--policy", options.policy);
    machine::CMachineProduct product(options);
    std::wstring error;
    if (!product.install(error))
        return refuse(error);
    machine::printLine(L"folder=" + product.folder());
    machine::printLine(L"folder64=" + product.folder64());
    return kDone;
}

int start(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    if (p.empty() || p.size() > 2)
        return kUsage;
    DWORD dwProcessId = 0;
    if (!machine::startProgram(p[0], p.size() == 2 ? p[1] : L"", dwProcessId))
        return refuse(L"cannot start " + args.positional()[0]);
    machine::printLine(std::to_wstring(dwProcessId));
    return kDone;
}

// As a distribution tool's service runs a program: on a window station of
// its own, which nobody sees. The program's exit code is the tool's.
int runOnStation(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    const HWINSTA hStation =
        CreateWindowStationW(L"unattended", 0, WINSTA_ALL_ACCESS, nullptr);
    DWORD dwProcessId = 0;
    DWORD dwExitCode = kRefused;
    if (p.empty() || p.size() > 2 || hStation == nullptr ||
        !machine::startProgram(p[0], p.size() == 2 ? p[1] : L"", dwProcessId,
                               L"unattended\\default", &dwExitCode))
        refuse(L"cannot run the program on a window station of its own");
    if (hStation != nullptr)
        CloseWindowStation(hStation);
    return static_cast<int>(dwExitCode);
}

void writeTextFile(const std::wstring& path, const std::wstring& text)
{
    DeleteFileW(path.c_str());
    machine::appendLine(path, text);
}

// Reports in the ready file whether the handle is held ("held", or why
// not), then keeps it until the stop file appears.
int holdUntilStopped(bool bHeld, const std::wstring& ready,
                     const std::wstring& stop)
{
    if (!bHeld) {
        writeTextFile(ready, L"failed " + std::to_wstring(GetLastError()));
        return kRefused;
    }
    writeTextFile(ready, L"held");
    while (!machine::fileExists(stop))
        Sleep(kPollMs);
    return kDone;
}

// Another program that has the file open, sharing it for reading only, as a
// virus scanner may: nobody can write, move or delete it meanwhile.
int holdFile(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    if (p.size() != 3)
        return kUsage;
    const CQBNScopedHandle file(
        CreateFileW(p[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return holdUntilStopped(file.isValid(), p[1], p[2]);
}

// Another program that has the library loaded, as any desktop program has
// a hook library: it can be renamed, not deleted.
int holdLibrary(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    if (p.size() != 3)
        return kUsage;
    const CQBNUniqueModule library(LoadLibraryW(p[0].c_str()));
    return holdUntilStopped(library.isValid(), p[1], p[2]);
}

// A rename (or, without NEW-PATH, a deletion) for Windows' next start, as
// a setup schedules one for a file in use.
int atRestart(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    if (p.empty() || p.size() > 2)
        return kUsage;
    return MoveFileExW(p[0].c_str(), p.size() == 2 ? p[1].c_str() : nullptr,
                       MOVEFILE_DELAY_UNTIL_REBOOT)
               ? kDone
               : refuse(L"cannot schedule " + p[0]);
}

// A named object as any user may make one in the global namespace: a mutex
// this process owns, an event, or a mutex whose access list is empty.
HANDLE createNamedObject(const std::wstring& kind, const std::wstring& name)
{
    if (kind == L"event")
        return CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    PSECURITY_DESCRIPTOR pNoAccess = nullptr;
    if (kind == L"mutex-no-access" &&
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:", SDDL_REVISION_1, &pNoAccess, nullptr))
        return nullptr;
    const CQBNUniqueLocalMemory descriptor(pNoAccess);
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), pNoAccess, FALSE};
    return kind == L"mutex" || pNoAccess != nullptr
               ? CreateMutexW(&attributes, TRUE, name.c_str())
               : nullptr;
}

int holdObject(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    if (p.size() != 4)
        return kUsage;
    const CQBNScopedHandle object(createNamedObject(p[0], p[1]));
    return holdUntilStopped(object.isValid(), p[2], p[3]);
}

int answerBoxes(const machine::CArguments& args)
{
    const std::vector<std::wstring>& p = args.positional();
    if (p.size() != 2)
        return kUsage;
    std::vector<int> answers;
    for (const std::wstring& answer : args.values(L"--answer"))
        answers.push_back(
            static_cast<int>(std::wcstol(answer.c_str(), nullptr, 10)));
    const DWORD dwDelay = static_cast<DWORD>(
        std::wcstoul(args.value(L"--delay", L"0").c_str(), nullptr, 10));
    machine::CMachineBoxAnswerer answerer(answers, p[0], p[1], dwDelay);
    return answerer.run() ? kDone : refuse(L"cannot write " + p[0]);
}

int report(const machine::CArguments& args)
{
    const machine::CMachineReport machineReport(args.value(L"--standins", L""),
                                                args.values(L"--folder"));
    machineReport.print();
    return kDone;
}

int imports(const machine::CArguments& args)
{
    if (args.positional().size() != 1)
        return kUsage;
    const qbntest::CPeImage image(qbntest::readFileBytes(args.positional()[0]));
    if (!image.isValid())
        return refuse(L"not a program: " + args.positional()[0]);
    for (const std::string& name : image.importedDllNames())
        machine::printLine(std::wstring(name.begin(), name.end()));
    return kDone;
}

int version(const machine::CArguments& args)
{
    if (args.positional().size() != 1)
        return kUsage;
    machine::printLine(machine::fileVersionText(args.positional()[0]));
    return kDone;
}

int dispatch(const std::wstring& command, const machine::CArguments& args)
{
    if (command == L"prepare")
        return prepare();
    if (command == L"app-setting")
        return appSetting(args);
    if (command == L"install-product")
        return installProduct(args);
    if (command == L"start")
        return start(args);
    if (command == L"run-on-station")
        return runOnStation(args);
    if (command == L"hold-file")
        return holdFile(args);
    if (command == L"hold-object")
        return holdObject(args);
    if (command == L"hold-library")
        return holdLibrary(args);
    if (command == L"at-restart")
        return atRestart(args);
    if (command == L"answer-boxes")
        return answerBoxes(args);
    if (command == L"report")
        return report(args);
    if (command == L"imports")
        return imports(args);
    if (command == L"version")
        return version(args);
    return kUsage;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr)
        return kUsage;
    int iExit = kUsage;
    if (argc >= 2) {
        const machine::CArguments args(argc, argv, 2);
        if (args.isComplete())
            iExit = dispatch(argv[1], args);
    }
    if (iExit == kUsage)
        refuse(L"bad command line (see the head of machine_main.cpp)");
    LocalFree(argv);
    return iExit;
}

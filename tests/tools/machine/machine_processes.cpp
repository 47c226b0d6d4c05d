#include "machine_processes.h"

#include <psapi.h>

#include <algorithm>

#include "machine_text.h"
#include "qbn_scoped_handle.h"

namespace machine {

namespace {

std::vector<DWORD> processIds()
{
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD dwBytes = 0;
        if (!EnumProcesses(ids.data(),
                           static_cast<DWORD>(ids.size() * sizeof(DWORD)),
                           &dwBytes))
            return std::vector<DWORD>();
        if (dwBytes < ids.size() * sizeof(DWORD)) {
            ids.resize(dwBytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

CQBNScopedHandle openProcess(DWORD dwProcessId)
{
    return CQBNScopedHandle(OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcessId));
}

bool modulePathOf(const CQBNScopedHandle& process, HMODULE hModule,
                  std::wstring& path)
{
    wchar_t szPath[MAX_PATH + 1] = {};
    if (!process.isValid() ||
        GetModuleFileNameExW(process.get(), hModule, szPath, MAX_PATH) == 0)
        return false;
    path = szPath;
    return true;
}

bool imagePathOf(DWORD dwProcessId, std::wstring& path)
{
    return modulePathOf(openProcess(dwProcessId), nullptr, path);
}

std::wstring folderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring fileNameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

// The libraries in `folder` among the modules of `process`.
void addLibrariesFrom(const CQBNScopedHandle& process,
                      const std::wstring& folder,
                      std::vector<std::wstring>& libraries)
{
    HMODULE modules[256] = {};
    DWORD dwBytes = 0;
    if (!EnumProcessModules(process.get(), modules, sizeof(modules), &dwBytes))
        return;
    for (DWORD dwIndex = 0;
         dwIndex < dwBytes / sizeof(HMODULE) && dwIndex < ARRAYSIZE(modules);
         ++dwIndex) {
        std::wstring path;
        if (modulePathOf(process, modules[dwIndex], path) &&
            equalsIgnoringCase(folderOf(path), folder) &&
            !equalsIgnoringCase(path.substr(path.size() - 4), L".exe"))
            libraries.push_back(path);
    }
}

} // namespace

bool startProgram(const std::wstring& path, const std::wstring& arguments,
                  DWORD& dwProcessId, std::wstring desktop, DWORD* pdwExitCode)
{
    std::wstring commandLine =
        L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    const std::wstring folder = folderOf(path);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktop.empty() ? nullptr : &desktop[0];
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        0, nullptr, folder.c_str(), &startup, &process))
        return false;
    const CQBNUniqueKernelHandle thread(process.hThread);
    const CQBNUniqueKernelHandle started(process.hProcess);
    // A windowed program is up once it waits for input, as a user sees it.
    if (pdwExitCode == nullptr)
        WaitForInputIdle(started.get(), 10 * 1000);
    else if (WaitForSingleObject(started.get(), INFINITE) != WAIT_OBJECT_0 ||
             !GetExitCodeProcess(started.get(), pdwExitCode))
        return false;
    dwProcessId = process.dwProcessId;
    return true;
}

std::vector<std::wstring> runningImagePaths(const std::wstring& fileName)
{
    std::vector<std::wstring> paths;
    for (DWORD dwProcessId : processIds()) {
        std::wstring path;
        if (imagePathOf(dwProcessId, path) &&
            equalsIgnoringCase(fileNameOf(path), fileName))
            paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::wstring> librariesLoadedBy(const std::wstring& imagePath)
{
    std::vector<std::wstring> libraries;
    for (DWORD dwProcessId : processIds()) {
        const CQBNScopedHandle process = openProcess(dwProcessId);
        std::wstring path;
        if (modulePathOf(process, nullptr, path) && path == imagePath)
            addLibrariesFrom(process, folderOf(imagePath), libraries);
    }
    std::sort(libraries.begin(), libraries.end());
    return libraries;
}

} // namespace machine

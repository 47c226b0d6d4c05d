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

bool imagePathOf(DWORD dwProcessId, std::wstring& path)
{
    const CQBNScopedHandle process(OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcessId));
    wchar_t szPath[MAX_PATH + 1] = {};
    if (!process.isValid() ||
        GetModuleFileNameExW(process.get(), nullptr, szPath, MAX_PATH) == 0)
        return false;
    path = szPath;
    return true;
}

std::wstring fileNameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

} // namespace

bool startProgram(const std::wstring& path, DWORD& dwProcessId)
{
    std::wstring commandLine = L"\"" + path + L"\"";
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        0, nullptr, folder.c_str(), &startup, &process))
        return false;
    const CQBNUniqueKernelHandle thread(process.hThread);
    const CQBNUniqueKernelHandle started(process.hProcess);
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

} // namespace machine

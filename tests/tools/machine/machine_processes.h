// Processes on the simulated machine: starting a program that outlives the
// tool, and finding the running copies of one.
#ifndef QBN_MACHINE_PROCESSES_H
#define QBN_MACHINE_PROCESSES_H

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

// Starts `path` with `arguments` in its own folder and waits until it is
// ready for input; it keeps running after the tool ends. On `desktop`
// ("station\desktop") when given; given `pdwExitCode`, waits for its end.
bool startProgram(const std::wstring& path, const std::wstring& arguments,
                  DWORD& dwProcessId, std::wstring desktop = L"",
                  DWORD* pdwExitCode = nullptr);
// The image paths, as the processes were started, of every running process
// whose file name is `fileName` in any letter case; sorted.
std::vector<std::wstring> runningImagePaths(const std::wstring& fileName);
// The libraries that the processes started from `imagePath` loaded from
// its folder; sorted.
std::vector<std::wstring> librariesLoadedBy(const std::wstring& imagePath);

} // namespace machine

#endif

// Lets a test answer a message box it is about to show, as a person would:
// box_answer.exe (built beside the test programs) is started first, waits for
// the box with the given caption, presses the button and reports the text the
// box showed.
//
//   CBoxAnswerer answerer(caption, IDYES);
//   ASSERT_TRUE(answerer.isStarted());
//   ... show the box (blocks until box_answer.exe presses the button) ...
//   std::wstring shown;
//   EXPECT_TRUE(answerer.finish(shown));
//
// Boxes are found by caption, and test programs run side by side, so every
// caption should be unique to its process: see uniqueCaption. A program that
// shows boxes also wants a global CUnmanagedWindows (below), or every box
// takes 2 s to close.
#ifndef QBN_TEST_BOX_ANSWERER_H
#define QBN_TEST_BOX_ANSWERER_H

#include <windows.h>

#include <string>
#include <vector>

#include "qbn_unique_handle.h"

namespace qbntest {

// Message boxes need an X display under Wine; without one MessageBoxW fails.
inline bool haveDisplay()
{
    return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0;
}

inline const char* noDisplayReason()
{
    return "message boxes need an X display: set DISPLAY (scripts/test starts "
           "Xvfb for the run)";
}

inline std::wstring uniqueCaption(const std::wstring& caption)
{
    return caption + L" [" + std::to_wstring(GetCurrentProcessId()) + L"]";
}

inline std::wstring ownPath()
{
    std::vector<wchar_t> path(32768, L'\0');
    const DWORD dwLength = GetModuleFileNameW(nullptr, path.data(),
                                              static_cast<DWORD>(path.size()));
    return std::wstring(path.data(), dwLength);
}

// The folder of this test program, where the build puts its helpers too.
inline std::wstring ownFolder()
{
    const std::wstring path = ownPath();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

inline std::wstring ownFileName()
{
    const std::wstring path = ownPath();
    return path.substr(path.find_last_of(L"\\/") + 1);
}

inline std::wstring quoted(const std::wstring& argument)
{
    return L"\"" + argument + L"\"";
}

// Xvfb runs no window manager, and Wine then waits 2 s for one to confirm
// that each closed box has gone before MessageBoxW returns. Windows that
// Wine does not hand to a window manager close at once. The setting is made
// for one program name only, so nothing else in the prefix sees it, and it
// must be in place before the program creates its first window: make the
// object a global of the test program (or, for a program that a test
// starts, create it before starting that program).
//
//   const qbntest::CUnmanagedWindows unmanagedWindows;
class CUnmanagedWindows {
public:
    explicit CUnmanagedWindows(const std::wstring& exeName = ownFileName())
        : m_appKey(L"Software\\Wine\\AppDefaults\\" + exeName),
          m_driverKey(m_appKey + L"\\X11 Driver"),
          m_bCreatedAppKey(createKey(m_appKey)),
          m_bCreatedDriverKey(createKey(m_driverKey))
    {
        const wchar_t szNo[] = L"N";
        RegSetKeyValueW(HKEY_CURRENT_USER, m_driverKey.c_str(), L"Managed",
                        REG_SZ, szNo, sizeof(szNo));
    }

    // Only what this object added goes: other settings for the same
    // program name stay.
    ~CUnmanagedWindows()
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, m_driverKey.c_str(), L"Managed");
        if (m_bCreatedDriverKey)
            RegDeleteKeyW(HKEY_CURRENT_USER, m_driverKey.c_str());
        if (m_bCreatedAppKey)
            RegDeleteKeyW(HKEY_CURRENT_USER, m_appKey.c_str());
    }

    CUnmanagedWindows(const CUnmanagedWindows&) = delete;
    CUnmanagedWindows& operator=(const CUnmanagedWindows&) = delete;

private:
    // True when the key did not exist before.
    static bool createKey(const std::wstring& key)
    {
        CQBNUniqueRegKey created;
        DWORD dwDisposition = 0;
        return RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                               KEY_ALL_ACCESS, nullptr, created.receive(),
                               &dwDisposition) == ERROR_SUCCESS &&
               dwDisposition == REG_CREATED_NEW_KEY;
    }

    std::wstring m_appKey;
    std::wstring m_driverKey;
    bool m_bCreatedAppKey;
    bool m_bCreatedDriverKey;
};

class CBoxAnswerer {
public:
    CBoxAnswerer(const std::wstring& caption, int iButton,
                 DWORD dwTimeoutMs = 10000)
    {
        start(quoted(ownFolder() + L"box_answer.exe") + L" " + quoted(caption) +
              L" " + std::to_wstring(iButton) + L" " +
              std::to_wstring(dwTimeoutMs));
    }

    ~CBoxAnswerer()
    {
        if (isStarted() &&
            WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.get(), 3);
    }

    CBoxAnswerer(const CBoxAnswerer&) = delete;
    CBoxAnswerer& operator=(const CBoxAnswerer&) = delete;

    bool isStarted() const { return m_process.isValid(); }

    // Waits for the helper to end. True when it found the box and pressed
    // the button; `shown` then holds the box's text.
    bool finish(std::wstring& shown)
    {
        if (!isStarted())
            return false;
        const std::string bytes = readAll();
        WaitForSingleObject(m_process.get(), INFINITE);
        DWORD dwExit = 1;
        GetExitCodeProcess(m_process.get(), &dwExit);
        shown = fromUtf8(bytes);
        return dwExit == 0;
    }

private:
    void start(std::wstring commandLine)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        CQBNUniqueKernelHandle write;
        // Large enough that the helper never waits for the reader.
        if (!CreatePipe(m_output.receive(), write.receive(), &inherit, 1 << 16))
            return;
        SetHandleInformation(m_output.get(), HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write.get();
        startup.hStdError = write.get();
        startup.hStdInput = nullptr;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                            CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                            &process))
            return;
        m_process.reset(process.hProcess);
        m_thread.reset(process.hThread);
        // Leaving here closes this side's write end: only the helper may
        // hold one, or reading never ends.
    }

    std::string readAll()
    {
        std::string bytes;
        char chunk[4096];
        DWORD cbRead = 0;
        while (
            ReadFile(m_output.get(), chunk, sizeof(chunk), &cbRead, nullptr) &&
            cbRead != 0)
            bytes.append(chunk, cbRead);
        return bytes;
    }

    static std::wstring fromUtf8(const std::string& bytes)
    {
        if (bytes.empty())
            return std::wstring();
        const int iChars =
            MultiByteToWideChar(CP_UTF8, 0, bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring text(iChars, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(),
                            static_cast<int>(bytes.size()), &text[0], iChars);
        return text;
    }

    CQBNUniqueKernelHandle m_process;
    CQBNUniqueKernelHandle m_thread;
    CQBNUniqueKernelHandle m_output;
};

} // namespace qbntest

#endif

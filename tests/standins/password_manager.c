/* Stand-in for the product's main process as a user's desktop has it: a
 * windowed program with the product's two 32-bit hook libraries loaded from
 * its own folder (so they cannot be copied over while it runs) that, when
 * asked to close as at log-off, saves its pending changes (a line in
 * password_manager.state beside it) and exits. Started with /ignore-close
 * it refuses, as a program with a dialog open may; started with
 * /close-at-once it closes as at log-off as soon as it is ready, which
 * times its own start and close alone (scripts/bench). Its own entry point and
 * kernel32 and user32 alone, so it starts wherever a test copies it. */
#include <windows.h>

#define PATH_ROOM (2 * MAX_PATH)

static wchar_t g_folder[PATH_ROOM];
static BOOL g_ignoreClose;

static void pathOf(wchar_t* path, const wchar_t* name)
{
    lstrcpynW(path, g_folder, MAX_PATH);
    lstrcatW(path, name);
}

static void savePendingChanges(void)
{
    static const char kSaved[] = "pending changes saved\r\n";
    wchar_t path[PATH_ROOM];
    HANDLE file;
    DWORD written = 0;
    pathOf(path, L"password_manager.state");
    file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    WriteFile(file, kSaved, sizeof(kSaved) - 1, &written, NULL);
    CloseHandle(file);
}

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam)
{
    if (message == WM_QUERYENDSESSION)
        return !g_ignoreClose;
    if (message == WM_ENDSESSION && wParam && !g_ignoreClose) {
        savePendingChanges();
        ExitProcess(0);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static BOOL endsWith(const wchar_t* text, const wchar_t* end)
{
    const int textLength = lstrlenW(text);
    const int endLength = lstrlenW(end);
    return textLength >= endLength &&
           lstrcmpiW(text + textLength - endLength, end) == 0;
}

static void loadHookLibraries(void)
{
    wchar_t path[PATH_ROOM];
    pathOf(path, L"qbnpwm_windows_hook.dll");
    LoadLibraryW(path);
    pathOf(path, L"qbnpwm_keyboard_hook.dll");
    LoadLibraryW(path);
}

void WinMainCRTStartup(void);

void WinMainCRTStartup(void)
{
    WNDCLASSW windowClass = {0};
    MSG message;
    HWND window;
    wchar_t* lastBackslash = NULL;
    wchar_t* unit;
    GetModuleFileNameW(NULL, g_folder, MAX_PATH);
    for (unit = g_folder; *unit != 0; ++unit)
        if (*unit == L'\\')
            lastBackslash = unit;
    if (lastBackslash != NULL)
        lastBackslash[1] = 0;
    g_ignoreClose = endsWith(GetCommandLineW(), L"/ignore-close");
    loadHookLibraries();
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = L"VaultrionPasswordManager";
    RegisterClassW(&windowClass);
    window =
        CreateWindowW(windowClass.lpszClassName,
                      L"Vaultrion - Password Manager", WS_OVERLAPPEDWINDOW, 0,
                      0, 200, 100, NULL, NULL, windowClass.hInstance, NULL);
    if (endsWith(GetCommandLineW(), L"/close-at-once"))
        PostMessageW(window, WM_ENDSESSION, TRUE, 0);
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    ExitProcess(0);
}

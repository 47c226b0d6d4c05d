// The yardstick for the patch program's start-up: a GUI program that starts
// and ends without doing anything. It imports the same system libraries as
// patch8104.exe (their calls below never run), so that a run of it costs
// what merely starting such a program costs, and whatever the patch takes
// beyond that is the patch's own work. scripts/bench times both.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance,
                    LPWSTR commandLine, int showCommand)
{
    (void)instance;
    (void)previousInstance;
    (void)showCommand;
    // No caller passes this; the test only keeps the linker from dropping
    // the imports.
    if (lstrcmpW(commandLine, L"--never-used") == 0) {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &hKey) ==
            ERROR_SUCCESS)
            RegCloseKey(hKey);
        MessageBoxW(nullptr, commandLine, commandLine, MB_OK);
    }
    return 0;
}

/* Stand-in for the product's main process: a windowless GUI program that
 * runs until it is terminated, as the real one does while a user is logged
 * on. It has its own entry point and imports kernel32 alone, so it starts
 * wherever a test copies it, with no runtime DLL beside it. */
#include <windows.h>

void WinMainCRTStartup(void);

void WinMainCRTStartup(void)
{
    for (;;) {
        Sleep(INFINITE);
    }
}

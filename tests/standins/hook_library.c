/* Stand-in for one of the product's hook libraries. The product itself lies
 * outside the patch; what the patch relies on is only the file names and
 * their version resources. Each build carries its own identity text so that
 * a test can tell by the bytes which build landed in the product folder. */
#include <windows.h>

__declspec(dllexport) const char qbnStandinIdentity[] = STANDIN_IDENTITY;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

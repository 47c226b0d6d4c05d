#include "machine_layout.h"

#include <windows.h>

namespace machine {

bool isWindows64()
{
    BOOL bWow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &bWow64) && bWow64;
}

std::wstring productFolder32()
{
    return isWindows64() ? L"C:\\Program Files (x86)\\Ostrel\\Vaultrion\\"
                         : L"C:\\Program Files\\Ostrel\\Vaultrion\\";
}

std::wstring productFolder64()
{
    return L"C:\\Program Files\\Ostrel\\Vaultrion\\";
}

} // namespace machine

#include "qbn_wchar_string.h"
#include "qbn_windows_os_info.h"

int main()
{
    const CQBNWCharString text(L" 8104 ");
    unsigned long ulNumber = 0;
    const CQBNWindowsOSInfo windows;
    return text.toNumber(ulNumber, nsDecimal) && ulNumber == 8104 &&
                   windows.getPlatform() != 0
               ? 0
               : 1;
}

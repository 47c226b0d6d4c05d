// Prints what CQBNWindowsOSInfo sees in the process it runs in, as one line
// of name=value pairs on stdout. Wine picks a program's Windows version by
// its file name, so a test copies this program under a name of its own,
// gives that name a version, and reads the answer back through a pipe.

#include <cstdio>

#include "qbn_exceptions.h"
#include "qbn_windows_os_info.h"

int main()
{
    try {
        const CQBNWindowsOSInfo info;
        std::printf("version=%.17g isXP=%d isVista=%d isWin7=%d platform=%d "
                    "servicePack=%lu isPE=%d query18=%d query37=%d\n",
                    info.getVersion(), info.isXP(), info.isVista(),
                    info.isWin7(), info.getPlatform(), info.getServicePack(),
                    info.isPE(), info.getOSQuery18(), info.getOSQuery37());
        return 0;
    } catch (CQBNWindowsOSInfoInitNeededException&) {
        std::printf("init failed\n");
        return 1;
    }
}

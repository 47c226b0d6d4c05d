#include "patch_session.h"

#include <versionhelpers.h>

namespace {

bool readSession(DWORD dwProcessId, DWORD& dwSession)
{
    return ProcessIdToSessionId(dwProcessId, &dwSession) != FALSE;
}

// Before Windows Vista the person at the console works in session 0 too.
bool runsAmongServices()
{
    DWORD dwSession = 0;
    return IsWindowsVistaOrGreater() &&
           readSession(GetCurrentProcessId(), dwSession) && dwSession == 0;
}

bool isStationVisible()
{
    USEROBJECTFLAGS flags = {};
    DWORD dwNeeded = 0;
    if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags,
                                   sizeof(flags), &dwNeeded))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace

bool hasVisibleDesktop()
{
    return !runsAmongServices() && isStationVisible();
}

bool isInThisSession(DWORD dwProcessId)
{
    DWORD dwOwn = 0;
    DWORD dwOther = 0;
    return readSession(GetCurrentProcessId(), dwOwn) &&
           readSession(dwProcessId, dwOther) && dwOwn == dwOther;
}

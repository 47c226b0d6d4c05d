// Where this run is among the sessions and window stations of Windows. A
// distribution tool starts the patch as SYSTEM in session 0, on a window
// station nobody sees, while the user works in a session of their own:
// boxes shown there wait for an answer that never comes, and window
// messages sent from there never reach the user's programs.
#ifndef PATCH_SESSION_H
#define PATCH_SESSION_H

#include <windows.h>

// Whether a person can see this run's message boxes: its window station is
// the visible one, and it does not run in session 0, which since Windows
// Vista holds the services and no user's desktop. A station whose flags
// cannot be read counts as visible, as every run did before.
bool hasVisibleDesktop();
// Whether process `dwProcessId` runs in this run's session; one whose
// session cannot be read counts as elsewhere.
bool isInThisSession(DWORD dwProcessId);

#endif

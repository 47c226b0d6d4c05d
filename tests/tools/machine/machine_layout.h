// The simulated machine's fixed facts: where the product records itself,
// where it is installed, what its folder holds, and which stand-in sets the
// build made for its hook libraries.
#ifndef QBN_MACHINE_LAYOUT_H
#define QBN_MACHINE_LAYOUT_H

#include <string>

namespace machine {

const wchar_t kProductKey[] = L"Software\\Ostrel\\Vaultrion";
const wchar_t kPatchRecordKey[] = L"Software\\Ostrel\\Vaultrion\\Patch\\8104";
const wchar_t kPolicyKey[] =
    L"Software\\Policies\\Ostrel\\QBN Common\\Vaultrion";
const wchar_t kPasswordManager[] = L"password_manager.exe";
const wchar_t kPatchLog[] = L"patchlog8104.txt";

const wchar_t* const kLibraries32[] = {L"qbnpwm_windows_hook.dll",
                                       L"qbnpwm_keyboard_hook.dll"};
const wchar_t* const kLibraries64[] = {L"qbnpwm_windows_hook_x64.dll",
                                       L"qbnpwm_keyboard_hook_x64.dll"};

// The build's folders of stand-in libraries, by the name a caller uses.
struct StandinSet {
    const wchar_t* szName;
    const wchar_t* szFolder;
};
const StandinSet kStandinSets[] = {
    {L"installed", L"installed-8.30.0.10"},
    {L"noversion", L"noversion"},
    {L"newer", L"newer"},
    {L"payload", L"payload"},
    {L"vendor", L"vendor"},
};

// Whether this 32-bit tool runs on 64-bit Windows.
bool isWindows64();
// Where a 32-bit product installs itself: the folder its registry key in
// the view a 32-bit program sees names.
std::wstring productFolder32();
// Where the 64-bit registry view's "InstallPath" points on 64-bit Windows.
std::wstring productFolder64();

} // namespace machine

#endif

#include "patch_token.h"

#include "qbn_scoped_handle.h"

namespace {

bool readUser(HANDLE hProcess, std::vector<unsigned char>& user)
{
    CQBNScopedHandle token;
    if (!token.received(OpenProcessToken(hProcess, TOKEN_QUERY,
                                         token.receive()) != FALSE) ||
        !readTokenInformation(token.get(), TokenUser, user) ||
        user.size() < sizeof(TOKEN_USER))
        return false;
    return IsValidSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid) !=
           FALSE;
}

} // namespace

bool readTokenInformation(HANDLE hToken, TOKEN_INFORMATION_CLASS what,
                          std::vector<unsigned char>& information)
{
    DWORD dwSize = 0;
    GetTokenInformation(hToken, what, nullptr, 0, &dwSize);
    information.assign(dwSize == 0 ? 1 : dwSize, 0);
    return GetTokenInformation(hToken, what, information.data(), dwSize,
                               &dwSize) != FALSE;
}

bool runsAsThisUser(HANDLE hProcess)
{
    std::vector<unsigned char> own;
    std::vector<unsigned char> other;
    return readUser(GetCurrentProcess(), own) && readUser(hProcess, other) &&
           EqualSid(reinterpret_cast<TOKEN_USER*>(own.data())->User.Sid,
                    reinterpret_cast<TOKEN_USER*>(other.data())->User.Sid) !=
               FALSE;
}

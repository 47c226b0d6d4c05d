// The digests built into the patch program: the build writes them from the
// libraries it ships (here the stand-ins' payload), and only exactly those
// bytes, under their own name, pass. Every CryptoAPI object the check makes
// is released again, whichever way it ends.

#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patch_payload_digest.h"
#include "standins_paths.h"
#include "support/import_redirect.h"
#include "support/pe_file.h"

namespace {

CQBNBuffer<unsigned char> bytesOf(const std::string& content)
{
    return CQBNBuffer<unsigned char>(
        reinterpret_cast<const unsigned char*>(content.data()),
        static_cast<unsigned long>(content.size()));
}

std::string standin(const wchar_t* szFolder, const wchar_t* szName)
{
    const std::string content =
        qbntest::readFileBytes(std::wstring(szFolder) + L"\\" + szName);
    EXPECT_FALSE(content.empty()) << "cannot read a stand-in";
    return content;
}

std::string oneByteChanged(std::string content)
{
    content[content.size() / 2] ^= 0x01;
    return content;
}

std::string truncated(std::string content)
{
    content.resize(content.size() - 1);
    return content;
}

struct DigestCase {
    const char* szWhat;
    const wchar_t* szName;
    std::string content;
    bool bMatches;
};

std::vector<DigestCase> digestCases()
{
    const wchar_t* const szWindows = L"qbnpwm_windows_hook.dll";
    const wchar_t* const szKeyboard64 = L"qbnpwm_keyboard_hook_x64.dll";
    const std::string windows = standin(QBN_STANDINS_PAYLOAD_DIR, szWindows);
    return {
        {"each shipped library", szWindows, windows, true},
        {"each shipped library", L"qbnpwm_keyboard_hook.dll",
         standin(QBN_STANDINS_PAYLOAD_DIR, L"qbnpwm_keyboard_hook.dll"), true},
        {"each shipped library", L"qbnpwm_windows_hook_x64.dll",
         standin(QBN_STANDINS_PAYLOAD_DIR, L"qbnpwm_windows_hook_x64.dll"),
         true},
        {"each shipped library", szKeyboard64,
         standin(QBN_STANDINS_PAYLOAD_DIR, szKeyboard64), true},
        {"name in other letter case", L"QBNPWM_Windows_Hook.DLL", windows,
         true},
        {"one byte changed", szWindows, oneByteChanged(windows), false},
        {"last byte cut off", szWindows, truncated(windows), false},
        {"empty file", szWindows, std::string(), false},
        {"another library of the set", L"qbnpwm_keyboard_hook.dll", windows,
         false},
        {"the same version built otherwise", szWindows,
         standin(QBN_STANDINS_VENDOR_DIR, szWindows), false},
        {"the older installed library", szKeyboard64,
         standin(QBN_STANDINS_INSTALLED_DIR, szKeyboard64), false},
        {"a name the program ships nothing of", L"version.dll", windows, false},
        {"no name", L"", windows, false},
    };
}

TEST(PayloadDigest, OnlyTheShippedBytesUnderTheirOwnName)
{
    for (const DigestCase& c : digestCases()) {
        EXPECT_EQ(c.bMatches, matchesShippedDigest(CQBNWCharString(c.szName),
                                                   bytesOf(c.content)))
            << c.szWhat;
    }
}

// ---- CryptoAPI objects, counted at this program's imports ----

struct CryptoCounts {
    int iContexts;
    int iHashes;
    int iAcquired;
    bool bFailHashing;
};
CryptoCounts g_counts = {0, 0, 0, false};
qbntest::CImportRedirect* g_pAcquire = nullptr;
qbntest::CImportRedirect* g_pRelease = nullptr;
qbntest::CImportRedirect* g_pCreate = nullptr;
qbntest::CImportRedirect* g_pDestroy = nullptr;
qbntest::CImportRedirect* g_pHashData = nullptr;

BOOL WINAPI countedAcquire(HCRYPTPROV* phProv, LPCWSTR szContainer,
                           LPCWSTR szProvider, DWORD dwType, DWORD dwFlags)
{
    const BOOL bDone = reinterpret_cast<decltype(&CryptAcquireContextW)>(
        g_pAcquire->original())(phProv, szContainer, szProvider, dwType,
                                dwFlags);
    g_counts.iContexts += bDone ? 1 : 0;
    g_counts.iAcquired += bDone ? 1 : 0;
    return bDone;
}

BOOL WINAPI countedRelease(HCRYPTPROV hProv, DWORD dwFlags)
{
    --g_counts.iContexts;
    return reinterpret_cast<decltype(&CryptReleaseContext)>(
        g_pRelease->original())(hProv, dwFlags);
}

BOOL WINAPI countedCreate(HCRYPTPROV hProv, ALG_ID algorithm, HCRYPTKEY hKey,
                          DWORD dwFlags, HCRYPTHASH* phHash)
{
    const BOOL bDone = reinterpret_cast<decltype(&CryptCreateHash)>(
        g_pCreate->original())(hProv, algorithm, hKey, dwFlags, phHash);
    g_counts.iHashes += bDone ? 1 : 0;
    return bDone;
}

BOOL WINAPI countedDestroy(HCRYPTHASH hHash)
{
    --g_counts.iHashes;
    return reinterpret_cast<decltype(&CryptDestroyHash)>(
        g_pDestroy->original())(hHash);
}

BOOL WINAPI failingHashData(HCRYPTHASH hHash, const BYTE* pData, DWORD dwLength,
                            DWORD dwFlags)
{
    if (g_counts.bFailHashing) {
        SetLastError(NTE_BAD_HASH);
        return FALSE;
    }
    return reinterpret_cast<decltype(&CryptHashData)>(g_pHashData->original())(
        hHash, pData, dwLength, dwFlags);
}

TEST(PayloadDigest, ReleasesWhatItMadeOnEveryPath)
{
    qbntest::CImportRedirect acquire("advapi32.dll", "CryptAcquireContextW",
                                     reinterpret_cast<void*>(&countedAcquire));
    qbntest::CImportRedirect release("advapi32.dll", "CryptReleaseContext",
                                     reinterpret_cast<void*>(&countedRelease));
    qbntest::CImportRedirect create("advapi32.dll", "CryptCreateHash",
                                    reinterpret_cast<void*>(&countedCreate));
    qbntest::CImportRedirect destroy("advapi32.dll", "CryptDestroyHash",
                                     reinterpret_cast<void*>(&countedDestroy));
    qbntest::CImportRedirect hashData(
        "advapi32.dll", "CryptHashData",
        reinterpret_cast<void*>(&failingHashData));
    ASSERT_TRUE(acquire.isActive() && release.isActive() && create.isActive() &&
                destroy.isActive() && hashData.isActive());
    g_pAcquire = &acquire;
    g_pRelease = &release;
    g_pCreate = &create;
    g_pDestroy = &destroy;
    g_pHashData = &hashData;

    const std::vector<DigestCase> cases = digestCases();
    for (bool bFail : {false, true}) {
        g_counts = {0, 0, 0, bFail};
        for (const DigestCase& c : cases) {
            const bool bMatches = matchesShippedDigest(
                CQBNWCharString(c.szName), bytesOf(c.content));
            // An empty buffer is never handed to CryptHashData.
            if (bFail && !c.content.empty()) {
                EXPECT_FALSE(bMatches) << c.szWhat;
            }
            EXPECT_EQ(0, g_counts.iHashes) << c.szWhat;
        }
        // One context serves every digest of the process and is kept: a
        // context per digest loads and unloads the provider each time.
        EXPECT_LE(g_counts.iAcquired, 1);
        EXPECT_EQ(g_counts.iAcquired, g_counts.iContexts);
    }
}

} // namespace

// The digests built into the patch program: the build writes them from the
// libraries it ships (here the stand-ins' payload), and only exactly those
// bytes, under their own name, pass; the digest is the standard's.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "patch_payload_digest.h"
#include "patch_sha256.h"
#include "standins_paths.h"
#include "support/pe_file.h"

namespace {

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
    std::vector<DigestCase> cases = {
        {"name in other letter case", L"QBNPWM_Windows_Hook.DLL", windows,
         true},
        {"one byte changed", szWindows, oneByteChanged(windows), false},
        {"last byte cut off", szWindows, windows.substr(0, windows.size() - 1),
         false},
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
    for (const wchar_t* szName : {szWindows, L"qbnpwm_keyboard_hook.dll",
                                  L"qbnpwm_windows_hook_x64.dll", szKeyboard64})
        cases.push_back({"each shipped library", szName,
                         standin(QBN_STANDINS_PAYLOAD_DIR, szName), true});
    return cases;
}

TEST(PayloadDigest, OnlyTheShippedBytesUnderTheirOwnName)
{
    for (const DigestCase& c : digestCases()) {
        EXPECT_EQ(c.bMatches,
                  matchesShippedDigest(CQBNWCharString(c.szName),
                                       qbntest::bufferOf(c.content)))
            << c.szWhat;
    }
}

// The digest itself against the standard's examples, one and two blocks of
// padding and a length beyond one block, and a million units.
TEST(PayloadDigest, Sha256OfTheStandardsExamples)
{
    const struct {
        std::string message;
        const char* szDigest;
    } cases[] = {
        {"",
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
    for (const auto& c : cases) {
        unsigned char digest[CPatchSha256::kDigestLength] = {};
        CPatchSha256 sha256;
        ASSERT_TRUE(sha256.digestOf(qbntest::bufferOf(c.message), digest));
        std::string text;
        for (unsigned char byte : digest) {
            char szByte[3] = {};
            std::snprintf(szByte, sizeof(szByte), "%02x", byte);
            text += szByte;
        }
        EXPECT_EQ(c.szDigest, text) << c.message.size() << " bytes";
    }
}

} // namespace

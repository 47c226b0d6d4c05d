#include "patch_payload_digest.h"

#include <windows.h>

#include <cstring>

#include "patch_sha256.h"
#include "qbn_catch.h"

#define PATCH_PAYLOAD_DIGEST_SOURCE L".\\patch_payload_digest.cpp"

namespace {

struct ShippedDigest {
    const wchar_t* szName;
    unsigned char digest[CPatchSha256::kDigestLength];
};

// kShippedDigests: one entry per library of the release, written by the
// build from the very files it ships.
#include "patch_payload_digests.h"

const ShippedDigest* findShippedDigest(const CQBNWCharString& libraryName)
{
    for (const ShippedDigest& shipped : kShippedDigests) {
        if (CompareStringOrdinal(shipped.szName, -1, libraryName.getText(), -1,
                                 TRUE) == CSTR_EQUAL)
            return &shipped;
    }
    return nullptr;
}

} // namespace

bool matchesShippedDigest(const CQBNWCharString& libraryName,
                          const CQBNBuffer<unsigned char>& bytes)
{
    return qbnGuard(
        false, esLastError, PATCH_PAYLOAD_DIGEST_SOURCE, __LINE__, [&]() {
            const ShippedDigest* pShipped = findShippedDigest(libraryName);
            unsigned char digest[CPatchSha256::kDigestLength] = {};
            CPatchSha256 sha256;
            return pShipped != nullptr && sha256.digestOf(bytes, digest) &&
                   std::memcmp(digest, pShipped->digest, sizeof digest) == 0;
        });
}

#include "patch_sha256.h"

namespace {

typedef CQBNUniqueHandle<CPatchCryptProviderTraits> CPatchCryptProvider;

// A verify-only context: no key container is opened or created.
HCRYPTPROV acquireVerifyContext()
{
    HCRYPTPROV hProvider = 0;
    if (!CryptAcquireContextW(&hProvider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT))
        return 0;
    return hProvider;
}

// One context for every digest of the process: acquiring one loads the
// provider's library, which costs more than hashing a hook library. Let go
// of when the process ends.
HCRYPTPROV processProvider()
{
    static const CPatchCryptProvider provider(acquireVerifyContext());
    return provider.get();
}

} // namespace

CPatchSha256::CPatchSha256()
{
    HCRYPTHASH hHash = 0;
    const HCRYPTPROV hProvider = processProvider();
    if (hProvider != 0 && CryptCreateHash(hProvider, CALG_SHA_256, 0, 0, &hHash))
        m_hash.reset(hHash);
}

bool CPatchSha256::digestOf(const CQBNBuffer<unsigned char>& bytes,
                            unsigned char (&digest)[kDigestLength])
{
    return m_hash.isValid() && hashBytes(bytes) && readDigest(digest);
}

bool CPatchSha256::hashBytes(const CQBNBuffer<unsigned char>& bytes)
{
    // An empty buffer owns no storage; its digest is that of no data.
    if (bytes.getNumElems() == 0)
        return true;
    return CryptHashData(m_hash.get(), bytes.getBuffer(), bytes.getNumElems(),
                         0) != FALSE;
}

bool CPatchSha256::readDigest(unsigned char (&digest)[kDigestLength])
{
    DWORD dwLength = kDigestLength;
    return CryptGetHashParam(m_hash.get(), HP_HASHVAL, digest, &dwLength, 0) &&
           dwLength == kDigestLength;
}

#include "patch_sha256.h"

CPatchSha256::CPatchSha256()
{
    // A verify-only context: no key container is opened or created.
    HCRYPTPROV hProvider = 0;
    if (!CryptAcquireContextW(&hProvider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT))
        return;
    m_provider.reset(hProvider);
    HCRYPTHASH hHash = 0;
    if (CryptCreateHash(m_provider.get(), CALG_SHA_256, 0, 0, &hHash))
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

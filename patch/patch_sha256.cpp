#include "patch_sha256.h"

CPatchSha256::CPatchSha256() : m_hProvider(0), m_hHash(0)
{
    // A verify-only context: no key container is opened or created.
    if (!CryptAcquireContextW(&m_hProvider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT)) {
        m_hProvider = 0;
        return;
    }
    if (!CryptCreateHash(m_hProvider, CALG_SHA_256, 0, 0, &m_hHash))
        m_hHash = 0;
}

CPatchSha256::~CPatchSha256()
{
    if (m_hHash != 0)
        CryptDestroyHash(m_hHash);
    if (m_hProvider != 0)
        CryptReleaseContext(m_hProvider, 0);
}

bool CPatchSha256::digestOf(const CQBNBuffer<unsigned char>& bytes,
                            unsigned char (&digest)[kDigestLength])
{
    return m_hHash != 0 && hashBytes(bytes) && readDigest(digest);
}

bool CPatchSha256::hashBytes(const CQBNBuffer<unsigned char>& bytes)
{
    // An empty buffer owns no storage; its digest is that of no data.
    if (bytes.getNumElems() == 0)
        return true;
    return CryptHashData(m_hHash, bytes.getBuffer(), bytes.getNumElems(), 0) !=
           FALSE;
}

bool CPatchSha256::readDigest(unsigned char (&digest)[kDigestLength])
{
    DWORD dwLength = kDigestLength;
    return CryptGetHashParam(m_hHash, HP_HASHVAL, digest, &dwLength, 0) &&
           dwLength == kDigestLength;
}

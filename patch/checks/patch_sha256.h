// SHA-256 of bytes held in memory, through the CryptoAPI of advapi32: the
// program imports advapi32 already and Windows 7 loads it from the system
// folder only (a KnownDLL), so hashing adds no library that could be
// planted beside the program.
#ifndef PATCH_SHA256_H
#define PATCH_SHA256_H

#include <windows.h>

#include <wincrypt.h>

#include "qbn_buffer.h"
#include "qbn_unique_handle.h"

// The CryptoAPI's provider and hash handles, for the library's one handle
// owner: each kind has its own release call.
struct CPatchCryptProviderTraits {
    typedef HCRYPTPROV Handle;
    static HCRYPTPROV empty() { return 0; }
    static bool isValid(HCRYPTPROV hProvider) { return hProvider != 0; }
    static bool close(HCRYPTPROV hProvider)
    {
        return CryptReleaseContext(hProvider, 0) != FALSE;
    }
};

struct CPatchCryptHashTraits {
    typedef HCRYPTHASH Handle;
    static HCRYPTHASH empty() { return 0; }
    static bool isValid(HCRYPTHASH hHash) { return hHash != 0; }
    static bool close(HCRYPTHASH hHash)
    {
        return CryptDestroyHash(hHash) != FALSE;
    }
};

class CPatchSha256 {
public:
    static const DWORD kDigestLength = 32;

    CPatchSha256();

    // The digest of all of `bytes`; false when the provider, the hash or
    // its value could not be had. Each object hashes one buffer.
    bool digestOf(const CQBNBuffer<unsigned char>& bytes,
                  unsigned char (&digest)[kDigestLength]);

private:
    bool hashBytes(const CQBNBuffer<unsigned char>& bytes);
    bool readDigest(unsigned char (&digest)[kDigestLength]);

    // Made from the process's one provider context, which outlives it.
    CQBNUniqueHandle<CPatchCryptHashTraits> m_hash;
};

#endif

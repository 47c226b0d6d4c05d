// SHA-256 of bytes held in memory, through the CryptoAPI of advapi32: the
// program imports advapi32 already and Windows 7 loads it from the system
// folder only (a KnownDLL), so hashing adds no library that could be
// planted beside the program.
#ifndef PATCH_SHA256_H
#define PATCH_SHA256_H

#include <windows.h>

#include <wincrypt.h>

#include "qbn_buffer.h"

class CPatchSha256 {
public:
    static const DWORD kDigestLength = 32;

    CPatchSha256();
    ~CPatchSha256();

    // The digest of all of `bytes`; false when the provider, the hash or
    // its value could not be had. Each object hashes one buffer.
    bool digestOf(const CQBNBuffer<unsigned char>& bytes,
                  unsigned char (&digest)[kDigestLength]);

private:
    CPatchSha256(const CPatchSha256&) = delete;
    CPatchSha256& operator=(const CPatchSha256&) = delete;

    bool hashBytes(const CQBNBuffer<unsigned char>& bytes);
    bool readDigest(unsigned char (&digest)[kDigestLength]);

    HCRYPTPROV m_hProvider;
    HCRYPTHASH m_hHash;
};

#endif

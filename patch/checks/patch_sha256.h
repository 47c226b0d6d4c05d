// SHA-256 (FIPS 180-4) of bytes held in memory, computed here rather than
// through the CryptoAPI: a provider context loads three more system
// libraries into the run, which cost more than hashing the few libraries
// the patch checks, and adds nothing to what the digest proves.
#ifndef PATCH_SHA256_H
#define PATCH_SHA256_H

#include <windows.h>

#include "qbn_buffer.h"

class CPatchSha256 {
public:
    static const DWORD kDigestLength = 32;

    CPatchSha256() = default;

    // The digest of all of `bytes`. Each object hashes one buffer.
    bool digestOf(const CQBNBuffer<unsigned char>& bytes,
                  unsigned char (&digest)[kDigestLength]);

private:
    void addBlock(const unsigned char* pBlock);

    DWORD m_state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
};

#endif

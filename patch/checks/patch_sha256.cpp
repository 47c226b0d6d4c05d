#include "patch_sha256.h"

#include <cstring>

namespace {

const DWORD kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1,
    0x923f82a4, 0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3,
    0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786,
    0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147,
    0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13,
    0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a,
    0x5b9cca4f, 0x682e6ff3, 0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208,
    0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

const unsigned long kBlockLength = 64;

DWORD rotateRight(DWORD dwValue, int nBits)
{
    return (dwValue >> nBits) | (dwValue << (32 - nBits));
}

DWORD bigEndianWord(const unsigned char* pBytes)
{
    return (static_cast<DWORD>(pBytes[0]) << 24) |
           (static_cast<DWORD>(pBytes[1]) << 16) |
           (static_cast<DWORD>(pBytes[2]) << 8) | static_cast<DWORD>(pBytes[3]);
}

// The message schedule of one block.
void expandBlock(const unsigned char* pBlock, DWORD (&words)[64])
{
    for (int n = 0; n < 16; ++n)
        words[n] = bigEndianWord(pBlock + 4 * n);
    for (int n = 16; n < 64; ++n) {
        const DWORD dwS0 = rotateRight(words[n - 15], 7) ^
                           rotateRight(words[n - 15], 18) ^
                           (words[n - 15] >> 3);
        const DWORD dwS1 = rotateRight(words[n - 2], 17) ^
                           rotateRight(words[n - 2], 19) ^ (words[n - 2] >> 10);
        words[n] = words[n - 16] + dwS0 + words[n - 7] + dwS1;
    }
}

} // namespace

bool CPatchSha256::digestOf(const CQBNBuffer<unsigned char>& bytes,
                            unsigned char (&digest)[kDigestLength])
{
    const unsigned long ulLength = bytes.getNumElems();
    const unsigned char* pBytes = ulLength == 0 ? nullptr : bytes.getBuffer();
    unsigned long ulDone = 0;
    for (; ulLength - ulDone >= kBlockLength; ulDone += kBlockLength)
        addBlock(pBytes + ulDone);
    // The rest, a 1 bit, zeros, and the length in bits: one or two blocks.
    unsigned char tail[2 * kBlockLength] = {};
    const unsigned long ulRest = ulLength - ulDone;
    if (ulRest != 0)
        std::memcpy(tail, pBytes + ulDone, ulRest);
    tail[ulRest] = 0x80;
    const unsigned long ulTail =
        ulRest + 9 <= kBlockLength ? kBlockLength : 2 * kBlockLength;
    const unsigned long long ullBits =
        static_cast<unsigned long long>(ulLength) * 8;
    for (int n = 0; n < 8; ++n)
        tail[ulTail - 1 - n] = static_cast<unsigned char>(ullBits >> (8 * n));
    for (unsigned long ulBlock = 0; ulBlock < ulTail; ulBlock += kBlockLength)
        addBlock(tail + ulBlock);
    for (DWORD n = 0; n < kDigestLength; ++n)
        digest[n] =
            static_cast<unsigned char>(m_state[n / 4] >> (24 - 8 * (n % 4)));
    return true;
}

void CPatchSha256::addBlock(const unsigned char* pBlock)
{
    DWORD words[64];
    expandBlock(pBlock, words);
    DWORD v[8];
    std::memcpy(v, m_state, sizeof(v));
    for (int n = 0; n < 64; ++n) {
        const DWORD dwS1 =
            rotateRight(v[4], 6) ^ rotateRight(v[4], 11) ^ rotateRight(v[4], 25);
        const DWORD dwChoice = (v[4] & v[5]) ^ (~v[4] & v[6]);
        const DWORD dwFirst =
            v[7] + dwS1 + dwChoice + kRoundConstants[n] + words[n];
        const DWORD dwS0 =
            rotateRight(v[0], 2) ^ rotateRight(v[0], 13) ^ rotateRight(v[0], 22);
        const DWORD dwMajority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
        std::memmove(v + 1, v, 7 * sizeof(DWORD));
        v[4] += dwFirst;
        v[0] = dwFirst + dwS0 + dwMajority;
    }
    for (int n = 0; n < 8; ++n)
        m_state[n] += v[n];
}

// A Windows image read from its bytes in memory, never looking outside
// them: every structure is copied out only when it lies wholly inside.
// The patch reads the libraries it ships and the ones it replaces from
// folders others may write to, so nothing in a header is trusted.
#ifndef PATCH_IMAGE_BYTES_H
#define PATCH_IMAGE_BYTES_H

#include <windows.h>

#include <cstring>

#include "qbn_buffer.h"

class CImageBytes {
public:
    CImageBytes(const unsigned char* pBytes, unsigned long ulSize);
    explicit CImageBytes(const CQBNBuffer<unsigned char>& bytes);

    bool contains(unsigned long ulOffset, unsigned long ulLength) const;

    template <class T>
    bool read(unsigned long ulOffset, T& out) const
    {
        if (!contains(ulOffset, sizeof(T)))
            return false;
        std::memcpy(&out, m_pBytes + ulOffset, sizeof(T));
        return true;
    }

    // The bytes at `ulOffset`, when `ulLength` of them lie inside.
    const unsigned char* at(unsigned long ulOffset,
                            unsigned long ulLength) const;

    // The headers as far as the section table: false for anything that is
    // not a PE image with sections.
    bool readHeaders(IMAGE_FILE_HEADER& file, WORD& wMagic,
                     unsigned long& ulOptional) const;
    // Where the data at a relative virtual address lies in the file, when
    // `ulLength` bytes of it lie in one section's raw data.
    bool offsetOf(DWORD dwRva, unsigned long ulLength,
                  unsigned long& ulOffset) const;

private:
    const unsigned char* m_pBytes;
    unsigned long m_ulSize;
};

#endif

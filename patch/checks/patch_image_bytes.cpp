#include "patch_image_bytes.h"

CImageBytes::CImageBytes(const unsigned char* pBytes, unsigned long ulSize)
    : m_pBytes(pBytes), m_ulSize(pBytes != nullptr ? ulSize : 0)
{
}

CImageBytes::CImageBytes(const CQBNBuffer<unsigned char>& bytes)
    : CImageBytes(bytes.getBuffer(), bytes.getNumElems())
{
}

bool CImageBytes::contains(unsigned long ulOffset, unsigned long ulLength) const
{
    return ulOffset <= m_ulSize && ulLength <= m_ulSize - ulOffset;
}

const unsigned char* CImageBytes::at(unsigned long ulOffset,
                                     unsigned long ulLength) const
{
    return contains(ulOffset, ulLength) ? m_pBytes + ulOffset : nullptr;
}

bool CImageBytes::readHeaders(IMAGE_FILE_HEADER& file, WORD& wMagic,
                              unsigned long& ulOptional) const
{
    IMAGE_DOS_HEADER dos = {};
    if (!read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0)
        return false;
    const unsigned long ulNt = static_cast<unsigned long>(dos.e_lfanew);
    DWORD dwSignature = 0;
    const unsigned long ulFileHeader = ulNt + sizeof(dwSignature);
    ulOptional = ulFileHeader + sizeof(file);
    return read(ulNt, dwSignature) && dwSignature == IMAGE_NT_SIGNATURE &&
           read(ulFileHeader, file) && read(ulOptional, wMagic) &&
           file.NumberOfSections != 0;
}

bool CImageBytes::offsetOf(DWORD dwRva, unsigned long ulLength,
                           unsigned long& ulOffset) const
{
    IMAGE_FILE_HEADER file = {};
    WORD wMagic = 0;
    unsigned long ulOptional = 0;
    if (!readHeaders(file, wMagic, ulOptional))
        return false;
    const unsigned long ulFirst = ulOptional + file.SizeOfOptionalHeader;
    for (WORD wIndex = 0; wIndex < file.NumberOfSections; ++wIndex) {
        IMAGE_SECTION_HEADER section = {};
        if (!read(ulFirst + wIndex * sizeof(section), section))
            return false;
        if (dwRva < section.VirtualAddress ||
            dwRva - section.VirtualAddress >= section.SizeOfRawData)
            continue;
        const DWORD dwInto = dwRva - section.VirtualAddress;
        if (ulLength > section.SizeOfRawData - dwInto)
            return false;
        ulOffset = section.PointerToRawData + dwInto;
        return ulOffset >= section.PointerToRawData &&
               contains(ulOffset, ulLength);
    }
    return false;
}

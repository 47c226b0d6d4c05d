#include "patch_image_check.h"

#include <cstring>

namespace {

// A reader that never looks outside the file: every structure is copied
// out only when it lies wholly inside.
class CImageBytes {
public:
    explicit CImageBytes(const CQBNBuffer<unsigned char>& bytes)
        : m_pBytes(bytes.getBuffer()), m_ulSize(bytes.getNumElems())
    {
    }

    bool contains(unsigned long ulOffset, unsigned long ulLength) const
    {
        return ulOffset <= m_ulSize && ulLength <= m_ulSize - ulOffset;
    }

    template <class T>
    bool read(unsigned long ulOffset, T& out) const
    {
        if (!contains(ulOffset, sizeof(T)))
            return false;
        std::memcpy(&out, m_pBytes + ulOffset, sizeof(T));
        return true;
    }

private:
    const unsigned char* m_pBytes;
    unsigned long m_ulSize;
};

WORD optionalHeaderMagicFor(WORD wMachine)
{
    return wMachine == IMAGE_FILE_MACHINE_AMD64 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC
                                                : IMAGE_NT_OPTIONAL_HDR32_MAGIC;
}

bool sectionsLieInside(const CImageBytes& image, unsigned long ulFirstSection,
                       WORD wSections)
{
    for (WORD wIndex = 0; wIndex < wSections; ++wIndex) {
        IMAGE_SECTION_HEADER section = {};
        if (!image.read(ulFirstSection + wIndex * sizeof(section), section) ||
            !image.contains(section.PointerToRawData, section.SizeOfRawData))
            return false;
    }
    return true;
}

} // namespace

namespace {

bool isWholeImage(const CQBNBuffer<unsigned char>& bytes, WORD wMachine,
                  bool bLibrary)
{
    const CImageBytes image(bytes);
    IMAGE_DOS_HEADER dos = {};
    if (!image.read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        dos.e_lfanew < 0)
        return false;
    const unsigned long ulNt = static_cast<unsigned long>(dos.e_lfanew);
    DWORD dwSignature = 0;
    IMAGE_FILE_HEADER file = {};
    WORD wMagic = 0;
    const unsigned long ulFileHeader = ulNt + sizeof(dwSignature);
    const unsigned long ulOptional = ulFileHeader + sizeof(file);
    if (!image.read(ulNt, dwSignature) || dwSignature != IMAGE_NT_SIGNATURE ||
        !image.read(ulFileHeader, file) || file.Machine != wMachine ||
        ((file.Characteristics & IMAGE_FILE_DLL) != 0) != bLibrary ||
        !image.read(ulOptional, wMagic) ||
        wMagic != optionalHeaderMagicFor(wMachine))
        return false;
    return file.NumberOfSections != 0 &&
           sectionsLieInside(image, ulOptional + file.SizeOfOptionalHeader,
                             file.NumberOfSections);
}

} // namespace

bool isWholeLibraryImage(const CQBNBuffer<unsigned char>& bytes, WORD wMachine)
{
    return isWholeImage(bytes, wMachine, true);
}

bool isWholeProgramImage(const CQBNBuffer<unsigned char>& bytes, WORD wMachine)
{
    return isWholeImage(bytes, wMachine, false);
}

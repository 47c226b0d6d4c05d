#include "patch_image_check.h"

#include "patch_image_bytes.h"

namespace {

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

bool isWholeImage(const CQBNBuffer<unsigned char>& bytes, WORD wMachine,
                  bool bLibrary)
{
    const CImageBytes image(bytes);
    IMAGE_FILE_HEADER file = {};
    WORD wMagic = 0;
    unsigned long ulOptional = 0;
    if (!image.readHeaders(file, wMagic, ulOptional) ||
        file.Machine != wMachine ||
        ((file.Characteristics & IMAGE_FILE_DLL) != 0) != bLibrary ||
        wMagic != optionalHeaderMagicFor(wMachine))
        return false;
    return sectionsLieInside(image, ulOptional + file.SizeOfOptionalHeader,
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

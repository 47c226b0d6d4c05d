#include "patch_image_version.h"

#include "patch_image_bytes.h"

namespace {

const WORD kVersionResourceType = 16; // RT_VERSION
const WORD kVersionResourceName = 1;  // VS_VERSION_INFO
const DWORD kSubdirectory = 0x80000000;
const DWORD kFixedInfoSignature = 0xFEEF04BD;
const wchar_t kVersionInfoKey[] = L"VS_VERSION_INFO";

// IMAGE_RESOURCE_DIRECTORY_ENTRY as its two words, without the unions.
struct ResourceEntry {
    DWORD dwName;
    DWORD dwOffset;
};

// The header of the VS_VERSIONINFO block: lengths, type and its key.
struct VersionBlockHeader {
    WORD wLength;
    WORD wValueLength;
    WORD wType;
    wchar_t szKey[ARRAYSIZE(kVersionInfoKey)];
};

// The value follows the key on the next 32-bit boundary.
const unsigned long kFixedInfoOffset = (sizeof(VersionBlockHeader) + 3) & ~3UL;

// The entry of one resource directory with numeric name `wId` (any entry
// when `bFirst`); its offset is relative to the resource section's start.
bool findEntry(const CImageBytes& image, unsigned long ulRoot,
               unsigned long ulDirectory, WORD wId, bool bFirst,
               ResourceEntry& found)
{
    IMAGE_RESOURCE_DIRECTORY directory = {};
    const unsigned long ulEntries = ulRoot + ulDirectory + sizeof(directory);
    if (!image.read(ulRoot + ulDirectory, directory))
        return false;
    const unsigned long ulCount =
        directory.NumberOfNamedEntries + directory.NumberOfIdEntries;
    for (unsigned long ulIndex = 0; ulIndex < ulCount; ++ulIndex) {
        if (!image.read(ulEntries + ulIndex * sizeof(found), found))
            return false;
        if (bFirst || found.dwName == wId)
            return true;
    }
    return false;
}

// Type, name, language: two directories and then the data.
bool findVersionData(const CImageBytes& image, unsigned long ulRoot,
                     IMAGE_RESOURCE_DATA_ENTRY& data)
{
    ResourceEntry type = {};
    ResourceEntry name = {};
    ResourceEntry language = {};
    return findEntry(image, ulRoot, 0, kVersionResourceType, false, type) &&
           (type.dwOffset & kSubdirectory) != 0 &&
           findEntry(image, ulRoot, type.dwOffset & ~kSubdirectory,
                     kVersionResourceName, false, name) &&
           (name.dwOffset & kSubdirectory) != 0 &&
           findEntry(image, ulRoot, name.dwOffset & ~kSubdirectory, 0, true,
                     language) &&
           (language.dwOffset & kSubdirectory) == 0 &&
           image.read(ulRoot + language.dwOffset, data);
}

bool resourceRootOf(const CImageBytes& image, unsigned long& ulRoot)
{
    IMAGE_FILE_HEADER file = {};
    WORD wMagic = 0;
    unsigned long ulOptional = 0;
    if (!image.readHeaders(file, wMagic, ulOptional))
        return false;
    IMAGE_DATA_DIRECTORY resources = {};
    if (wMagic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_OPTIONAL_HEADER32 optional = {};
        if (!image.read(ulOptional, optional) ||
            optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_RESOURCE)
            return false;
        resources = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
    } else if (wMagic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 optional = {};
        if (!image.read(ulOptional, optional) ||
            optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_RESOURCE)
            return false;
        resources = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
    }
    return resources.VirtualAddress != 0 &&
           image.offsetOf(resources.VirtualAddress,
                          sizeof(IMAGE_RESOURCE_DIRECTORY), ulRoot);
}

} // namespace

bool readImageFileVersion(const CQBNBuffer<unsigned char>& bytes,
                          DWORD& versionMS, DWORD& versionLS)
{
    const CImageBytes image(bytes);
    unsigned long ulRoot = 0;
    IMAGE_RESOURCE_DATA_ENTRY data = {};
    unsigned long ulBlock = 0;
    return resourceRootOf(image, ulRoot) &&
           findVersionData(image, ulRoot, data) &&
           image.offsetOf(data.OffsetToData, data.Size, ulBlock) &&
           readVersionBlock(image.at(ulBlock, data.Size), data.Size, versionMS,
                            versionLS);
}

unsigned long long imageVersionNumber(const CQBNBuffer<unsigned char>& bytes)
{
    DWORD dwMS = 0;
    DWORD dwLS = 0;
    if (!readImageFileVersion(bytes, dwMS, dwLS))
        return 0;
    return (static_cast<unsigned long long>(dwMS) << 32) | dwLS;
}

bool readVersionBlock(const unsigned char* pBlock, unsigned long ulSize,
                      DWORD& versionMS, DWORD& versionLS)
{
    const CImageBytes block(pBlock, ulSize);
    VersionBlockHeader header = {};
    VS_FIXEDFILEINFO info = {};
    if (!block.read(0, header) || header.wLength > ulSize ||
        header.wValueLength < sizeof(info) ||
        std::memcmp(header.szKey, kVersionInfoKey, sizeof(kVersionInfoKey)) !=
            0 ||
        !block.contains(0, kFixedInfoOffset + sizeof(info)) ||
        header.wLength < kFixedInfoOffset + sizeof(info) ||
        !block.read(kFixedInfoOffset, info) ||
        info.dwSignature != kFixedInfoSignature)
        return false;
    versionMS = info.dwFileVersionMS;
    versionLS = info.dwFileVersionLS;
    return true;
}

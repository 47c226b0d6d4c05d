// What a test needs to know about a Windows program or library file: its
// bytes, its machine type, the DLLs it imports, its version information and
// its manifest. The file is read as data; nothing in it is run.
#ifndef QBN_TEST_PE_FILE_H
#define QBN_TEST_PE_FILE_H

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "qbn_buffer.h"
#include "qbn_unique_handle.h"

namespace qbntest {

// The whole file, or an empty string when it cannot be read; a file another
// program is still writing to is read as far as it goes.
inline std::string readFileBytes(const std::wstring& path)
{
    const CQBNUniqueKernelHandle file(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return std::string();
    std::string bytes;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart < 64 * 1024 * 1024) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD dwRead = 0;
        if (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()),
                      &dwRead, nullptr) ||
            dwRead != bytes.size())
            bytes.clear();
    }
    return bytes;
}

// File bytes as the library's byte buffer.
inline CQBNBuffer<unsigned char> bufferOf(const std::string& bytes)
{
    return CQBNBuffer<unsigned char>(
        reinterpret_cast<const unsigned char*>(bytes.data()),
        static_cast<unsigned long>(bytes.size()));
}

// A PE image held as file bytes. Every header is copied out of the bytes
// with its size checked, so that a damaged file fails the test instead of
// crashing it.
class CPeImage {
public:
    explicit CPeImage(std::string bytes) : m_bytes(std::move(bytes))
    {
        IMAGE_DOS_HEADER dos = {};
        if (!read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
            return;
        m_ntOffset = static_cast<size_t>(dos.e_lfanew);
        m_valid =
            read(m_ntOffset, m_nt) && m_nt.Signature == IMAGE_NT_SIGNATURE;
    }

    bool isValid() const { return m_valid; }

    // IMAGE_FILE_MACHINE_I386 or IMAGE_FILE_MACHINE_AMD64; 0 if not a PE.
    WORD machine() const { return m_valid ? m_nt.FileHeader.Machine : 0; }

    // The imported DLL names as the file spells them. 32-bit images only:
    // the programs whose imports matter here are all 32-bit.
    std::vector<std::string> importedDllNames() const
    {
        std::vector<std::string> names;
        if (!isPe32())
            return names;
        const IMAGE_DATA_DIRECTORY& directory =
            m_nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        size_t offset = 0;
        if (directory.VirtualAddress == 0 ||
            !fileOffsetOf(directory.VirtualAddress, offset))
            return names;
        IMAGE_IMPORT_DESCRIPTOR import = {};
        for (; read(offset, import) && import.Name != 0;
             offset += sizeof import) {
            size_t nameOffset = 0;
            if (!fileOffsetOf(import.Name, nameOffset))
                break;
            names.push_back(textAt(nameOffset));
        }
        return names;
    }

private:
    template <class T>
    bool read(size_t offset, T& out) const
    {
        if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof(T))
            return false;
        std::memcpy(&out, m_bytes.data() + offset, sizeof(T));
        return true;
    }

    bool isPe32() const
    {
        return m_valid &&
               m_nt.OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    }

    // Where the section that holds `rva` keeps that byte in the file.
    bool fileOffsetOf(DWORD rva, size_t& offset) const
    {
        const size_t firstSection =
            m_ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
            m_nt.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < m_nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section = {};
            if (!read(firstSection + i * sizeof section, section))
                return false;
            if (rva >= section.VirtualAddress &&
                rva - section.VirtualAddress < section.SizeOfRawData) {
                offset =
                    section.PointerToRawData + (rva - section.VirtualAddress);
                return true;
            }
        }
        return false;
    }

    std::string textAt(size_t offset) const
    {
        std::string text;
        while (offset < m_bytes.size() && m_bytes[offset] != '\0')
            text += m_bytes[offset++];
        return text;
    }

    std::string m_bytes;
    size_t m_ntOffset = 0;
    // The 32-bit layout; FileHeader and the optional header's Magic sit at
    // the same place in a 64-bit image.
    IMAGE_NT_HEADERS32 m_nt = {};
    bool m_valid = false;
};

// The version information block of a file; empty when it carries none.
inline std::vector<BYTE> readVersionBlock(const std::wstring& path)
{
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeW(path.c_str(), &dwHandle);
    std::vector<BYTE> block(dwSize);
    if (dwSize == 0 ||
        !GetFileVersionInfoW(path.c_str(), 0, dwSize, block.data()))
        block.clear();
    return block;
}

// dwFileVersionMS and dwFileVersionLS of the fixed part; false when the file
// carries no version information.
inline bool readFileVersion(const std::wstring& path, DWORD& dwMS, DWORD& dwLS)
{
    std::vector<BYTE> block = readVersionBlock(path);
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT uLength = 0;
    if (block.empty() ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&pFixed),
                        &uLength) ||
        uLength < sizeof(VS_FIXEDFILEINFO))
        return false;
    dwMS = pFixed->dwFileVersionMS;
    dwLS = pFixed->dwFileVersionLS;
    return true;
}

// One value of the version information's first string table, such as
// "ProductName"; empty when absent.
inline std::wstring readVersionString(const std::wstring& path,
                                      const std::wstring& name)
{
    std::vector<BYTE> block = readVersionBlock(path);
    struct Translation {
        WORD wLanguage;
        WORD wCodePage;
    }* pTranslation = nullptr;
    UINT uLength = 0;
    if (block.empty() ||
        !VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&pTranslation), &uLength) ||
        uLength < sizeof(Translation))
        return std::wstring();
    wchar_t szSubBlock[128] = {};
    swprintf(szSubBlock, 127, L"\\StringFileInfo\\%04x%04x\\%ls",
             pTranslation->wLanguage, pTranslation->wCodePage, name.c_str());
    wchar_t* pValue = nullptr;
    if (!VerQueryValueW(block.data(), szSubBlock,
                        reinterpret_cast<void**>(&pValue), &uLength) ||
        uLength == 0)
        return std::wstring();
    return std::wstring(pValue, wcsnlen(pValue, uLength));
}

// The text of the manifest a module embeds as resource 1; empty if none.
inline std::string readManifest(HMODULE hModule)
{
    const HRSRC hFound =
        FindResourceW(hModule, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    const HGLOBAL hLoaded =
        hFound == nullptr ? nullptr : LoadResource(hModule, hFound);
    const char* pText = hLoaded == nullptr
                            ? nullptr
                            : static_cast<const char*>(LockResource(hLoaded));
    if (pText == nullptr)
        return std::string();
    return std::string(pText, SizeofResource(hModule, hFound));
}

} // namespace qbntest

#endif

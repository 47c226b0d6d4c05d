#include "machine_text.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "qbn_scoped_handle.h"

namespace machine {

std::string toUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int iBytes = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                           static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(iBytes > 0 ? iBytes : 0, '\0');
    if (iBytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(),
                            static_cast<int>(text.size()), &bytes[0], iBytes,
                            nullptr, nullptr);
    return bytes;
}

std::wstring fromUtf8(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int iChars = MultiByteToWideChar(
        CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(iChars > 0 ? iChars : 0, L'\0');
    if (iChars > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(),
                            static_cast<int>(bytes.size()), &text[0], iChars);
    return text;
}

std::wstring escaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t wc : text) {
        if (wc == L'\r')
            out += L"\\r";
        else if (wc == L'\n')
            out += L"\\n";
        else if (wc == L'\t')
            out += L"\\t";
        else if (wc < 0x20 || wc == 0xFEFF) {
            wchar_t szCode[8] = {};
            swprintf(szCode, 8, L"\\x%02X", static_cast<unsigned>(wc));
            out += szCode;
        } else
            out += wc;
    }
    return out;
}

void printLine(const std::wstring& text)
{
    const std::string bytes = toUtf8(text + L"\n");
    DWORD dwWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(),
              static_cast<DWORD>(bytes.size()), &dwWritten, nullptr);
}

bool appendLine(const std::wstring& path, const std::wstring& text)
{
    const CQBNScopedHandle file(
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return false;
    const std::string bytes = toUtf8(text + L"\n");
    DWORD dwWritten = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                     &dwWritten, nullptr) &&
           dwWritten == bytes.size();
}

bool fileExists(const std::wstring& path)
{
    const DWORD dwAttributes = GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool readFileBytes(const std::wstring& path, std::string& bytes)
{
    const CQBNScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.isValid() || !GetFileSizeEx(file.get(), &size) ||
        size.QuadPart > 64 * 1024 * 1024)
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD dwRead = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()),
                     &dwRead, nullptr) &&
            dwRead == bytes.size());
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty() || folder.back() == L'\\')
        return folder + name;
    return folder + L"\\" + name;
}

bool equalsIgnoringCase(const std::wstring& left, const std::wstring& right)
{
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()),
                                right.c_str(), static_cast<int>(right.size()),
                                TRUE) == CSTR_EQUAL;
}

} // namespace machine

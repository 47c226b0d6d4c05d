// Times the registry text file against Wine's own reg.exe on the same key
// tree, once with 1,000 and once with 10,000 values (mixed types, 100 values
// per key, four of them 64 KiB binaries): export through save format 8 and
// import through restore 0x10 (into a deleted tree) beside "reg export" and
// "reg import". It also times the two ways of putting the exported lines
// into a file with the private-profile functions, one
// WritePrivateProfileStringW per value against one WritePrivateProfileSectionW
// per key, which is what decided how the writer writes.
//
// Everything lives under HKCU\Software\QbnBench\<pid> and in a folder of its
// own under %TEMP%; both are removed at the end.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "qbn_registry_binary.h"
#include "qbn_registry_dword.h"
#include "qbn_registry_key.h"
#include "qbn_registry_multi_string.h"
#include "qbn_registry_string.h"

namespace {

const unsigned long kValuesPerKey = 100;
const unsigned long kBigBinaries = 4;
const unsigned long kBigBinaryBytes = 64 * 1024;

double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

template <class Body>
double timed(Body body)
{
    LARGE_INTEGER start = {};
    QueryPerformanceCounter(&start);
    body();
    return secondsSince(start);
}

// ---- the tree ----

void setValue(HKEY hKey, const std::wstring& name, DWORD dwType,
              const void* pData, size_t size)
{
    RegSetValueExW(hKey, name.c_str(), 0, dwType,
                   static_cast<const BYTE*>(pData), static_cast<DWORD>(size));
}

void setText(HKEY hKey, const std::wstring& name, DWORD dwType,
             const std::wstring& text)
{
    setValue(hKey, name, dwType, text.c_str(),
             (text.size() + 1) * sizeof(wchar_t));
}

// Value i of the tree: the types in turn, and a 64 KiB binary now and then.
void putMixedValue(HKEY hKey, unsigned long ulIndex, unsigned long ulTotal)
{
    const std::wstring name = L"value" + std::to_wstring(ulIndex);
    const unsigned long ulBigEvery = ulTotal / kBigBinaries;
    if (ulIndex % ulBigEvery == ulBigEvery / 2) {
        std::vector<unsigned char> big(kBigBinaryBytes);
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<unsigned char>(i * 31 + ulIndex);
        setValue(hKey, name, REG_BINARY, big.data(), big.size());
        return;
    }
    const std::wstring text = L"text of value " + std::to_wstring(ulIndex);
    switch (ulIndex % 5) {
    case 0: {
        const DWORD dwValue = ulIndex * 2654435761u;
        setValue(hKey, name, REG_DWORD, &dwValue, sizeof(dwValue));
        break;
    }
    case 1:
        setText(hKey, name, REG_SZ, text);
        break;
    case 2:
        setText(hKey, name, REG_EXPAND_SZ, L"%TEMP%\\" + text);
        break;
    case 3: {
        const std::wstring multi = text + L'\0' + L"second" + L'\0' + L'\0';
        setValue(hKey, name, REG_MULTI_SZ, multi.c_str(),
                 multi.size() * sizeof(wchar_t));
        break;
    }
    default: {
        const unsigned char bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        setValue(hKey, name, REG_BINARY, bytes, sizeof(bytes));
        break;
    }
    }
}

// Keys G<g>\K<k>, ten to a group, kValuesPerKey values each.
std::wstring keyPathOf(const std::wstring& path, unsigned long ulKey)
{
    return path + L"\\G" + std::to_wstring(ulKey / 10) + L"\\K" +
           std::to_wstring(ulKey);
}

void buildTree(const std::wstring& path, unsigned long ulValues)
{
    for (unsigned long ulKey = 0; ulKey * kValuesPerKey < ulValues; ++ulKey) {
        const std::wstring keyPath = keyPathOf(path, ulKey);
        HKEY hKey = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &hKey,
                            nullptr) != ERROR_SUCCESS)
            continue;
        for (unsigned long ul = 0; ul < kValuesPerKey; ++ul)
            putMixedValue(hKey, ulKey * kValuesPerKey + ul, ulValues);
        RegCloseKey(hKey);
    }
}

void deleteTree(const std::wstring& parent, const std::wstring& name)
{
    HKEY hParent = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_ALL_ACCESS,
                      &hParent) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(hParent, name.c_str());
    RegDeleteKeyW(hParent, name.c_str());
    RegCloseKey(hParent);
}

unsigned long countValues(HKEY hRoot, const std::wstring& path)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ, &hKey) !=
        ERROR_SUCCESS)
        return 0;
    DWORD dwSubKeys = 0;
    DWORD dwValues = 0;
    RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &dwSubKeys, nullptr,
                     nullptr, &dwValues, nullptr, nullptr, nullptr, nullptr);
    unsigned long ulCount = dwValues;
    for (DWORD dwIndex = 0; dwIndex < dwSubKeys; ++dwIndex) {
        wchar_t szName[256];
        DWORD dwLength = 256;
        if (RegEnumKeyExW(hKey, dwIndex, szName, &dwLength, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS)
            ulCount += countValues(hRoot, path + L"\\" + szName);
    }
    RegCloseKey(hKey);
    return ulCount;
}

// What the writer spends on reading the registry: the five list readers
// over every key that holds values.
double timeListReaders(const std::wstring& path, unsigned long ulValues)
{
    return timed([&]() {
        for (unsigned long ulKey = 0; ulKey * kValuesPerKey < ulValues;
             ++ulKey) {
            CQBNRegistryKey key(HKEY_CURRENT_USER,
                                keyPathOf(path, ulKey).c_str(), kQbnKeyRead,
                                false, 0);
            CQBNRegistryDwordValueList dwords;
            CQBNRegistryStringValueList strings;
            CQBNRegistryStringValueList expandStrings;
            CQBNRegistryMultiStringValueList multiStrings;
            CQBNRegistryBinaryValueList binaries;
            key.getDwordValues(dwords);
            key.getStringValues(strings);
            key.getExpandStringValues(expandStrings, false);
            key.getMultiStringValues(multiStrings);
            key.getBinaryValues(binaries);
        }
    });
}

// ---- reg.exe ----

bool runReg(const std::wstring& arguments)
{
    wchar_t szSystem[MAX_PATH + 1] = {};
    GetSystemDirectoryW(szSystem, MAX_PATH);
    const std::wstring program = std::wstring(szSystem) + L"\\reg.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr,
                        FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD dwExitCode = 1;
    GetExitCodeProcess(process.hProcess, &dwExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return dwExitCode == 0;
}

// ---- the private-profile functions alone ----

struct Section {
    std::wstring name;
    std::vector<std::wstring> lines;  // "name=data"
};

// The exported file's sections and lines, read as text (ANSI, CRLF).
std::vector<Section> readSections(const std::wstring& file)
{
    std::vector<Section> sections;
    const HANDLE hFile = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return sections;
    std::string bytes(GetFileSize(hFile, nullptr), '\0');
    DWORD dwRead = 0;
    ReadFile(hFile, &bytes[0], static_cast<DWORD>(bytes.size()), &dwRead,
             nullptr);
    CloseHandle(hFile);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                                    static_cast<int>(dwRead), &text[0],
                                    static_cast<int>(text.size())));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line[0] == L'[')
            sections.push_back(Section{line.substr(1, line.size() - 2), {}});
        else if (!sections.empty())
            sections.back().lines.push_back(line);
    }
    return sections;
}

double writeValueByValue(const std::vector<Section>& sections,
                         const std::wstring& file, unsigned long& ulCalls)
{
    DeleteFileW(file.c_str());
    ulCalls = 0;
    return timed([&]() {
        for (const Section& section : sections)
            for (const std::wstring& line : section.lines) {
                const size_t equals = line.find(L'=');
                WritePrivateProfileStringW(
                    section.name.c_str(), line.substr(0, equals).c_str(),
                    line.substr(equals + 1).c_str(), file.c_str());
                ++ulCalls;
            }
    });
}

double writeSectionBySection(const std::vector<Section>& sections,
                             const std::wstring& file)
{
    DeleteFileW(file.c_str());
    return timed([&]() {
        for (const Section& section : sections) {
            std::wstring block;
            for (const std::wstring& line : section.lines)
                block += line + L'\0';
            block += L'\0';
            WritePrivateProfileSectionW(section.name.c_str(), block.c_str(),
                                        file.c_str());
        }
    });
}

// What the reader spends in the profile functions: one read per section.
double timeSectionReads(const std::vector<Section>& sections,
                        const std::wstring& file)
{
    std::vector<wchar_t> buffer(1 << 20);
    return timed([&]() {
        for (const Section& section : sections)
            GetPrivateProfileSectionW(section.name.c_str(), buffer.data(),
                                      static_cast<DWORD>(buffer.size()),
                                      file.c_str());
    });
}

bool sameFile(const std::wstring& first, const std::wstring& second)
{
    const auto read = [](const std::wstring& file) {
        std::string bytes;
        const HANDLE hFile = CreateFileW(file.c_str(), GENERIC_READ, 0,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return bytes;
        bytes.assign(GetFileSize(hFile, nullptr), '\0');
        DWORD dwRead = 0;
        ReadFile(hFile, &bytes[0], static_cast<DWORD>(bytes.size()), &dwRead,
                 nullptr);
        CloseHandle(hFile);
        return bytes;
    };
    const std::string bytes = read(first);
    return !bytes.empty() && bytes == read(second);
}

// ---- one run ----

struct Figures {
    double dExport;
    double dImport;
    double dRegExport;
    double dRegImport;
};

Figures measure(const std::wstring& parent, const std::wstring& name,
                const std::wstring& folder, unsigned long ulValues)
{
    const std::wstring path = parent + L"\\" + name;
    const std::wstring ours = folder + L"\\ours.ini";
    const std::wstring theirs = folder + L"\\theirs.reg";
    Figures figures = {};
    deleteTree(parent, name);
    buildTree(path, ulValues);
    const unsigned long ulBuilt = countValues(HKEY_CURRENT_USER, path);

    std::printf("  five list readers:  %8.3f s\n",
                timeListReaders(path, ulValues));
    CQBNRegistryKey key(HKEY_CURRENT_USER, path.c_str(), kQbnKeyRead, false,
                        0);
    bool bOk = false;
    figures.dExport = timed([&]() {
        bOk = key.save(ours.c_str(), kQbnSaveAsTextFile, true);
    });
    std::printf("  export (ours):      %8.3f s %s\n", figures.dExport,
                bOk ? "" : "FAILED");
    deleteTree(parent, name);
    figures.dImport = timed([&]() {
        bOk = key.restore(ours.c_str(), kQbnRestoreFromTextFile);
    });
    const unsigned long ulImported = countValues(HKEY_CURRENT_USER, path);
    std::printf("  import (ours):      %8.3f s %s (%lu of %lu values)\n",
                figures.dImport, bOk ? "" : "FAILED", ulImported, ulBuilt);

    const std::wstring regKey = L"\"HKCU\\" + path + L"\"";
    figures.dRegExport = timed([&]() {
        bOk = runReg(L"export " + regKey + L" \"" + theirs + L"\" /y");
    });
    std::printf("  export (reg.exe):   %8.3f s %s\n", figures.dRegExport,
                bOk ? "" : "FAILED");
    deleteTree(parent, name);
    figures.dRegImport = timed([&]() {
        bOk = runReg(L"import \"" + theirs + L"\"");
    });
    std::printf("  import (reg.exe):   %8.3f s %s (%lu values)\n",
                figures.dRegImport, bOk ? "" : "FAILED",
                countValues(HKEY_CURRENT_USER, path));
    std::printf("  ours / reg.exe:     export %.2f, import %.2f\n",
                figures.dExport / figures.dRegExport,
                figures.dImport / figures.dRegImport);

    const std::vector<Section> sections = readSections(ours);
    std::printf("  %lu GetPrivateProfileSectionW calls: %8.3f s\n",
                static_cast<unsigned long>(sections.size()),
                timeSectionReads(sections, ours));
    const std::wstring byValue = folder + L"\\by_value.ini";
    const std::wstring bySection = folder + L"\\by_section.ini";
    unsigned long ulCalls = 0;
    const double dByValue = writeValueByValue(sections, byValue, ulCalls);
    const double dBySection = writeSectionBySection(sections, bySection);
    std::printf("  %lu WritePrivateProfileStringW calls: %8.3f s\n", ulCalls,
                dByValue);
    std::printf("  %lu WritePrivateProfileSectionW calls: %7.3f s "
                "(same file: %s)\n",
                static_cast<unsigned long>(sections.size()), dBySection,
                sameFile(byValue, bySection) && sameFile(byValue, ours)
                    ? "yes"
                    : "NO");

    deleteTree(parent, name);
    DeleteFileW(ours.c_str());
    DeleteFileW(theirs.c_str());
    DeleteFileW(byValue.c_str());
    DeleteFileW(bySection.c_str());
    return figures;
}

} // namespace

int main()
{
    const std::wstring parent = L"Software\\QbnBench";
    const std::wstring name = std::to_wstring(GetCurrentProcessId());
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder =
        std::wstring(szTemp) + L"qbn_bench_registry_file_" + name;
    CreateDirectoryW(folder.c_str(), nullptr);

    std::printf("1,000 values:\n");
    const Figures small = measure(parent, name, folder, 1000);
    std::printf("10,000 values:\n");
    const Figures large = measure(parent, name, folder, 10000);
    std::printf("ours, 10,000 / 1,000: export %.1f, import %.1f "
                "(linear: 10)\n",
                large.dExport / small.dExport, large.dImport / small.dImport);

    RemoveDirectoryW(folder.c_str());
    HKEY hBench = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_ALL_ACCESS,
                      &hBench) == ERROR_SUCCESS) {
        RegDeleteKeyW(hBench, L"QbnBench");  // only when nothing else is in it
        RegCloseKey(hBench);
    }
    return 0;
}

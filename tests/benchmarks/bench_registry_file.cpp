// Times the key's five list readers and the registry text file against
// Wine's own reg.exe on the same key tree in the same run: trees of 1,000,
// 10,000 and 100,000 values (100 values per key, mixed types, four 64 KiB
// binaries in each tree). Each run builds every tree and times, in turn, the
// five list readers over every key, "reg export", our export (save format
// 8), our import (restore 0x10, into a deleted tree) and "reg import"; each
// ratio is taken within one run and the medians of the runs are printed
// with their aims. Also checked: the file is byte for byte what
// WritePrivateProfileSectionW makes of the same sections, and both imports
// give back the tree that was built.
//
//   bench_registry_file [--runs N] [--sizes 1000,10000,100000]
//
// Everything lives under HKCU\Software\QbnBench\<pid> and in a folder of its
// own under %TEMP%; both are removed at the end.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "qbn_registry_binary.h"
#include "qbn_registry_dword.h"
#include "qbn_registry_key.h"
#include "qbn_registry_multi_string.h"
#include "qbn_registry_string.h"
#include "support/pe_file.h"
#include "support/registry_raw.h"

namespace {

const unsigned long kValuesPerKey = 100;
const unsigned long kBigBinaries = 4;
const unsigned long kBigBinaryBytes = 64 * 1024;
// WritePrivateProfileSectionW rewrites the whole file for every section, so
// the comparison with it is only made where that takes seconds, not hours.
const unsigned long kLargestComparedTree = 10000;

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

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle]
                                  : (values[middle - 1] + values[middle]) / 2.0;
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

// What a tree holds, for telling two trees apart: its value count and a
// hash of every key's path and every value's name, type and bytes.
struct TreeDigest {
    unsigned long ulValues;
    unsigned long long ullHash;

    bool operator==(const TreeDigest& other) const
    {
        return ulValues == other.ulValues && ullHash == other.ullHash;
    }
};

void hashBytes(unsigned long long& ullHash, const void* pData, size_t size)
{
    const unsigned char* pBytes = static_cast<const unsigned char*>(pData);
    for (size_t i = 0; i < size; ++i)
        ullHash = (ullHash ^ pBytes[i]) * 1099511628211ull;
}

void digestKey(HKEY hKey, const std::wstring& relative, TreeDigest& digest)
{
    hashBytes(digest.ullHash, relative.data(),
              relative.size() * sizeof(wchar_t));
    std::vector<wchar_t> name(16384);
    std::vector<unsigned char> data(kBigBinaryBytes * 2);
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwNameLength = static_cast<DWORD>(name.size());
        DWORD dwSize = static_cast<DWORD>(data.size());
        DWORD dwType = 0;
        if (RegEnumValueW(hKey, dwIndex, name.data(), &dwNameLength, nullptr,
                          &dwType, data.data(), &dwSize) != ERROR_SUCCESS)
            break;
        ++digest.ulValues;
        hashBytes(digest.ullHash, name.data(), dwNameLength * sizeof(wchar_t));
        hashBytes(digest.ullHash, &dwType, sizeof(dwType));
        hashBytes(digest.ullHash, data.data(), dwSize);
    }
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwLength = 256;
        if (RegEnumKeyExW(hKey, dwIndex, name.data(), &dwLength, nullptr,
                          nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring child(name.data(), dwLength);
        HKEY hChild = nullptr;
        if (RegOpenKeyExW(hKey, child.c_str(), 0, KEY_READ, &hChild) ==
            ERROR_SUCCESS) {
            digestKey(hChild, relative + L"\\" + child, digest);
            RegCloseKey(hChild);
        }
    }
}

TreeDigest digestTree(const std::wstring& path)
{
    TreeDigest digest = {0, 14695981039346656037ull};
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey) ==
        ERROR_SUCCESS) {
        digestKey(hKey, L"", digest);
        RegCloseKey(hKey);
    }
    return digest;
}

// The five list readers over every key that holds values, each key read
// through an object of its own as a caller would.
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

// ---- the same sections through WritePrivateProfileSectionW ----

// Rewrites the exported file section by section through the profile
// functions and answers whether that gives the same bytes.
bool sameAsProfileFunctions(const std::wstring& ours,
                            const std::wstring& theirs)
{
    const std::string bytes = qbntest::readFileBytes(ours);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                                    static_cast<int>(bytes.size()), &text[0],
                                    static_cast<int>(text.size())));
    DeleteFileW(theirs.c_str());
    std::wstring section;
    std::wstring block;
    const auto flush = [&]() {
        if (!section.empty())
            WritePrivateProfileSectionW(
                section.c_str(), (block + L'\0').c_str(), theirs.c_str());
        block.clear();
    };
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 2;
        if (!line.empty() && line[0] == L'[') {
            flush();
            section = line.substr(1, line.size() - 2);
        } else if (!line.empty()) {
            block += line + L'\0';
        }
    }
    flush();
    return !bytes.empty() && bytes == qbntest::readFileBytes(theirs);
}

// ---- one run ----

struct Figures {
    double dReaders;
    double dExport;
    double dImport;
    double dRegExport;
    double dRegImport;
};

const char* yesNo(bool bYes)
{
    return bYes ? "yes" : "NO";
}

Figures measure(const std::wstring& parent, const std::wstring& name,
                const std::wstring& folder, unsigned long ulValues,
                bool bCompareWithProfileFunctions)
{
    const std::wstring path = parent + L"\\" + name;
    const std::wstring ours = folder + L"\\ours.ini";
    const std::wstring theirs = folder + L"\\theirs.reg";
    const std::wstring regKey = L"\"HKCU\\" + path + L"\"";
    Figures figures = {};
    qbntest::deleteTree(HKEY_CURRENT_USER, path);
    buildTree(path, ulValues);
    const TreeDigest built = digestTree(path);

    figures.dReaders = timeListReaders(path, ulValues);
    bool bRegExported = false;
    figures.dRegExport = timed([&]() {
        bRegExported = runReg(L"export " + regKey + L" \"" + theirs + L"\" /y");
    });
    CQBNRegistryKey key(HKEY_CURRENT_USER, path.c_str(), kQbnKeyRead, false, 0);
    bool bExported = false;
    figures.dExport = timed([&]() {
        bExported = key.save(ours.c_str(), kQbnSaveAsTextFile, true);
    });
    qbntest::deleteTree(HKEY_CURRENT_USER, path);
    bool bImported = false;
    figures.dImport = timed([&]() {
        bImported = key.restore(ours.c_str(), kQbnRestoreFromTextFile);
    });
    const bool bOursBack = digestTree(path) == built;
    qbntest::deleteTree(HKEY_CURRENT_USER, path);
    bool bRegImported = false;
    figures.dRegImport =
        timed([&]() { bRegImported = runReg(L"import \"" + theirs + L"\""); });
    const bool bTheirsBack = digestTree(path) == built;

    std::printf("  %7lu values: readers %7.3f s, export %7.3f s (reg %7.3f s),"
                " import %7.3f s (reg %7.3f s)\n",
                built.ulValues, figures.dReaders, figures.dExport,
                figures.dRegExport, figures.dImport, figures.dRegImport);
    if (!bExported || !bImported || !bRegExported || !bRegImported ||
        !bOursBack || !bTheirsBack)
        std::printf("  WARNING: export %s, import %s, reg export %s, reg "
                    "import %s; tree back after ours %s, after reg %s\n",
                    yesNo(bExported), yesNo(bImported), yesNo(bRegExported),
                    yesNo(bRegImported), yesNo(bOursBack), yesNo(bTheirsBack));
    if (bCompareWithProfileFunctions)
        std::printf("  %7lu values: file byte for byte what "
                    "WritePrivateProfileSectionW writes: %s\n",
                    built.ulValues,
                    yesNo(sameAsProfileFunctions(
                        ours, folder + L"\\profile_functions.ini")));

    qbntest::deleteTree(HKEY_CURRENT_USER, path);
    DeleteFileW(ours.c_str());
    DeleteFileW(theirs.c_str());
    DeleteFileW((folder + L"\\profile_functions.ini").c_str());
    return figures;
}

// ---- the report ----

typedef std::map<unsigned long, std::vector<Figures>> FiguresBySize;

template <class Ratio>
std::vector<double> ratiosOf(const std::vector<Figures>& runs, Ratio ratio)
{
    std::vector<double> ratios;
    for (const Figures& figures : runs)
        ratios.push_back(ratio(figures));
    return ratios;
}

void printAim(const char* szWhat, double dMedian, double dAim, bool& bAllMet)
{
    const bool bMet = dMedian <= dAim;
    bAllMet = bAllMet && bMet;
    std::printf("  %-52s %6.2f   aim <= %4.1f   %s\n", szWhat, dMedian, dAim,
                bMet ? "met" : "NOT MET");
}

void printSpeedAims(const std::vector<Figures>& runs, bool& bAllMet)
{
    printAim(
        "five list readers / reg export, 10,000 values",
        median(ratiosOf(
            runs, [](const Figures& f) { return f.dReaders / f.dRegExport; })),
        0.5, bAllMet);
    printAim(
        "export / reg export, 10,000 values",
        median(ratiosOf(
            runs, [](const Figures& f) { return f.dExport / f.dRegExport; })),
        1.0, bAllMet);
    printAim(
        "import / reg import, 10,000 values",
        median(ratiosOf(
            runs, [](const Figures& f) { return f.dImport / f.dRegImport; })),
        1.0, bAllMet);
}

// Growth is taken run by run too: the smaller tree's time from the same run.
void printGrowthAims(const std::vector<Figures>& smaller,
                     const std::vector<Figures>& larger,
                     const std::string& range, bool& bAllMet)
{
    const size_t runs = std::min(smaller.size(), larger.size());
    const struct {
        const char* szName;
        double Figures::*pTime;
    } measures[] = {{"list readers", &Figures::dReaders},
                    {"export", &Figures::dExport},
                    {"import", &Figures::dImport}};
    for (const auto& measure : measures) {
        std::vector<double> growth;
        for (size_t i = 0; i < runs; ++i)
            growth.push_back(larger[i].*measure.pTime /
                             (smaller[i].*measure.pTime));
        const std::string what =
            std::string("growth ") + range + ", " + measure.szName;
        printAim(what.c_str(), median(growth), 11.0, bAllMet);
    }
}

std::string withSeparators(unsigned long ulNumber)
{
    std::string text = std::to_string(ulNumber);
    for (int i = static_cast<int>(text.size()) - 3; i > 0; i -= 3)
        text.insert(static_cast<size_t>(i), ",");
    return text;
}

bool report(const FiguresBySize& figures, unsigned long ulRuns)
{
    std::printf("\nMedians of %lu runs, seconds:\n", ulRuns);
    std::printf("  %9s %9s %9s %9s %11s %11s\n", "values", "readers", "export",
                "import", "reg export", "reg import");
    for (const auto& size : figures) {
        const std::vector<Figures>& runs = size.second;
        std::printf(
            "  %9s %9.3f %9.3f %9.3f %11.3f %11.3f\n",
            withSeparators(size.first).c_str(),
            median(ratiosOf(runs, [](const Figures& f) { return f.dReaders; })),
            median(ratiosOf(runs, [](const Figures& f) { return f.dExport; })),
            median(ratiosOf(runs, [](const Figures& f) { return f.dImport; })),
            median(
                ratiosOf(runs, [](const Figures& f) { return f.dRegExport; })),
            median(
                ratiosOf(runs, [](const Figures& f) { return f.dRegImport; })));
    }
    std::printf("\nRatios (median of the runs' own ratios) and their aims:\n");
    bool bAllMet = true;
    const auto tenThousand = figures.find(10000);
    if (tenThousand != figures.end())
        printSpeedAims(tenThousand->second, bAllMet);
    for (auto smaller = figures.begin(); smaller != figures.end(); ++smaller) {
        auto larger = std::next(smaller);
        if (larger == figures.end())
            break;
        printGrowthAims(smaller->second, larger->second,
                        withSeparators(smaller->first) + " to " +
                            withSeparators(larger->first),
                        bAllMet);
    }
    std::printf("%s\n", bAllMet ? "All aims met." : "Some aims NOT MET.");
    return bAllMet;
}

// ---- arguments ----

bool parseSizes(const wchar_t* szList, std::vector<unsigned long>& sizes)
{
    sizes.clear();
    const wchar_t* pAt = szList;
    while (*pAt != L'\0') {
        wchar_t* pEnd = nullptr;
        const unsigned long ulSize = std::wcstoul(pAt, &pEnd, 10);
        if (pEnd == pAt || ulSize < kValuesPerKey * kBigBinaries)
            return false;
        sizes.push_back(ulSize);
        pAt = *pEnd == L',' ? pEnd + 1 : pEnd;
        if (*pEnd != L',' && *pEnd != L'\0')
            return false;
    }
    std::sort(sizes.begin(), sizes.end());
    return !sizes.empty();
}

bool parseArguments(int argc, wchar_t** argv, unsigned long& ulRuns,
                    std::vector<unsigned long>& sizes)
{
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc)
            return false;
        const std::wstring option = argv[i];
        if (option == L"--runs") {
            ulRuns = std::wcstoul(argv[i + 1], nullptr, 10);
            if (ulRuns == 0)
                return false;
        } else if (option != L"--sizes" || !parseSizes(argv[i + 1], sizes)) {
            return false;
        }
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    unsigned long ulRuns = 5;
    std::vector<unsigned long> sizes = {1000, 10000, 100000};
    if (!parseArguments(argc, argv, ulRuns, sizes)) {
        std::fprintf(stderr, "usage: bench_registry_file [--runs N] "
                             "[--sizes 1000,10000,100000]\n");
        return 2;
    }
    const std::wstring parent = L"Software\\QbnBench";
    const std::wstring name = std::to_wstring(GetCurrentProcessId());
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder =
        std::wstring(szTemp) + L"qbn_bench_registry_file_" + name;
    CreateDirectoryW(folder.c_str(), nullptr);

    FiguresBySize figures;
    for (unsigned long ulRun = 1; ulRun <= ulRuns; ++ulRun) {
        std::printf("run %lu of %lu:\n", ulRun, ulRuns);
        for (const unsigned long ulSize : sizes)
            figures[ulSize].push_back(
                measure(parent, name, folder, ulSize,
                        ulRun == 1 && ulSize <= kLargestComparedTree));
        std::fflush(stdout);
    }
    report(figures, ulRuns);

    RemoveDirectoryW(folder.c_str());
    HKEY hBench = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_ALL_ACCESS,
                      &hBench) == ERROR_SUCCESS) {
        RegDeleteKeyW(hBench, L"QbnBench"); // only when nothing else is in it
        RegCloseKey(hBench);
    }
    return 0;
}

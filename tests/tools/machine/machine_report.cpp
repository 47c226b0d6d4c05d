#include "machine_report.h"

#include <algorithm>
#include <cwchar>

#include "machine_layout.h"
#include "machine_processes.h"
#include "machine_registry.h"
#include "machine_text.h"
#include "qbn_unique_handle.h"

namespace machine {

namespace {

const wchar_t kBackupSuffix[] = L".bak";

std::vector<std::wstring> fileNamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    const CQBNUniqueFind search(
        FindFirstFileW(joinPath(folder, L"*").c_str(), &found));
    if (!search.isValid())
        return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

bool isFolder(const std::wstring& path)
{
    const DWORD dwAttributes = GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring withFinalBackslash(const std::wstring& folder)
{
    return joinPath(folder, L"");
}

bool endsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() &&
           equalsIgnoringCase(text.substr(text.size() - end.size()), end);
}

std::wstring joined(const std::vector<std::wstring>& items,
                    const std::wstring& separator)
{
    std::wstring text;
    for (const std::wstring& item : items)
        text += (text.empty() ? L"" : separator) + escaped(item);
    return text;
}

// The log as UTF-16 units; an odd last byte is reported by the caller.
std::wstring utf16Units(const std::string& bytes)
{
    std::wstring units(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<wchar_t>(
            static_cast<unsigned char>(bytes[2 * i]) |
            (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return units;
}

} // namespace

std::wstring fileVersionText(const std::wstring& path)
{
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeW(path.c_str(), &dwHandle);
    std::vector<BYTE> block(dwSize);
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT uLength = 0;
    if (dwSize == 0 ||
        !GetFileVersionInfoW(path.c_str(), 0, dwSize, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&pFixed),
                        &uLength) ||
        uLength < sizeof(VS_FIXEDFILEINFO))
        return L"no version";
    wchar_t szVersion[64] = {};
    swprintf(szVersion, 64, L"%u.%u.%u.%u", HIWORD(pFixed->dwFileVersionMS),
             LOWORD(pFixed->dwFileVersionMS), HIWORD(pFixed->dwFileVersionLS),
             LOWORD(pFixed->dwFileVersionLS));
    return szVersion;
}

CMachineReport::CMachineReport(const std::wstring& standins,
                               const std::vector<std::wstring>& extraFolders)
    : m_standins(standins), m_extraFolders(extraFolders),
      m_bWindows64(isWindows64())
{
}

void CMachineReport::print() const
{
    if (m_bWindows64) {
        printProductKey(kView32, L"32-bit view");
        printProductKey(kView64, L"64-bit view");
    } else {
        printProductKey(kView32, L"");
    }
    printPatchRecord();
    printUninstallEntry();
    printRunOutcome();
    for (const std::wstring& folder : folders())
        printFolder(folder);
    printProcesses();
}

void CMachineReport::printProductKey(REGSAM view,
                                     const std::wstring& label) const
{
    const std::wstring prefix = L"registry " +
                                (label.empty() ? L"" : label + L" ") +
                                kProductKey + L": ";
    if (!keyExists(HKEY_LOCAL_MACHINE, kProductKey, view)) {
        printLine(prefix + L"absent");
        return;
    }
    std::wstring line = prefix;
    for (const wchar_t* szName : {L"Version", L"InstallPath"}) {
        std::wstring value;
        if (line != prefix)
            line += L" ";
        line +=
            std::wstring(szName) + L"=" +
            (readString(HKEY_LOCAL_MACHINE, kProductKey, view, szName, value)
                 ? escaped(value)
                 : L"(absent)");
    }
    printLine(line);
}

// The patch under Installed Updates, and whether the program copy its
// command runs is there.
void CMachineReport::printUninstallEntry() const
{
    printValues(L"uninstall entry",
                L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                L"Vaultrion_Patch8104",
                {L"DisplayName", L"ParentDisplayName", L"QuietUninstallString"});
}

// How the last run ended, as administrators' tools read it (the time and
// the program's version left out: they differ from run to run), and the
// event source an install registers.
void CMachineReport::printRunOutcome() const
{
    printValues(L"patch results",
                L"SOFTWARE\\Ostrel\\Vaultrion\\PatchResults\\8104",
                {L"Action", L"Outcome", L"MessageId", L"RestartPending",
                 L"FailedPath"});
    printValues(L"event source",
                L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\"
                L"Application\\Vaultrion Patch 8104",
                {L"EventMessageFile", L"TypesSupported"});
}

void CMachineReport::printValues(
    const std::wstring& label, const std::wstring& key,
    std::initializer_list<const wchar_t*> names) const
{
    std::wstring line = label + L":";
    for (const wchar_t* szName : names) {
        std::wstring value;
        if (readValueText(HKEY_LOCAL_MACHINE, key, kView32, szName, value))
            line += L" " + std::wstring(szName) + L"=" + escaped(value);
    }
    printLine(line == label + L":" ? label + L": absent" : line);
}

// Where a 32-bit program records it by default; on 64-bit Windows the
// other view must stay without one.
void CMachineReport::printPatchRecord() const
{
    if (m_bWindows64)
        printLine(std::wstring(L"patch record in 64-bit view: ") +
                  (keyExists(HKEY_LOCAL_MACHINE, kPatchRecordKey, kView64)
                       ? L"present"
                       : L"absent"));
    if (!keyExists(HKEY_LOCAL_MACHINE, kPatchRecordKey, kView32)) {
        printLine(L"patch record: absent");
        return;
    }
    printLine(L"patch record: present");
    std::wstring description;
    printLine(L"patch record description: " +
              (readString(HKEY_LOCAL_MACHINE, kPatchRecordKey, kView32,
                          L"description", description)
                   ? escaped(description)
                   : L"(absent)"));
    std::vector<std::wstring> updated;
    printLine(L"patch record updated: " +
              (readMultiString(HKEY_LOCAL_MACHINE, kPatchRecordKey, kView32,
                               L"updated", updated)
                   ? joined(updated, L" | ")
                   : L"(absent)"));
}

// The product's folders as the registry names them, then the extra ones;
// each once, and only those that exist.
std::vector<std::wstring> CMachineReport::folders() const
{
    std::vector<std::wstring> candidates;
    for (REGSAM view : {kView32, kView64}) {
        std::wstring folder;
        if (readString(HKEY_LOCAL_MACHINE, kProductKey, view, L"InstallPath",
                       folder))
            candidates.push_back(withFinalBackslash(folder));
    }
    for (const std::wstring& folder : m_extraFolders)
        candidates.push_back(withFinalBackslash(folder));
    std::vector<std::wstring> result;
    for (const std::wstring& folder : candidates) {
        const bool bListed = std::any_of(
            result.begin(), result.end(), [&](const std::wstring& listed) {
                return equalsIgnoringCase(listed, folder);
            });
        if (!bListed && isFolder(folder))
            result.push_back(folder);
    }
    return result;
}

void CMachineReport::printFolder(const std::wstring& folder) const
{
    printLine(L"folder " + folder);
    for (const std::wstring& name : fileNamesIn(folder))
        printFile(folder, name);
}

void CMachineReport::printFile(const std::wstring& folder,
                               const std::wstring& name) const
{
    const std::wstring path = joinPath(folder, name);
    if (equalsIgnoringCase(name, kPatchLog)) {
        printPatchLog(path);
        return;
    }
    printLine(fileLine(path, name));
}

std::wstring CMachineReport::fileLine(const std::wstring& path,
                                      const std::wstring& name) const
{
    std::wstring line = L"file " + path;
    if (endsWith(name, L".dll") || endsWith(name, L".dll.bak"))
        line +=
            L": " + fileVersionText(path) + L", " + describeBytes(path, name);
    else if (equalsIgnoringCase(name, kPasswordManager))
        line += L": " + describeBytes(path, name);
    return line;
}

// Which build of the stand-ins the file's bytes are; a backup is compared
// under the name it had before it was moved aside.
std::wstring CMachineReport::describeBytes(const std::wstring& path,
                                           const std::wstring& name) const
{
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return L"unreadable";
    const std::wstring original =
        endsWith(name, kBackupSuffix)
            ? name.substr(0, name.size() - wcslen(kBackupSuffix))
            : name;
    std::string standin;
    if (equalsIgnoringCase(original, kPasswordManager))
        return readFileBytes(joinPath(m_standins, original), standin) &&
                       standin == bytes
                   ? L"stand-in bytes"
                   : L"other bytes";
    for (const StandinSet& set : kStandinSets) {
        if (readFileBytes(
                joinPath(joinPath(m_standins, set.szFolder), original),
                standin) &&
            standin == bytes)
            return std::wstring(set.szName) + L" bytes";
    }
    return L"other bytes";
}

// Every entry ends with a 0 unit; what follows the last one is reported,
// since a complete log has nothing there.
void CMachineReport::printPatchLog(const std::wstring& path) const
{
    std::string bytes;
    if (!readFileBytes(path, bytes)) {
        printLine(L"patch log " + path + L": unreadable");
        return;
    }
    const std::wstring units = utf16Units(bytes);
    const size_t marks = std::count(units.begin(), units.end(), L'\xFEFF');
    std::vector<std::wstring> entries;
    size_t start = !units.empty() && units[0] == L'\xFEFF' ? 1 : 0;
    for (size_t end = units.find(L'\0', start); end != std::wstring::npos;
         end = units.find(L'\0', start)) {
        entries.push_back(units.substr(start, end - start));
        start = end + 1;
    }
    const size_t tailBytes = bytes.size() - 2 * std::min(start, units.size());
    std::wstring header = L"patch log " + path + L": " +
                          std::to_wstring(marks) + L" byte-order mark" +
                          (marks == 1 ? L"" : L"s") + L", " +
                          std::to_wstring(entries.size()) + L" entr" +
                          (entries.size() == 1 ? L"y" : L"ies");
    if (tailBytes != 0)
        header +=
            L", " + std::to_wstring(tailBytes) + L" bytes after the last entry";
    printLine(header);
    for (const std::wstring& entry : entries)
        printLine(L"  entry: " + escaped(entry));
}

void CMachineReport::printProcesses() const
{
    for (const std::wstring& path : runningImagePaths(kPasswordManager)) {
        printLine(L"process " + path);
        // What it loaded from its own folder, as the files there are now.
        for (const std::wstring& library : librariesLoadedBy(path))
            printLine(L"loaded " +
                      fileLine(library, library.substr(
                                            library.find_last_of(L'\\') + 1)));
    }
}

} // namespace machine

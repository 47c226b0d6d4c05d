#include "patch_pending_renames.h"

#include <windows.h>

#include "patch_paths.h"
#include "qbn_unique_handle.h"

namespace {

const wchar_t kSessionManagerKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kValueName[] = L"PendingFileRenameOperations";
// Far beyond any real list; a value larger than this is not read at all.
const DWORD kLargestListBytes = 16 * 1024 * 1024;

// "\??\C:\x" and "!\??\C:\x" as the drive path "C:\x".
CQBNWCharString drivePathOf(const std::wstring& name)
{
    std::wstring::size_type ulStart = name.compare(0, 1, L"!") == 0 ? 1 : 0;
    if (name.compare(ulStart, 4, L"\\??\\") == 0)
        ulStart += 4;
    return CQBNWCharString(name.c_str() + ulStart);
}

bool isAtOrUnder(const CQBNWCharString& path, const CQBNWCharString& folder)
{
    if (path.getLength() == 0)
        return false;
    if (isSameWindowsPath(path, folder))
        return true;
    const CQBNWCharString prefix = joinFolderAndName(folder, CQBNWCharString());
    const int nPrefix = static_cast<int>(prefix.getLength());
    return static_cast<int>(path.getLength()) > nPrefix && nPrefix > 0 &&
           prefix.getText()[nPrefix - 1] == L'\\' &&
           CompareStringOrdinal(path.getText(), nPrefix, prefix.getText(),
                                nPrefix, TRUE) == CSTR_EQUAL;
}

// Every string of a REG_MULTI_SZ block, the empty ones too: a deletion's
// destination is an empty string, which ends a list for most readers.
std::vector<std::wstring> stringsOf(const std::vector<wchar_t>& units)
{
    std::vector<std::wstring> strings;
    std::wstring current;
    for (wchar_t wcUnit : units) {
        if (wcUnit != L'\0') {
            current += wcUnit;
            continue;
        }
        strings.push_back(current);
        current.clear();
    }
    if (!current.empty())
        strings.push_back(current);
    // What is left after the last pair is the list's own terminator.
    if (strings.size() % 2 == 1 && strings.back().empty())
        strings.pop_back();
    return strings;
}

bool queryList(HKEY hKey, std::vector<wchar_t>& units)
{
    DWORD dwType = 0;
    DWORD dwBytes = 0;
    LSTATUS status =
        RegQueryValueExW(hKey, kValueName, nullptr, &dwType, nullptr, &dwBytes);
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    if (status != ERROR_SUCCESS || dwType != REG_MULTI_SZ ||
        dwBytes > kLargestListBytes)
        return false;
    units.assign(dwBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD dwRoom = static_cast<DWORD>(units.size() * sizeof(wchar_t));
    status = RegQueryValueExW(hKey, kValueName, nullptr, &dwType,
                              reinterpret_cast<BYTE*>(units.data()), &dwRoom);
    if (status != ERROR_SUCCESS || dwType != REG_MULTI_SZ)
        return false;
    units.resize(dwRoom / sizeof(wchar_t));
    return true;
}

} // namespace

bool CPatchPendingRenames::read()
{
    m_names.clear();
    CQBNUniqueRegKey key;
    const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey,
                                         0, KEY_QUERY_VALUE, key.receive());
    if (!key.received(status == ERROR_SUCCESS))
        return status == ERROR_FILE_NOT_FOUND;
    std::vector<wchar_t> units;
    if (!queryList(key.get(), units))
        return false;
    m_names = stringsOf(units);
    if (m_names.size() % 2 == 1)
        m_names.push_back(std::wstring());
    return true;
}

CQBNWCharString CPatchPendingRenames::findNamed(
    const std::vector<CQBNWCharString>& paths) const
{
    for (const std::wstring& name : m_names) {
        const CQBNWCharString named = drivePathOf(name);
        for (const CQBNWCharString& path : paths) {
            if (named.getLength() != 0 && isSameWindowsPath(named, path))
                return path;
        }
    }
    return CQBNWCharString();
}

bool CPatchPendingRenames::takeOutUnder(const CQBNWCharString& folder)
{
    std::vector<std::wstring> kept;
    for (std::size_t index = 0; index + 1 < m_names.size(); index += 2) {
        if (isAtOrUnder(drivePathOf(m_names[index]), folder) ||
            isAtOrUnder(drivePathOf(m_names[index + 1]), folder))
            continue;
        kept.push_back(m_names[index]);
        kept.push_back(m_names[index + 1]);
    }
    if (kept.size() == m_names.size())
        return true;
    m_names.swap(kept);
    return write();
}

CQBNWCharString CPatchPendingRenames::location()
{
    return CQBNWCharString(L"HKEY_LOCAL_MACHINE\\") +
           CQBNWCharString(kSessionManagerKey) + CQBNWCharString(L"\\") +
           CQBNWCharString(kValueName);
}

bool CPatchPendingRenames::write() const
{
    CQBNUniqueRegKey key;
    if (!key.received(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0,
                                    KEY_SET_VALUE,
                                    key.receive()) == ERROR_SUCCESS))
        return false;
    if (m_names.empty()) {
        const LSTATUS status = RegDeleteValueW(key.get(), kValueName);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    std::vector<wchar_t> units;
    for (const std::wstring& name : m_names) {
        units.insert(units.end(), name.begin(), name.end());
        units.push_back(L'\0');
    }
    units.push_back(L'\0');
    return RegSetValueExW(key.get(), kValueName, 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(units.data()),
                          static_cast<DWORD>(units.size() * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

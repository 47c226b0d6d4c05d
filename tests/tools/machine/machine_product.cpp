#include "machine_product.h"

#include <cwchar>

#include "machine_layout.h"
#include "machine_registry.h"
#include "machine_text.h"

namespace machine {

namespace {

// Every folder of the path, outermost first; those that exist stay.
bool createFolders(const std::wstring& folder)
{
    for (size_t pos = folder.find(L'\\', 3); pos != std::wstring::npos;
         pos = folder.find(L'\\', pos + 1))
        CreateDirectoryW(folder.substr(0, pos).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    const DWORD dwAttributes = GetFileAttributesW(folder.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring withoutFinalBackslash(const std::wstring& folder)
{
    if (!folder.empty() && folder.back() == L'\\')
        return folder.substr(0, folder.size() - 1);
    return folder;
}

} // namespace

CMachineProduct::CMachineProduct(const ProductOptions& options)
    : m_options(options), m_bWindows64(isWindows64()),
      m_bDefaultView(options.views == L"both" || options.views == L"default"),
      m_b64BitView(options.views == L"both" || options.views == L"64")
{
}

std::wstring CMachineProduct::folder() const
{
    // With only the 64-bit view recorded, the product model finds that view
    // on its retry.
    return m_bDefaultView ? productFolder32() : productFolder64();
}

std::wstring CMachineProduct::folder64() const
{
    return m_bWindows64 && m_b64BitView ? productFolder64() : folder();
}

bool CMachineProduct::install(std::wstring& error)
{
    return checkOptions(error) && writeRegistry(error) && copyFiles(error);
}

bool CMachineProduct::checkOptions(std::wstring& error) const
{
    if (!m_bDefaultView && !m_b64BitView)
        error = L"--views takes both, default or 64, not " + m_options.views;
    else if (!m_bWindows64 && m_options.views == L"64")
        error = L"32-bit Windows has no 64-bit registry view";
    else if (m_options.libraries != L"none" && standinFolder().empty())
        error = L"no stand-in set named " + m_options.libraries;
    else if (m_options.libraries != L"none" && m_options.standins.empty())
        error = L"--standins names no folder";
    return error.empty();
}

bool CMachineProduct::writeRegistry(std::wstring& error) const
{
    const bool bWritten =
        (!m_bDefaultView || writeProductKey(kView32, productFolder32())) &&
        (!m_b64BitView ||
         writeProductKey(kView64, m_bWindows64 ? productFolder64()
                                               : productFolder32())) &&
        writePolicy();
    if (!bWritten)
        error = L"the registry refused the product's values";
    return bWritten;
}

bool CMachineProduct::writeProductKey(REGSAM view,
                                      const std::wstring& folder) const
{
    const std::wstring installPath = m_options.bInstallPathWithoutBackslash
                                         ? withoutFinalBackslash(folder)
                                         : folder;
    return setString(HKEY_LOCAL_MACHINE, kProductKey, view, L"Version",
                     m_options.version) &&
           setString(HKEY_LOCAL_MACHINE, kProductKey, view, L"InstallPath",
                     installPath);
}

// The product is 32-bit: its policy lives where a 32-bit program reads it.
bool CMachineProduct::writePolicy() const
{
    if (m_options.policy == L"none")
        return true;
    return setDword(HKEY_LOCAL_MACHINE, kPolicyKey, kView32, L"VRNInstall",
                    static_cast<DWORD>(
                        std::wcstoul(m_options.policy.c_str(), nullptr, 10)));
}

bool CMachineProduct::copyFiles(std::wstring& error) const
{
    if (!createFolders(folder()) || !createFolders(folder64())) {
        error = L"cannot create the product folders";
        return false;
    }
    if (!copyInto(m_options.standins, kPasswordManager, folder(), error))
        return false;
    if (m_options.libraries == L"none")
        return true;
    for (const wchar_t* szName : kLibraries32) {
        if (!copyInto(standinFolder(), szName, folder(), error))
            return false;
    }
    if (!m_bWindows64)
        return true;
    for (const wchar_t* szName : kLibraries64) {
        if (!copyInto(standinFolder(), szName, folder64(), error))
            return false;
    }
    return true;
}

bool CMachineProduct::copyInto(const std::wstring& sourceFolder,
                               const std::wstring& name,
                               const std::wstring& targetFolder,
                               std::wstring& error) const
{
    const std::wstring source = joinPath(sourceFolder, name);
    const std::wstring target = joinPath(targetFolder, name);
    // Installing again over the same files changes nothing, even while the
    // password manager runs from its copy.
    std::string sourceBytes;
    std::string targetBytes;
    if (readFileBytes(source, sourceBytes) &&
        readFileBytes(target, targetBytes) && sourceBytes == targetBytes)
        return true;
    if (CopyFileW(source.c_str(), target.c_str(), FALSE))
        return true;
    error = L"cannot copy " + source + L" into " + targetFolder;
    return false;
}

std::wstring CMachineProduct::standinFolder() const
{
    for (const StandinSet& set : kStandinSets) {
        if (m_options.libraries == set.szName)
            return joinPath(m_options.standins, set.szFolder);
    }
    return std::wstring();
}

} // namespace machine

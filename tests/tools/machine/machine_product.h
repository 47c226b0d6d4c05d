// Installs the product on the simulated machine as its own setup would:
// "Version" and "InstallPath" in the chosen registry views, the common
// policy that says the product is installed, the hook libraries of one
// stand-in set and the password manager in the product's folders.
#ifndef QBN_MACHINE_PRODUCT_H
#define QBN_MACHINE_PRODUCT_H

#include <windows.h>

#include <string>

namespace machine {

struct ProductOptions {
    std::wstring version = L"8.30.0.1";
    // both, default (the view a 32-bit program sees) or 64.
    std::wstring views = L"both";
    bool bInstallPathWithoutBackslash = false;
    // A stand-in set (installed, noversion, newer, payload) or none.
    std::wstring libraries = L"installed";
    // The DWORD "VRNInstall" holds, or none for no policy value.
    std::wstring policy = L"1";
    // The build's stand-in folder (Windows path).
    std::wstring standins;
};

class CMachineProduct {
public:
    explicit CMachineProduct(const ProductOptions& options);

    // False with `error` set when an option is unusable or Windows refused
    // a step.
    bool install(std::wstring& error);
    // The folder the product's model reads (where the 32-bit libraries, the
    // password manager and the patch log go) and the folder of the x64
    // libraries.
    std::wstring folder() const;
    std::wstring folder64() const;

private:
    bool checkOptions(std::wstring& error) const;
    bool writeRegistry(std::wstring& error) const;
    bool writeProductKey(REGSAM view, const std::wstring& folder) const;
    bool writePolicy() const;
    bool copyFiles(std::wstring& error) const;
    bool copyInto(const std::wstring& sourceFolder, const std::wstring& name,
                  const std::wstring& targetFolder, std::wstring& error) const;
    std::wstring standinFolder() const;

    ProductOptions m_options;
    bool m_bWindows64;
    bool m_bDefaultView;
    bool m_b64BitView;
};

} // namespace machine

#endif

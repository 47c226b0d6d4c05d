// What the simulated machine looks like, one fact per line: the product's
// registry values in each view, the patch record, every file in the
// product's folders (with its version and which stand-in build its bytes
// are), the patch logs decoded entry by entry, and the running password
// managers. Tests compare its lines; the demo shows it before and after.
#ifndef QBN_MACHINE_REPORT_H
#define QBN_MACHINE_REPORT_H

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace machine {

// "8.30.0.12", or "no version" for a file without version information.
std::wstring fileVersionText(const std::wstring& path);

class CMachineReport {
public:
    // `extraFolders` are listed after the product's own, e.g. the folder a
    // patch ran from, where a log lands when the product is missing.
    CMachineReport(const std::wstring& standins,
                   const std::vector<std::wstring>& extraFolders);

    void print() const;

private:
    void printProductKey(REGSAM view, const std::wstring& label) const;
    void printPatchRecord() const;
    void printFolder(const std::wstring& folder) const;
    void printFile(const std::wstring& folder, const std::wstring& name) const;
    void printUninstallEntry() const;
    void printRunOutcome() const;
    void printValues(const std::wstring& label, const std::wstring& key,
                     std::initializer_list<const wchar_t*> names) const;
    std::wstring fileLine(const std::wstring& path,
                          const std::wstring& name) const;
    void printPatchLog(const std::wstring& path) const;
    void printProcesses() const;
    std::vector<std::wstring> folders() const;
    std::wstring describeBytes(const std::wstring& path,
                               const std::wstring& name) const;

    std::wstring m_standins;
    std::vector<std::wstring> m_extraFolders;
    bool m_bWindows64;
};

} // namespace machine

#endif

// What the policy tests share: the six policy locations, addressed
// directly (independent of the classes under test), a guard that removes
// every policy key a test created, a recorder of the registry calls the
// library makes, and a capture of the text log.
#ifndef QBN_TEST_POLICY_SUPPORT_H
#define QBN_TEST_POLICY_SUPPORT_H

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "qbn_policy_search_policy.h"
#include "support/import_redirect.h"
#include "support/pe_file.h"
#include "support/scratch_key.h"

namespace policytest {

typedef CQBNPolicySearchPolicy SP;

const REGSAM kDefaultView = 0;
const REGSAM kView64 = KEY_WOW64_64KEY;
const REGSAM kView32 = KEY_WOW64_32KEY;

const wchar_t kPolicyBase[] = L"Software\\Policies\\Ostrel\\QBN Common";
const wchar_t kSettingBase[] = L"Software\\Ostrel\\QBN Common";

inline bool isWow64()
{
    BOOL bWow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &bWow64) && bWow64;
}

// One registry key as the test addresses it.
struct KeyRef {
    HKEY hRoot;
    REGSAM view;
    std::wstring path;
};

// Where a location keeps the values of a setting with `subKey`, written out
// here by hand rather than asked of the library.
inline KeyRef placeOf(SP::PolicyLocation location, const std::wstring& subKey)
{
    const std::wstring policies(kPolicyBase);
    const std::wstring settings(kSettingBase);
    const std::wstring tail = subKey.empty() ? L"" : L"\\" + subKey;
    switch (location) {
    case SP::UserPolicy:
        return {HKEY_CURRENT_USER, kDefaultView, policies + tail};
    case SP::MachinePolicyUserDefaults:
        return {HKEY_LOCAL_MACHINE, kDefaultView,
                policies + L"\\User Defaults" + tail};
    case SP::MachineSetting:
        return {HKEY_LOCAL_MACHINE, kDefaultView, settings + tail};
    case SP::UserSetting:
        return {HKEY_CURRENT_USER, kDefaultView, settings + tail};
    case SP::MachineSettingUserDefaults:
        return {HKEY_LOCAL_MACHINE, kDefaultView,
                settings + L"\\User Defaults" + tail};
    default:
        return {HKEY_LOCAL_MACHINE, kDefaultView, policies + tail};
    }
}

inline KeyRef inView(KeyRef key, REGSAM view)
{
    key.view = view;
    return key;
}

inline bool keyExists(const KeyRef& key)
{
    return qbntest::keyExists(key.hRoot, key.path, key.view);
}

inline LONG plantDword(const KeyRef& key, const wchar_t* szName, DWORD dwValue)
{
    return qbntest::writeValue(key.hRoot, key.path, szName, REG_DWORD, &dwValue,
                               sizeof(dwValue), key.view);
}

inline LONG plantText(const KeyRef& key, const wchar_t* szName,
                      const std::wstring& text, DWORD dwType = REG_SZ)
{
    return qbntest::writeText(key.hRoot, key.path, szName, text, dwType,
                              key.view);
}

inline void removeValue(const KeyRef& key, const wchar_t* szName)
{
    qbntest::deleteValue(key.hRoot, key.path, szName, key.view);
}

// The value's type and its data as text (or the DWORD as its number).
inline bool readBack(const KeyRef& key, const wchar_t* szName, DWORD& dwType,
                     std::wstring& text, DWORD& dwNumber)
{
    std::string bytes;
    if (!qbntest::readValue(key.hRoot, key.path, szName, dwType, bytes,
                            key.view))
        return false;
    // Room for a short number and for the terminator of unterminated text.
    bytes.append(sizeof(DWORD) + sizeof(wchar_t), '\0');
    text = reinterpret_cast<const wchar_t*>(bytes.data());
    std::memcpy(&dwNumber, bytes.data(), sizeof(dwNumber));
    return true;
}

inline bool hasValue(const KeyRef& key, const wchar_t* szName)
{
    return qbntest::hasValue(key.hRoot, key.path, szName, key.view);
}

// Notes which keys on the way to the policy keys exist, in both roots and
// both views, and removes afterwards every one of them that did not.
class CPolicyKeyGuard {
public:
    CPolicyKeyGuard()
    {
        const KeyRef roots[] = {{HKEY_LOCAL_MACHINE, kView32, L""},
                                {HKEY_LOCAL_MACHINE, kView64, L""},
                                {HKEY_CURRENT_USER, kDefaultView, L""}};
        const wchar_t* szPaths[] = {L"Software\\Policies",
                                    L"Software\\Policies\\Ostrel", kPolicyBase,
                                    L"Software\\Ostrel", kSettingBase};
        for (const KeyRef& root : roots)
            for (const wchar_t* szPath : szPaths) {
                const KeyRef key = {root.hRoot, root.view, szPath};
                m_keys.push_back(Tracked{key, keyExists(key)});
            }
    }
    ~CPolicyKeyGuard()
    {
        for (auto it = m_keys.rbegin(); it != m_keys.rend(); ++it)
            if (!it->bExisted)
                qbntest::deleteTree(it->key.hRoot, it->key.path, it->key.view);
    }
    CPolicyKeyGuard(const CPolicyKeyGuard&) = delete;
    CPolicyKeyGuard& operator=(const CPolicyKeyGuard&) = delete;

    // Neither product key may hold anything a test did not put there.
    bool startsClean() const
    {
        for (const Tracked& tracked : m_keys)
            if (tracked.bExisted && (tracked.key.path == kPolicyBase ||
                                     tracked.key.path == kSettingBase))
                return false;
        return true;
    }

private:
    struct Tracked {
        KeyRef key;
        bool bExisted;
    };
    std::vector<Tracked> m_keys;
};

// ---- the registry calls the library makes ----

enum RegCallKind { rcOpen, rcCreate, rcSet };

struct RegCall {
    RegCallKind kind;
    std::wstring path; // empty for a write
    REGSAM sam;
    DWORD dwOptions;   // of a create
    DWORD dwType;      // of a write
    std::wstring text; // of a string write
};

// Records every RegOpenKeyExW, RegCreateKeyExW and RegSetValueExW the
// program makes while it lives; writes from number `failWriteNumber` on (1
// for the first) can be refused with ERROR_ACCESS_DENIED.
class CRegistryRecorder {
public:
    CRegistryRecorder()
        : failWriteNumber(0), m_ulWrites(0),
          m_open("advapi32.dll", "RegOpenKeyExW",
                 reinterpret_cast<void*>(&recordOpen)),
          m_create("advapi32.dll", "RegCreateKeyExW",
                   reinterpret_cast<void*>(&recordCreate)),
          m_set("advapi32.dll", "RegSetValueExW",
                reinterpret_cast<void*>(&recordSet))
    {
        active() = this;
    }
    ~CRegistryRecorder() { active() = nullptr; }
    CRegistryRecorder(const CRegistryRecorder&) = delete;
    CRegistryRecorder& operator=(const CRegistryRecorder&) = delete;

    bool isActive() const
    {
        return m_open.isActive() && m_create.isActive() && m_set.isActive();
    }

    // The calls that concern the product keys (the logging configuration is
    // read on the side whenever an entry is made) and every write.
    std::vector<RegCall> productCalls() const
    {
        std::vector<RegCall> result;
        for (const RegCall& call : calls)
            if (call.kind == rcSet ||
                call.path.find(L"QBN Common") != std::wstring::npos)
                result.push_back(call);
        return result;
    }

    std::vector<RegCall> calls;
    unsigned long failWriteNumber;

private:
    typedef LONG(WINAPI* OpenFn)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
    typedef LONG(WINAPI* CreateFn)(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM,
                                   LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
    typedef LONG(WINAPI* SetFn)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*,
                                DWORD);

    static CRegistryRecorder*& active()
    {
        static CRegistryRecorder* pActive = nullptr;
        return pActive;
    }

    static LONG WINAPI recordOpen(HKEY hRoot, LPCWSTR szPath, DWORD dwOptions,
                                  REGSAM sam, PHKEY phKey)
    {
        CRegistryRecorder& self = *active();
        self.calls.push_back({rcOpen, szPath ? szPath : L"", sam, 0, 0, L""});
        return reinterpret_cast<OpenFn>(self.m_open.original())(
            hRoot, szPath, dwOptions, sam, phKey);
    }
    static LONG WINAPI recordCreate(HKEY hRoot, LPCWSTR szPath, DWORD dwZero,
                                    LPWSTR szClass, DWORD dwOptions, REGSAM sam,
                                    LPSECURITY_ATTRIBUTES pSa, PHKEY phKey,
                                    LPDWORD pdwDisposition)
    {
        CRegistryRecorder& self = *active();
        self.calls.push_back(
            {rcCreate, szPath ? szPath : L"", sam, dwOptions, 0, L""});
        return reinterpret_cast<CreateFn>(self.m_create.original())(
            hRoot, szPath, dwZero, szClass, dwOptions, sam, pSa, phKey,
            pdwDisposition);
    }
    static LONG WINAPI recordSet(HKEY hKey, LPCWSTR szName, DWORD dwZero,
                                 DWORD dwType, const BYTE* pData, DWORD dwSize)
    {
        CRegistryRecorder& self = *active();
        const bool bText = dwType == REG_SZ || dwType == REG_EXPAND_SZ;
        self.calls.push_back(
            {rcSet, L"", 0, 0, dwType,
             bText ? std::wstring(reinterpret_cast<const wchar_t*>(pData))
                   : L""});
        ++self.m_ulWrites;
        if (self.failWriteNumber != 0 &&
            self.m_ulWrites >= self.failWriteNumber)
            return ERROR_ACCESS_DENIED;
        return reinterpret_cast<SetFn>(self.m_set.original())(
            hKey, szName, dwZero, dwType, pData, dwSize);
    }

    unsigned long m_ulWrites;
    qbntest::CImportRedirect m_open;
    qbntest::CImportRedirect m_create;
    qbntest::CImportRedirect m_set;
};

// ---- the text log ----

// Switches the library's text log on for its lifetime, into a file of its
// own; what was written can be searched afterwards.
class CLogCapture {
public:
    CLogCapture()
    {
        wchar_t szTemp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, szTemp);
        m_path = std::wstring(szTemp) + L"qbn_policy_" +
                 std::to_wstring(GetCurrentProcessId()) + L".log";
        DeleteFileW(m_path.c_str());
        const DWORD dwOn = 1;
        qbntest::writeValue(HKEY_LOCAL_MACHINE, kLogsKey, L"Logging", REG_DWORD,
                            &dwOn, sizeof(dwOn));
        qbntest::writeText(HKEY_LOCAL_MACHINE, kLogsKey, L"TextOutput", m_path);
    }
    ~CLogCapture()
    {
        qbntest::deleteTree(HKEY_LOCAL_MACHINE, kLogsKey);
        DeleteFileW(m_path.c_str());
    }
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    // How often `text` occurs in the log so far.
    unsigned long count(const std::wstring& text) const
    {
        const std::wstring all = contents();
        unsigned long ulCount = 0;
        for (size_t pos = all.find(text); pos != std::wstring::npos;
             pos = all.find(text, pos + text.size()))
            ++ulCount;
        return ulCount;
    }

private:
    std::wstring contents() const
    {
        const std::string bytes = qbntest::readFileBytes(m_path);
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                            bytes.size() / sizeof(wchar_t));
    }

    static constexpr const wchar_t* kLogsKey = L"SOFTWARE\\Ostrel\\Logs";
    std::wstring m_path;
};

} // namespace policytest

#endif

// One named, typed policy value of a product: how to find it in each search
// location (vendor and product names for the key path templates, a sub-key,
// a value name), its default, and the value last read or written. The DWORD
// and string kinds only supply the registry transfer; the path building, the
// cache and the bookkeeping around every transfer live here, once.
#ifndef QBN_POLICY_SETTING_H
#define QBN_POLICY_SETTING_H

#include <windows.h>

#include "qbn_catch.h"
#include "qbn_dbllist.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_policy_search_policy.h"
#include "qbn_registry_key.h"
#include "qbn_traced_method.h"
#include "qbn_wchar_string.h"

#define QBN_POLICY_SETTING_SOURCE L".\\qbn_policy_setting.h"

// Both kinds trace their shared operations under the template's name.
#define QBN_POLICY_SETTING_CLASS L"CQBNPolicySetting"

// Where a setting's value is stored. The registry is the only store there is.
enum CQBNPolicySource : unsigned long { psRegistry = 1 };

enum CQBNPolicyKind : unsigned long { pkDword = 1, pkString = 2 };

template <class T>
class CQBNPolicySetting {
public:
    typedef CQBNPolicySearchPolicy::PolicyLocation PolicyLocation;

    CQBNPolicySetting& operator=(const CQBNPolicySetting& other);
    // Identity, names and current value; what was last read does not count.
    bool operator==(const CQBNPolicySetting& other) const;
    bool operator!=(const CQBNPolicySetting& other) const;
    // Settings are ordered by ID alone, so that lists sort them by ID.
    bool operator<(const CQBNPolicySetting& other) const;
    bool operator>(const CQBNPolicySetting& other) const;

    virtual const T& getValue() const { return m_value; }
    // Reads the value at one location. With bUseCache a value read or
    // written before is answered without asking the registry. A failed read
    // leaves `value` and the cache as they were.
    virtual bool getPolicy(PolicyLocation location, T& value, bool bUseCache,
                           const CQBNWCharString& substitution) = 0;
    virtual const CQBNWCharString& getSubKey() const { return m_subKey; }
    // The value name to use: the replacement of the first "%VALUE_NAME%=..."
    // entry, or the setting's own name. Walking moves the list's cursor.
    virtual CQBNWCharString getValueLocation(
        CQBNWCharStringList& substitutions);
    virtual const CQBNWCharString& getValueName() const { return m_valueName; }
    virtual void setValue(const T& value);
    virtual bool setPolicy(PolicyLocation location, const T& value,
                           bool bCreateIfMissing,
                           const CQBNWCharString& substitution,
                           bool bVolatileKey) = 0;
    virtual void setSubKey(const CQBNWCharString& subKey);
    virtual void setValueName(const CQBNWCharString& valueName);

    // The registry key path of this setting at one location. `substitution`
    // ("token=replacement") may rename one part of the sub-key's path.
    CQBNWCharString getValueLocation(PolicyLocation location,
                                     const CQBNWCharString& substitution);

    unsigned long getId() const { return m_id; }
    unsigned long getSource() const { return m_source; }
    unsigned long getKind() const { return m_kind; }
    const CQBNWCharString& getVendorName() const { return m_vendorName; }
    const CQBNWCharString& getProductName() const { return m_productName; }
    const CQBNWCharString& getVersion() const { return m_version; }
    bool getAlso32BitView() const { return m_also32BitView; }

protected:
    // Only a target for assignment.
    CQBNPolicySetting();
    CQBNPolicySetting(const CQBNWCharString& vendorName,
                      const CQBNWCharString& productName, unsigned long ulKind,
                      unsigned long ulId, unsigned long ulSource,
                      const CQBNWCharString& version,
                      const CQBNWCharString& valueName,
                      const CQBNWCharString& subKey, const T& defaultValue,
                      bool bAlso32BitView);
    CQBNPolicySetting(const CQBNPolicySetting& other);
    // Settings are held and destroyed as what they are, never through this
    // base, so the destructor is neither virtual nor public.
    ~CQBNPolicySetting() = default;

    // The frame of every read: cache, source, the location's key, then one
    // RegValue on it read by `read`(RegValue&, T& out).
    template <class RegValue, class Read>
    bool readPolicy(const wchar_t* szClassName, PolicyLocation location,
                    T& value, bool bUseCache,
                    const CQBNWCharString& substitution, Read read);
    // The frame of every write: source, the location's key, then one
    // RegValue on it written by `write`(RegValue&, const T&).
    template <class RegValue, class Write>
    bool writePolicy(const wchar_t* szClassName, PolicyLocation location,
                     const T& value, bool bCreateIfMissing,
                     const CQBNWCharString& substitution, bool bVolatileKey,
                     Write write);

    unsigned long m_source;
    unsigned long m_kind;
    CQBNWCharString m_vendorName;
    CQBNWCharString m_productName;
    CQBNWCharString m_version;
    CQBNWCharString m_valueName;
    CQBNWCharString m_subKey;
    T m_value;
    unsigned long m_id;
    bool m_also32BitView;
    bool m_cached;
    T m_cachedValue;

private:
    void copyFrom(const CQBNPolicySetting& other);
    // A traced text assignment; the trace says whether the copy took.
    static void assignText(CQBNWCharString& member, const CQBNWCharString& text,
                           const wchar_t* szMethodName);
    // Logs the refusal when the source is not the registry.
    bool requireRegistrySource() const;
    bool replacePlaceholders(CQBNWCharString& path) const;
    void appendSubKey(CQBNWCharString& path) const;
    static void applySubstitution(CQBNWCharString& path,
                                  const CQBNWCharString& substitution);
    // Token: the text before the first "="; replacement: the text after the
    // last. False for an entry without "="; either part may come back empty.
    static bool splitSubstitution(const CQBNWCharString& entry,
                                  CQBNWCharString& token,
                                  CQBNWCharString& replacement);
    static const CQBNWCharString& valueNameToken();
};

// ---- construction and copying ----

template <class T>
CQBNPolicySetting<T>::CQBNPolicySetting()
    : m_source(psRegistry), m_kind(pkDword), m_value(), m_id(0),
      m_also32BitView(false), m_cached(false), m_cachedValue()
{
}

template <class T>
CQBNPolicySetting<T>::CQBNPolicySetting(
    const CQBNWCharString& vendorName, const CQBNWCharString& productName,
    unsigned long ulKind, unsigned long ulId, unsigned long ulSource,
    const CQBNWCharString& version, const CQBNWCharString& valueName,
    const CQBNWCharString& subKey, const T& defaultValue, bool bAlso32BitView)
    : m_source(ulSource), m_kind(ulKind), m_vendorName(vendorName),
      m_productName(productName), m_version(version), m_valueName(valueName),
      m_subKey(subKey), m_value(defaultValue), m_id(ulId),
      m_also32BitView(bAlso32BitView), m_cached(false),
      m_cachedValue(defaultValue)
{
}

template <class T>
CQBNPolicySetting<T>::CQBNPolicySetting(const CQBNPolicySetting& other)
    : CQBNPolicySetting()
{
    copyFrom(other);
}

// The cache travels as a whole: a copy that claims a cached value holds the
// value that was actually read or written, not the source's current value,
// which may still be the default.
template <class T>
void CQBNPolicySetting<T>::copyFrom(const CQBNPolicySetting& other)
{
    m_source = other.m_source;
    m_kind = other.m_kind;
    m_vendorName = other.m_vendorName;
    m_productName = other.m_productName;
    m_version = other.m_version;
    m_valueName = other.m_valueName;
    m_subKey = other.m_subKey;
    m_value = other.m_value;
    m_id = other.m_id;
    m_also32BitView = other.m_also32BitView;
    m_cached = other.m_cached;
    m_cachedValue = other.m_cached ? other.m_cachedValue : other.m_value;
}

// ---- operators ----

template <class T>
CQBNPolicySetting<T>& CQBNPolicySetting<T>::operator=(
    const CQBNPolicySetting& other)
{
    CQBNTraceScope trace(QBN_POLICY_SETTING_CLASS, L"operator=",
                         QBN_POLICY_SETTING_SOURCE, __LINE__);
    if (this != &other)
        trace.finish(qbnGuardAction(esLastError, QBN_POLICY_SETTING_SOURCE,
                                    __LINE__, [&]() { copyFrom(other); }));
    return *this;
}

template <class T>
bool CQBNPolicySetting<T>::operator==(const CQBNPolicySetting& other) const
{
    CQBNTraceScope trace(QBN_POLICY_SETTING_CLASS, L"operator==",
                         QBN_POLICY_SETTING_SOURCE, __LINE__);
    const bool bEqual =
        m_id == other.m_id && m_source == other.m_source &&
        m_kind == other.m_kind && m_vendorName == other.m_vendorName &&
        m_productName == other.m_productName && m_version == other.m_version &&
        m_valueName == other.m_valueName && m_subKey == other.m_subKey &&
        m_value == other.m_value && m_also32BitView == other.m_also32BitView;
    return trace.finish(bEqual, rtLogical);
}

template <class T>
bool CQBNPolicySetting<T>::operator!=(const CQBNPolicySetting& other) const
{
    CQBNTraceScope trace(QBN_POLICY_SETTING_CLASS, L"operator!=",
                         QBN_POLICY_SETTING_SOURCE, __LINE__);
    return trace.finish(!(*this == other), rtLogical);
}

template <class T>
bool CQBNPolicySetting<T>::operator<(const CQBNPolicySetting& other) const
{
    CQBNTraceScope trace(QBN_POLICY_SETTING_CLASS, L"operator<",
                         QBN_POLICY_SETTING_SOURCE, __LINE__);
    return trace.finish(m_id < other.m_id, rtLogical);
}

template <class T>
bool CQBNPolicySetting<T>::operator>(const CQBNPolicySetting& other) const
{
    CQBNTraceScope trace(QBN_POLICY_SETTING_CLASS, L"operator>",
                         QBN_POLICY_SETTING_SOURCE, __LINE__);
    return trace.finish(m_id > other.m_id, rtLogical);
}

// ---- plain members ----

template <class T>
void CQBNPolicySetting<T>::setValue(const T& value)
{
    CQBNTraceScope trace(QBN_POLICY_SETTING_CLASS, L"setValue",
                         QBN_POLICY_SETTING_SOURCE, __LINE__);
    m_value = value;
    trace.finish(true);
}

template <class T>
void CQBNPolicySetting<T>::setSubKey(const CQBNWCharString& subKey)
{
    assignText(m_subKey, subKey, L"setSubKey");
}

template <class T>
void CQBNPolicySetting<T>::setValueName(const CQBNWCharString& valueName)
{
    assignText(m_valueName, valueName, L"setValueName");
}

template <class T>
void CQBNPolicySetting<T>::assignText(CQBNWCharString& member,
                                      const CQBNWCharString& text,
                                      const wchar_t* szMethodName)
{
    CQBNTraceScope trace(QBN_POLICY_SETTING_CLASS, szMethodName,
                         QBN_POLICY_SETTING_SOURCE, __LINE__);
    member = text;
    trace.finish(member == text);
}

// ---- value name and key path ----

template <class T>
const CQBNWCharString& CQBNPolicySetting<T>::valueNameToken()
{
    static const CQBNWCharString kToken(L"%VALUE_NAME%");
    return kToken;
}

template <class T>
bool CQBNPolicySetting<T>::splitSubstitution(const CQBNWCharString& entry,
                                             CQBNWCharString& token,
                                             CQBNWCharString& replacement)
{
    const CQBNWCharString separator(L"=");
    if (!entry.contains(separator))
        return false;
    // Where nothing stands before or after the sign, the part stays empty.
    if (!entry.subStringAt(token, separator, 1, pmForward, false))
        token = CQBNWCharString();
    if (!entry.subStringAt(replacement, separator, 1, pmBackward, false))
        replacement = CQBNWCharString();
    return true;
}

template <class T>
CQBNWCharString CQBNPolicySetting<T>::getValueLocation(
    CQBNWCharStringList& substitutions)
{
    CQBNWCharString valueName(m_valueName);
    qbnTracedMethod(QBN_METHOD_SITE(QBN_POLICY_SETTING_CLASS,
                                    L"getValueLocation",
                                    QBN_POLICY_SETTING_SOURCE),
                    esLastError, [&]() {
                        for (bool bMore = substitutions.moveFirst(); bMore;
                             bMore = substitutions.moveNext()) {
                            CQBNWCharString entry;
                            CQBNWCharString token;
                            CQBNWCharString replacement;
                            if (!substitutions.getCurrent(entry) ||
                                entry.getLength() == 0 ||
                                !splitSubstitution(entry, token, replacement) ||
                                token != valueNameToken())
                                continue;
                            if (replacement.getLength() != 0)
                                valueName = replacement;
                            return true;
                        }
                        return false;
                    });
    return valueName;
}

template <class T>
bool CQBNPolicySetting<T>::requireRegistrySource() const
{
    if (m_source == psRegistry)
        return true;
    CQBNLogException1 unsupported(L"Policy source is not supported.", 0,
                                  QBN_POLICY_SETTING_SOURCE, __LINE__);
    return false;
}

template <class T>
bool CQBNPolicySetting<T>::replacePlaceholders(CQBNWCharString& path) const
{
    return path.replace(L"%VENDOR_NAME%", m_vendorName, 1, ssmOccur) &&
           path.replace(L"%PRODUCT_NAME%", m_productName, 1, ssmOccur);
}

template <class T>
void CQBNPolicySetting<T>::appendSubKey(CQBNWCharString& path) const
{
    const CQBNWCharString separator(L"\\");
    if (!m_subKey.beginsWith(separator))
        path += separator;
    path += m_subKey;
}

// An empty token would match everywhere and an empty replacement would only
// delete, so only entries with both parts rename anything. The value name
// token never touches the path.
template <class T>
void CQBNPolicySetting<T>::applySubstitution(
    CQBNWCharString& path, const CQBNWCharString& substitution)
{
    CQBNWCharString token;
    CQBNWCharString replacement;
    if (substitution.getLength() == 0 ||
        !splitSubstitution(substitution, token, replacement) ||
        token.getLength() == 0 || replacement.getLength() == 0 ||
        token == valueNameToken())
        return;
    path.replace(token, replacement, 1, ssmOccur);
}

template <class T>
CQBNWCharString CQBNPolicySetting<T>::getValueLocation(
    PolicyLocation location, const CQBNWCharString& substitution)
{
    CQBNWCharString path;
    qbnTracedMethod(
        QBN_METHOD_SITE(QBN_POLICY_SETTING_CLASS, L"getValueLocation",
                        QBN_POLICY_SETTING_SOURCE),
        esLastError, [&]() {
            if (!requireRegistrySource())
                return false;
            path = CQBNPolicySearchPolicy::getKeyPathTemplate(location);
            if (!replacePlaceholders(path))
                return false;
            if (m_subKey.getLength() != 0) {
                appendSubKey(path);
                applySubstitution(path, substitution);
            }
            return true;
        });
    return path;
}

// ---- registry transfers ----

template <class T>
template <class RegValue, class Read>
bool CQBNPolicySetting<T>::readPolicy(const wchar_t* szClassName,
                                      PolicyLocation location, T& value,
                                      bool bUseCache,
                                      const CQBNWCharString& substitution,
                                      Read read)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(szClassName, L"getPolicy", QBN_POLICY_SETTING_SOURCE),
        esLastError, rtLogical, [&]() {
            if (bUseCache && m_cached) {
                value = m_cachedValue;
                return true;
            }
            if (!requireRegistrySource())
                return false;
            RegValue registryValue(CQBNPolicySearchPolicy::getRootKey(location),
                                   getValueLocation(location, substitution),
                                   m_valueName, kQbnKeyRead, false, 0);
            T readValue = T();
            if (!read(registryValue, readValue))
                return false;
            m_cachedValue = readValue;
            m_cached = true;
            value = readValue;
            return true;
        });
}

template <class T>
template <class RegValue, class Write>
bool CQBNPolicySetting<T>::writePolicy(const wchar_t* szClassName,
                                       PolicyLocation location, const T& value,
                                       bool bCreateIfMissing,
                                       const CQBNWCharString& substitution,
                                       bool bVolatileKey, Write write)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(szClassName, L"setPolicy", QBN_POLICY_SETTING_SOURCE),
        esLastError, [&]() {
            if (!requireRegistrySource())
                return false;
            RegValue registryValue(
                CQBNPolicySearchPolicy::getRootKey(location),
                getValueLocation(location, substitution), m_valueName,
                kQbnKeyReadWrite, bCreateIfMissing,
                bVolatileKey ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE);
            if (!write(registryValue, value))
                return false;
            m_cachedValue = value;
            m_cached = true;
            return true;
        });
}

#endif

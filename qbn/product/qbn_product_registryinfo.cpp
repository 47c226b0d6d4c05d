#include "qbn_product_registryinfo.h"

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"

#define QBN_PRODUCT_REGISTRYINFO_SOURCE L".\\qbn_product_registryinfo.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNProductRegistryInfo";

} // namespace

CQBNProductRegistryInfo::CQBNProductRegistryInfo(
    const CQBNWCharString& keyPathIn, const CQBNWCharString& versionValueNameIn,
    const CQBNWCharString& installPathValueNameIn)
    : keyPath(keyPathIn), versionValueName(versionValueNameIn),
      installPathValueName(installPathValueNameIn)
{
    CQBNTraceScope trace(kClassName, L"Constructor",
                         QBN_PRODUCT_REGISTRYINFO_SOURCE, __LINE__);
    trace.finish(true);
}

CQBNProductRegistryInfo::CQBNProductRegistryInfo(
    const CQBNProductRegistryInfo& other)
    : keyPath(other.keyPath), versionValueName(other.versionValueName),
      installPathValueName(other.installPathValueName)
{
    CQBNTraceScope trace(kClassName, L"Constructor",
                         QBN_PRODUCT_REGISTRYINFO_SOURCE, __LINE__);
    trace.finish(true);
}

CQBNProductRegistryInfo::~CQBNProductRegistryInfo() {}

CQBNProductRegistryInfo& CQBNProductRegistryInfo::operator=(
    const CQBNProductRegistryInfo& other)
{
    copyFrom(&other);
    return *this;
}

CQBNProductRegistryInfo& CQBNProductRegistryInfo::operator=(
    const CQBNProductRegistryInfo* pOther)
{
    copyFrom(pOther);
    return *this;
}

// Both assignments: a null source is a bad argument and leaves the entry as
// it was.
void CQBNProductRegistryInfo::copyFrom(const CQBNProductRegistryInfo* pOther)
{
    qbnTracedMethod(QBN_METHOD_SITE(kClassName, L"operator=",
                                    QBN_PRODUCT_REGISTRYINFO_SOURCE),
                    esErrno, [&]() {
                        if (pOther == nullptr)
                            throw CQBNBadArgException(
                                L"pOther", L"Cannot have NULL value",
                                QBN_PRODUCT_REGISTRYINFO_SOURCE, __LINE__);
                        if (pOther == this)
                            return true;
                        keyPath = pOther->keyPath;
                        versionValueName = pOther->versionValueName;
                        installPathValueName = pOther->installPathValueName;
                        return true;
                    });
}

bool CQBNProductRegistryInfo::operator==(
    const CQBNProductRegistryInfo& other) const
{
    CQBNTraceScope trace(kClassName, L"operator==",
                         QBN_PRODUCT_REGISTRYINFO_SOURCE, __LINE__);
    const bool bEqual = installPathValueName == other.installPathValueName &&
                        keyPath == other.keyPath &&
                        versionValueName == other.versionValueName;
    return trace.finish(bEqual);
}

bool CQBNProductRegistryInfo::operator!=(
    const CQBNProductRegistryInfo& other) const
{
    CQBNTraceScope trace(kClassName, L"operator!=",
                         QBN_PRODUCT_REGISTRYINFO_SOURCE, __LINE__);
    return trace.finish(!(*this == other));
}

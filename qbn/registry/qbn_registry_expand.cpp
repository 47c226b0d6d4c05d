#include "qbn_registry_expand.h"

#include "qbn_exceptions.h"

#define QBN_REGISTRY_EXPAND_SOURCE L".\\qbn_registry_expand.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNRegistryStringExpand";

// Whether a text can stand for an expandable value: its "%" marks pair up
// around variable names, and there is at least one pair.
bool hasPairedMarks(const CQBNWCharString& text)
{
    const unsigned long ulMarks = text.countOccurrences(L"%");
    return ulMarks != 0 && ulMarks % 2 == 0;
}

} // namespace

// Checked before the key is opened, so a refused text leaves the registry
// exactly as it was (a missing key is not even created).
bool CQBNRegistryStringExpand::writeRegistry()
{
    return qbnGuard(
        false, esLastError, QBN_REGISTRY_EXPAND_SOURCE, __LINE__, [&]() {
            if (!hasPairedMarks(m_szRegStringCache))
                throw CQBNBadArgException(
                    L"m_szRegStringCache",
                    L"value doesn't represent an expandable value which is "
                    L"required",
                    QBN_REGISTRY_EXPAND_SOURCE, __LINE__);
            return writeText(REG_EXPAND_SZ, kClassName,
                             QBN_REGISTRY_EXPAND_SOURCE, __LINE__);
        });
}

bool CQBNRegistryStringExpand::getValue(CQBNWCharString& out, bool bUseCache,
                                        bool bExpand)
{
    return qbnGuard(false, esLastError, QBN_REGISTRY_EXPAND_SOURCE, __LINE__,
                    [&]() {
                        CQBNWCharString stored;
                        if (!CQBNRegistryString::getValue(stored, bUseCache))
                            return false;
                        if (!bExpand) {
                            out = stored;
                            return true;
                        }
                        return expandText(stored, out);
                    });
}

bool CQBNRegistryStringExpand::expandText(const CQBNWCharString& text,
                                          CQBNWCharString& out)
{
    return qbnGuard(
        false, esLastError, QBN_REGISTRY_EXPAND_SOURCE, __LINE__, [&]() {
            const DWORD dwNeeded =
                ExpandEnvironmentStringsW(text.getText(), nullptr, 0);
            if (dwNeeded == 0)
                return false;
            // One unit more than Windows is told about, so the zero-filled
            // buffer stays terminated whatever the call leaves in it.
            CQBNBuffer<unsigned short> expanded(dwNeeded + 1);
            const DWORD dwWritten = ExpandEnvironmentStringsW(
                text.getText(),
                reinterpret_cast<wchar_t*>(expanded.getBuffer()), dwNeeded);
            if (dwWritten != dwNeeded)
                return false;
            out = CQBNWCharString(expanded);
            return true;
        });
}

// Each value's own bytes are expanded as they were read here. Reading the
// value again through a reader of its own would open the key with a plain
// read mask and so could land in the other registry view than this key's.
bool CQBNRegistryKey::getExpandStringValues(CQBNRegistryStringValueList& list,
                                            bool bExpand)
{
    return qbnCollectValuesOfType(
        *this, REG_EXPAND_SZ, list, QBN_REGISTRY_EXPAND_SOURCE, __LINE__,
        [&](const CQBNBuffer<unsigned char>& bytes, CQBNWCharString& text) {
            if (!CQBNRegistryString::textFromBytes(bytes, text))
                return false;
            CQBNWCharString expanded;
            if (bExpand && CQBNRegistryStringExpand::expandText(text, expanded))
                text = expanded;
            return true;
        });
}

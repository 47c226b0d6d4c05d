#include "qbn_windows_resource.h"

#include <cwchar>

#include "qbn_catch.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"

#define QBN_WINDOWS_RESOURCE_SOURCE L".\\qbn_windows_resource.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNWindowsResource";

// Room for the program's path, terminator included.
const DWORD kPathChars = 1024;

} // namespace

CQBNWindowsResource::CQBNWindowsResource() : m_module(nullptr)
{
    CQBNTraceScope trace(kClassName, L"Default Constructor",
                         QBN_WINDOWS_RESOURCE_SOURCE, __LINE__);
    m_module = findOwnModule();
    trace.finish(m_module != nullptr);
}

CQBNWindowsResource::~CQBNWindowsResource()
{
    CQBNTraceScope trace(kClassName, L"Destructor", QBN_WINDOWS_RESOURCE_SOURCE,
                         __LINE__);
}

// A path that fills the whole buffer may have been cut, and looking up a cut
// path could name some other module, so it counts as not found.
HMODULE CQBNWindowsResource::findOwnModule()
{
    wchar_t szPath[kPathChars] = {};
    const DWORD dwLength = GetModuleFileNameW(nullptr, szPath, kPathChars);
    if (dwLength == 0 || dwLength >= kPathChars)
        return nullptr;
    szPath[dwLength] = L'\0';
    return GetModuleHandleW(szPath);
}

bool CQBNWindowsResource::loadString(unsigned int uStringId,
                                     CQBNWCharString& out)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"loadString", QBN_WINDOWS_RESOURCE_SOURCE),
        esLastError, [&]() {
            // A module that was not found has no table to read: a null
            // module would make Windows read some other module's table.
            if (m_module == nullptr)
                throw CQBNLoadStringException(
                    uStringId, m_dllName.getText(), ERROR_MOD_NOT_FOUND,
                    QBN_WINDOWS_RESOURCE_SOURCE, __LINE__);
            wchar_t szText[kMaxStringLength + 1] = {};
            // 0 also stands for an empty string, which is no text either.
            if (LoadStringW(m_module, uStringId, szText,
                            kMaxStringLength + 1) <= 0)
                throw CQBNLoadStringException(
                    uStringId, m_dllName.getText(), GetLastError(),
                    QBN_WINDOWS_RESOURCE_SOURCE, __LINE__);
            szText[kMaxStringLength] = L'\0';
            out = szText;
            // The assignment empties `out` when it cannot copy the text.
            return out.getLength() == std::wcslen(szText);
        });
}

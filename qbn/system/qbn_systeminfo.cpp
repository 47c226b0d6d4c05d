#include "qbn_systeminfo.h"

#include <shlobj.h>
#include <windows.h>

#include "qbn_catch.h"
#include "qbn_directory.h"
#include "qbn_exceptions.h"
#include "qbn_method_trace.h"
#include "qbn_traced_method.h"

#define QBN_SYSTEMINFO_SOURCE L".\\qbn_systeminfo.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNSystemInfo";

const wchar_t* const kStorageNames[] = {L"Ostrel", L"Halvorix", L"PATH", L"SID",
                                        L"qbn_userinfo.ini"};
const unsigned long kStorageNameCount =
    sizeof(kStorageNames) / sizeof(kStorageNames[0]);

// SHGetFolderPathW writes at most MAX_PATH characters, its 0 included.
const unsigned long kFolderChars = MAX_PATH + 1;

CQBNWCharString commonAppDataFolder()
{
    CQBNBuffer<unsigned short> buffer(kFolderChars);
    const HRESULT hResult = SHGetFolderPathW(
        nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
        reinterpret_cast<wchar_t*>(buffer.getBuffer()));
    buffer[kFolderChars - 1] = 0;
    const CQBNWCharString folder(buffer);
    // An empty answer would turn the storage path into one below the root
    // of the current drive.
    if (FAILED(hResult) || folder.getLength() == 0)
        throw CQBNSIgetStoragePathException(
            L"SHGetFolderPath( CSIDL_COMMON_APPDATA ) failed",
            static_cast<unsigned long>(hResult), kClassName, L"getStoragePath",
            QBN_SYSTEMINFO_SOURCE, __LINE__);
    return folder;
}

} // namespace

CQBNSystemInfo::CQBNSystemInfo(unsigned long ulNameIndex)
    : m_ulNameIndex(ulNameIndex)
{
    CQBNTraceScope trace(kClassName, L"CQBNSystemInfo", QBN_SYSTEMINFO_SOURCE,
                         __LINE__);
}

CQBNSystemInfo::~CQBNSystemInfo()
{
    CQBNTraceScope trace(kClassName, L"~CQBNSystemInfo", QBN_SYSTEMINFO_SOURCE,
                         __LINE__);
}

// The index is checked here, not trusted: one outside the table would read
// past it. Only the creation's outcome is ignored: the path is the answer,
// and a caller that writes there learns soon enough.
bool CQBNSystemInfo::getStoragePath(CQBNWCharString& path)
{
    return qbnTracedMethod(
        QBN_METHOD_SITE(kClassName, L"getStoragePath", QBN_SYSTEMINFO_SOURCE),
        esLastError, [&]() {
            if (m_ulNameIndex >= kStorageNameCount)
                throw CQBNIndexOutOfBoundsException(QBN_SYSTEMINFO_SOURCE,
                                                    __LINE__);
            const CQBNWCharString separator(L"\\");
            const CQBNWCharString storage =
                commonAppDataFolder() + separator +
                CQBNWCharString(kStorageNames[m_ulNameIndex]) + separator;
            if (!CQBNDirectory(storage).isValidDirectory())
                CreateDirectoryW(storage.getText(), nullptr);
            path = storage;
            return true;
        });
}

// How many kernel handles this process holds, for leak checks around a group
// of operations. GetProcessHandleCount answers 0 under Wine, so the count is
// taken from the system handle list when it does.
#ifndef QBN_TEST_HANDLE_COUNT_H
#define QBN_TEST_HANDLE_COUNT_H

#include <windows.h>

#include <vector>

namespace qbn_test {

// One row of the system handle list (SystemHandleInformation, class 16).
struct SystemHandleEntry {
    ULONG ulProcessId;
    BYTE bObjectType;
    BYTE bFlags;
    USHORT usHandle;
    PVOID pObject;
    ACCESS_MASK access;
};

struct SystemHandleList {
    ULONG ulCount;
    SystemHandleEntry entries[1];
};

typedef LONG(WINAPI* QuerySystemInformationFn)(ULONG, PVOID, ULONG, PULONG);

inline unsigned long countFromSystemList()
{
    const ULONG kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    const QuerySystemInformationFn query =
        reinterpret_cast<QuerySystemInformationFn>(
            reinterpret_cast<void*>(GetProcAddress(
                GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return 0;
    std::vector<BYTE> buffer(1 << 16);
    LONG status = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), nullptr)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const SystemHandleList* pList =
        reinterpret_cast<const SystemHandleList*>(buffer.data());
    unsigned long ulMine = 0;
    for (ULONG i = 0; i < pList->ulCount; ++i)
        if (pList->entries[i].ulProcessId == GetCurrentProcessId())
            ++ulMine;
    return ulMine;
}

inline unsigned long openHandleCount()
{
    DWORD dwCount = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &dwCount) && dwCount != 0)
        return dwCount;
    return countFromSystemList();
}

} // namespace qbn_test

#endif

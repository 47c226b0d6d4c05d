#include "qbn_flags.h"

#include "qbn_method_trace.h"

#define QBN_FLAGS_SOURCE L".\\qbn_flags.cpp"

namespace {

const wchar_t kClassName[] = L"CQBNFlags";

} // namespace

CQBNFlags::CQBNFlags(unsigned long ulFlags) : m_ulFlags(ulFlags)
{
    CQBNTraceScope trace(kClassName, L"CQBNFlags", QBN_FLAGS_SOURCE, __LINE__);
    trace.finish(true);
}

CQBNFlags& CQBNFlags::operator=(const CQBNFlags& other)
{
    CQBNTraceScope trace(kClassName, L"operator=", QBN_FLAGS_SOURCE, __LINE__);
    m_ulFlags = other.m_ulFlags;
    trace.finish(true);
    return *this;
}

bool CQBNFlags::operator!=(const CQBNFlags& other) const
{
    CQBNTraceScope trace(kClassName, L"operator!=", QBN_FLAGS_SOURCE, __LINE__);
    return trace.finish(m_ulFlags != other.m_ulFlags);
}

bool CQBNFlags::hasFlags(unsigned long ulMask) const
{
    CQBNTraceScope trace(kClassName, L"hasFlags", QBN_FLAGS_SOURCE, __LINE__);
    return trace.finish((ulMask & m_ulFlags) == ulMask);
}

bool CQBNFlags::getIndex(unsigned long ulMask, unsigned long& ulIndex) const
{
    CQBNTraceScope trace(kClassName, L"getIndex", QBN_FLAGS_SOURCE, __LINE__);
    // The empty mask is held by every value but has no highest bit.
    if (!hasFlags(ulMask) || ulMask == 0)
        return trace.finish(false);
    unsigned long ulHighest = 0;
    for (unsigned long ulRest = ulMask; ulRest > 1; ulRest >>= 1)
        ++ulHighest;
    ulIndex = ulHighest;
    return trace.finish(true);
}

// What the wide string's two source files (core and parsing) share and no
// caller needs: the name *_private.h keeps it out of the installed headers.
#ifndef QBN_WCHAR_STRING_PRIVATE_H
#define QBN_WCHAR_STRING_PRIVATE_H

#include "qbn_wchar_string.h"

namespace qbn_wchar_string_private {

// Assignment with an outcome: assignment records a failed allocation
// instead of throwing, which leaves `out` empty while the source is not, so
// a copy that did not take must be noticed rather than reported as success.
inline bool copyInto(CQBNWCharString& out, const CQBNWCharString& source)
{
    out = source;
    return out.getNumElems() == source.getNumElems();
}

inline bool isParseMode(unsigned long parseMode)
{
    return parseMode == pmForward || parseMode == pmBackward;
}

} // namespace qbn_wchar_string_private

#endif

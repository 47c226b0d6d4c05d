#include "qbn_registry_file.h"

// The text format is not available in this build. Both directions refuse
// with the standard "not implemented" error and write no log entry, so a
// caller can tell this refusal apart from a failed transfer.

bool CQBNRegistryFile::exportToTextFile(HKEY, const CQBNWCharString&,
                                        const CQBNWCharString&, bool)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
}

bool CQBNRegistryFile::importFromTextFile(const CQBNWCharString&)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
}

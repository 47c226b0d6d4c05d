#include "patch_outcome.h"

PatchOutcomeRecord PatchOutcome;

bool endsPreflight()
{
    if (PatchOutcome.bCheckOnly)
        PatchOutcome.bWouldChange = true;
    return PatchOutcome.bCheckOnly;
}

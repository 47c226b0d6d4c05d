#include "patch_disk_recovery.h"

#include <windows.h>

#include "patch_file_bytes.h"
#include "patch_recovery_evidence.h"
#include "patch_replaced_file.h"

namespace {

// What the disk shows one library needs; nothing by default.
struct DiskStep {
    CPatchReplacedFile names;
    bool bBackupBack;
    bool bPreviousBackupBack;
    bool bEmptyRemoved;
};

bool planStep(const HookTarget& target, DiskStep& step)
{
    const CPatchReplacedFile& names = step.names;
    // A folder (or a read-only file) in a library's place was not left by
    // a copy; the prepare step and the copy will meet it.
    const PathKind kind = pathKindOf(target.path);
    if (kind == pkOther)
        return true;
    const bool bRelease = holdsReleaseLibrary(target.path, *target.pFile);
    const bool bDisposable = isDisposableLibrary(target.path, *target.pFile);
    step.bBackupBack =
        bDisposable && holdsWholeLibraryFor(names.getBackup(), *target.pFile);
    if (bRelease && !step.bBackupBack)
        return false;
    step.bEmptyRemoved = bDisposable && kind == pkFile && !step.bBackupBack;
    step.bPreviousBackupBack =
        (step.bBackupBack || pathKindOf(names.getBackup()) == pkMissing) &&
        pathKindOf(names.getPreviousBackup()) == pkFile;
    return true;
}

bool takeStep(const DiskStep& step)
{
    const CPatchReplacedFile& names = step.names;
    if (step.bBackupBack &&
        !moveFileChecked(names.getBackup(), names.getTarget(),
                         MOVEFILE_REPLACE_EXISTING))
        return false;
    if (step.bEmptyRemoved && !DeleteFileW(names.getTarget().getText()))
        return false;
    return !step.bPreviousBackupBack ||
           moveFileChecked(names.getPreviousBackup(), names.getBackup(), 0);
}

} // namespace

bool recoverFromDisk(const std::vector<HookTarget>& targets,
                     const std::function<void()>& beforeMoving)
{
    std::vector<DiskStep> steps;
    bool bAnyChange = false;
    for (const HookTarget& target : targets) {
        steps.push_back(
            {CPatchReplacedFile(target.path, true, true), false, false, false});
        if (!planStep(target, steps.back()))
            return false;
        const DiskStep& step = steps.back();
        bAnyChange = bAnyChange || step.bBackupBack ||
                     step.bPreviousBackupBack || step.bEmptyRemoved;
    }
    if (bAnyChange && beforeMoving)
        beforeMoving();
    for (const DiskStep& step : steps) {
        if (!takeStep(step))
            return false;
    }
    return true;
}

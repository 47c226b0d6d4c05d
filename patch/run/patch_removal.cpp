#include "patch_removal.h"

#include <vector>

#include "patch8104_ids.h"
#include "patch_checks.h"
#include "patch_file_bytes.h"
#include "patch_file_version.h"
#include "patch_install.h"
#include "patch_install_journal.h"
#include "patch_log.h"
#include "patch_messages.h"
#include "patch_record.h"
#include "patch_recovery_evidence.h"
#include "patch_removal_journal.h"
#include "patch_target_folder.h"
#include "qbn_catch.h"

#define PATCH_REMOVAL_SOURCE L".\\patch_removal.cpp"

namespace {

unsigned long long versionOf(const CQBNWCharString& path)
{
    DWORD dwMS = 0;
    DWORD dwLS = 0;
    if (!getFileVersion(path, dwMS, dwLS))
        return 0;
    return (static_cast<unsigned long long>(dwMS) << 32) | dwLS;
}

// The libraries the record lists, where the install put them. False, after
// 1200 naming it, for a name the patch never installs or a folder that is
// not usable.
bool locateRecordedLibraries(std::vector<HookTarget>& libraries,
                             CQBNWCharString& productFolder)
{
    std::vector<HookTarget> targets;
    CQBNWCharString unusable;
    CQBNWCharStringList names;
    if (!locateTargets(everyHookFile(), targets, productFolder, unusable) ||
        !readUpdatedFiles(names) || !names.moveFirst()) {
        reportFailedUpdate(unusable);
        return false;
    }
    do {
        CQBNWCharString name;
        names.getCurrent(name);
        const HookFile* pFile = findHookFile(name);
        const HookTarget* pTarget = nullptr;
        for (const HookTarget& target : targets)
            pTarget = target.pFile == pFile ? &target : pTarget;
        if (pTarget == nullptr) {
            reportFailedUpdate(name);
            return false;
        }
        libraries.push_back(*pTarget);
    } while (names.moveNext());
    return true;
}

// Each library must be the patch's own (else the product was updated or
// repaired since: 1130), its backup a whole, older library for the same
// machine and the aside name free (else 1200); the first that is not is
// named, and nothing has changed.
bool prepareRemoval(const std::vector<HookTarget>& libraries)
{
    for (const HookTarget& library : libraries) {
        const CPatchRemovedFile file(library.path);
        if (!holdsReleaseLibrary(file.getTarget(), *library.pFile)) {
            showMessage(IDS_WRONG_PRODUCT_VERSION, MB_OK, IDOK);
            appendPatchLogLine(IDS_UPDATE_FILE_FAILED, file.getTarget());
            return false;
        }
        if (!holdsWholeLibraryFor(file.getBackup(), *library.pFile) ||
            versionOf(file.getBackup()) >= versionOf(file.getTarget())) {
            reportFailedUpdate(file.getBackup());
            return false;
        }
        if (pathKindOf(file.getAside()) != pkMissing) {
            reportFailedUpdate(file.getAside());
            return false;
        }
    }
    return true;
}

// All libraries back or none: the first failed step puts the patched
// state back.
bool putOriginalsBack(const std::vector<HookTarget>& libraries,
                      CPatchRemovalJournal& journal)
{
    for (const HookTarget& library : libraries) {
        if (!journal.remove(library.path)) {
            reportFailedUpdate(library.path);
            journal.undo();
            return false;
        }
    }
    if (journal.markCommitting() && journal.finish())
        return true;
    reportFailedUpdate(journal.getUnrestored());
    return false;
}

void removeLibraries(PatchRun& run)
{
    std::vector<HookTarget> libraries;
    CQBNWCharString productFolder;
    if (!locateRecordedLibraries(libraries, productFolder) ||
        !prepareRemoval(libraries))
        return;
    stopPasswordManager(run);
    CPatchRemovalJournal journal(CPatchInstallJournal::pathIn(productFolder));
    if (!putOriginalsBack(libraries, journal))
        return;
    releaseLockAndAskRestart(run, IDS_PATCH_REMOVED);
}

} // namespace

void runRemoval(PatchRun& run)
{
    qbnGuardAction(esLastError, PATCH_REMOVAL_SOURCE, __LINE__, [&]() {
        if (!isProductInstalled())
            return static_cast<void>(
                showResultMessage(ProductNotInstalled, MB_OK, IDOK));
        if (!isPatchInstalled())
            return static_cast<void>(
                showMessage(IDS_PATCH_NOT_INSTALLED, MB_OK, IDOK));
        OsAndPlatform os = {kOsOther, 0};
        if (!getOsAndPlatform(os))
            return static_cast<void>(
                showResultMessage(InstallFailed, MB_OK, IDOK));
        if (os.osType != kOsWindows7)
            return static_cast<void>(
                showResultMessage(WrongOperatingSystem, MB_OK, IDOK));
        removeLibraries(run);
    });
}

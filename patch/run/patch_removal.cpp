#include "patch_removal.h"

#include <vector>

#include "patch8104_ids.h"
#include "patch_checks.h"
#include "patch_file_bytes.h"
#include "patch_image_check.h"
#include "patch_image_version.h"
#include "patch_install.h"
#include "patch_install_journal.h"
#include "patch_log.h"
#include "patch_messages.h"
#include "patch_outcome.h"
#include "patch_record.h"
#include "patch_recovery_evidence.h"
#include "patch_removal_journal.h"
#include "patch_target_folder.h"
#include "patch_uninstall_entry.h"
#include "qbn_catch.h"

#define PATCH_REMOVAL_SOURCE L".\\patch_removal.cpp"

namespace {

// A file as the disk shows it, read once: the plan asks several questions
// of the same bytes.
struct FileOnDisk {
    PathKind kind;
    CQBNBuffer<unsigned char> bytes;
    bool bRead;

    explicit FileOnDisk(const CQBNWCharString& path)
        : kind(pathKindOf(path)),
          bRead(kind != pkMissing && readFileBytes(path, bytes))
    {
    }

    // 0 when the file has no readable version.
    unsigned long long version() const
    {
        return bRead ? imageVersionNumber(bytes) : 0;
    }

    bool isWholeLibraryFor(const HookFile& library) const
    {
        return kind == pkFile && bRead &&
               isWholeLibraryImage(bytes, library.wMachine);
    }

    bool isReleaseLibrary(const HookFile& library) const
    {
        return kind == pkFile && bRead && isReleaseBytes(bytes, library);
    }
};

// What the disk shows of the platform's set: the libraries that hold this
// release's bytes go back to their backups; the others hold an original
// already (put back by a repair of the product, or by hand).
struct RemovalPlan {
    std::vector<HookTarget> patched;
    std::vector<HookTarget> originals;
};

// Where the install put each library of the platform's set. False, after
// 1200 naming it, for a folder that is not usable.
bool locatePlatformLibraries(int platform, std::vector<HookTarget>& libraries,
                             CQBNWCharString& productFolder)
{
    HookFileSet files = {nullptr, 0};
    CQBNWCharString unusable;
    if (!findHookFileSet(platform, files) ||
        !locateTargets(files, libraries, productFolder, unusable)) {
        reportFailedUpdate(unusable);
        return false;
    }
    return true;
}

// A library of this release goes back only to a whole, older library for
// the same machine, and only when the aside name is free (else 1200).
bool canPutBack(const CPatchRemovedFile& file, const FileOnDisk& target,
                const FileOnDisk& backup, const HookFile& library)
{
    if (!backup.isWholeLibraryFor(library) ||
        backup.version() >= target.version()) {
        reportFailedUpdate(file.getBackup());
        return false;
    }
    if (pathKindOf(file.getAside()) != pkMissing) {
        reportFailedUpdate(file.getAside());
        return false;
    }
    return true;
}

// A library that is no longer this release's counts as an original unless
// it is newer than its backup: then the product was updated since, and the
// patch is not taken back from under it (1130).
bool isOriginal(const CPatchRemovedFile& file, const FileOnDisk& target,
                const FileOnDisk& backup, const HookFile& library)
{
    if (!target.isWholeLibraryFor(library)) {
        reportFailedUpdate(file.getTarget());
        return false;
    }
    if (backup.kind != pkMissing && target.version() > backup.version()) {
        reportRefusedFile(IDS_WRONG_PRODUCT_VERSION, file.getTarget());
        return false;
    }
    return true;
}

// Every library of the set, whatever the record lists: the first that can
// be neither put back nor left is named, and nothing has changed.
bool planRemoval(const std::vector<HookTarget>& libraries, RemovalPlan& plan)
{
    for (const HookTarget& library : libraries) {
        const CPatchRemovedFile file(library.path);
        const FileOnDisk target(file.getTarget());
        const FileOnDisk backup(file.getBackup());
        if (target.isReleaseLibrary(*library.pFile)) {
            if (!canPutBack(file, target, backup, *library.pFile))
                return false;
            plan.patched.push_back(library);
        } else {
            if (!isOriginal(file, target, backup, *library.pFile))
                return false;
            plan.originals.push_back(library);
        }
    }
    return true;
}

// A backup with the very bytes of the original beside it keeps nothing.
void discardIdenticalBackups(const std::vector<HookTarget>& originals)
{
    for (const HookTarget& library : originals) {
        const CPatchRemovedFile file(library.path);
        CQBNBuffer<unsigned char> bytes;
        if (readFileBytes(file.getTarget(), bytes) &&
            fileHolds(file.getBackup(), bytes))
            removeFileNowOrAtRestart(file.getBackup());
    }
}

// All libraries back or none: the first failed step puts the patched
// state back.
bool putOriginalsBack(const std::vector<HookTarget>& libraries,
                      CPatchRemovalJournal& journal)
{
    CQBNWCharString failed;
    if (!journal.removeAll(pathsOf(libraries, &HookTarget::path), failed)) {
        reportFailedUpdate(failed);
        journal.undo();
        return false;
    }
    if (journal.markCommitting() && journal.finish())
        return true;
    reportFailedUpdate(journal.getUnrestored());
    return false;
}

// Nothing of this release left on the disk (the product was repaired): the
// record and the entry go, so that the next install applies the patch
// again.
bool forgetRepairedPatch()
{
    if (forgetPatch())
        return true;
    CQBNWCharString productFolder;
    readProductFolder(productFolder);
    reportFailedUpdate(programCopyPath(productFolder));
    return false;
}

void removeLibraries(int platform, PatchRun& run)
{
    std::vector<HookTarget> libraries;
    CQBNWCharString productFolder;
    RemovalPlan plan;
    CPatchPendingRenames renames;
    if (!locatePlatformLibraries(platform, libraries, productFolder) ||
        !planRemoval(libraries, plan) ||
        !checkPendingRenames(pathsOf(libraries, &HookTarget::path), renames) ||
        endsPreflightAt(pathsOf(libraries, &HookTarget::path)))
        return;
    if (plan.patched.empty()) {
        if (!forgetRepairedPatch())
            return;
    } else {
        stopPasswordManager(run);
        CPatchRemovalJournal journal(
            CPatchInstallJournal::pathIn(productFolder));
        if (!putOriginalsBack(plan.patched, journal))
            return;
    }
    discardIdenticalBackups(plan.originals);
    releaseLockAndAskRestart(run, IDS_PATCH_REMOVED);
}

} // namespace

void runRemoval(PatchRun& run)
{
    qbnGuardAction(esLastError, PATCH_REMOVAL_SOURCE, __LINE__, [&]() {
        if (!isProductInstalled())
            return static_cast<void>(
                showResultMessage(ProductNotInstalled, MB_OK, IDOK));
        // A removal that recovery finished has just put the originals
        // back: they are loaded only after a restart.
        if (!isPatchInstalled() && run.bRemovalFinished)
            return releaseLockAndAskRestart(run, IDS_PATCH_REMOVED);
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
        removeLibraries(os.platform, run);
    });
}

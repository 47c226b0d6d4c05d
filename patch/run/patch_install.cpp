#include "patch_install.h"

#include "patch8104_ids.h"
#include "patch_file_bytes.h"
#include "patch_file_version.h"
#include "patch_messages.h"
#include "patch_outcome.h"
#include "patch_paths.h"
#include "patch_pending_renames.h"
#include "patch_process.h"
#include "patch_record.h"
#include "patch_target_folder.h"
#include "patch_uninstall_entry.h"
#include "qbn_catch.h"
#include "qbn_dbllist.h"
#include "qbn_scoped_handle.h"
#include "qbn_win_reboot.h"

#define PATCH_INSTALL_SOURCE L".\\patch_install.cpp"

namespace {

const DWORD kPauseAfterTerminationMs = 5000;

const wchar_t kPatchDescription[] =
    L"Resolve the problem that Password Manager cause that text can not be "
    L"highlighted by cursor in Office 2007.";

bool isPatchNewer(const PreparedLibrary& versionFile)
{
    CQBNWCharString source;
    getPatchFilePath(sourceNameOf(*versionFile.pFile), source);
    const int comparison = compareFileVersions(source, versionFile.target);
    if (comparison == 0) {
        showMessage(IDS_ALREADY_INSTALLED, MB_OK, IDOK);
        return false;
    }
    if (comparison < 0) {
        showMessage(IDS_WRONG_PRODUCT_VERSION, MB_OK, IDOK);
        return false;
    }
    return true;
}

// The copy of this program that the Installed Updates entry runs, placed
// and verified like a library.
bool placeProgramCopy(const CQBNWCharString& productFolder,
                      CPatchPendingRenames& renames,
                      CPatchInstallJournal& journal)
{
    PreparedLibrary copy;
    copy.pFile = &programCopyFile();
    copy.target = programCopyPath(productFolder);
    if (!getProgramPath(copy.source) ||
        !readFileBytes(copy.source, copy.bytes) ||
        !makeProgramCopyFolder(productFolder) ||
        // An earlier removal from the copy scheduled it (and its folder)
        // for deletion by name: the restart would take this copy instead.
        !renames.takeOutUnder(programCopyFolder(productFolder))) {
        reportFailedUpdate(copy.target);
        return false;
    }
    return replaceFile(copy, journal) != 0;
}

// All libraries of the set, the program copy and the Installed Updates
// entry, or none: the first failed step puts back everything replaced so
// far, and the entry goes with it.
bool replaceHookFiles(const std::vector<PreparedLibrary>& libraries,
                      const CQBNWCharString& productFolder,
                      CPatchPendingRenames& renames,
                      CPatchInstallJournal& journal)
{
    for (const PreparedLibrary& library : libraries) {
        if (!replaceFile(library, journal)) {
            journal.rollBack();
            return false;
        }
    }
    if (!placeProgramCopy(productFolder, renames, journal)) {
        journal.rollBack();
        return false;
    }
    if (journal.markCommitting() && writeUninstallEntry(productFolder))
        return true;
    reportFailedUpdate(programCopyPath(productFolder));
    journal.rollBack();
    return false;
}

// The product is whole once the record is written and the journal gone.
void recordAndOfferRestart(int platform, CPatchInstallJournal& journal,
                           PatchRun& run)
{
    CQBNWCharStringList replaced;
    listReplacedFiles(platform, replaced);
    writePatchRecord(CQBNWCharString(kPatchDescription), replaced);
    journal.finish();
    releaseLockAndAskRestart(run, IDS_PATCH_COMPLETED);
}

void addBackupNames(const CQBNWCharString& target,
                    std::vector<CQBNWCharString>& names)
{
    const CPatchReplacedFile file(target, false, false);
    names.push_back(file.getBackup());
    names.push_back(file.getPreviousBackup());
}

// A folder (or anything else that is not a plain file) under a name the
// run must replace or create would stop it half-way, and a program copy
// folder the patch did not make may not be the administrators' alone:
// refused before the password manager is stopped.
bool checkReplaceableNames(const std::vector<PreparedLibrary>& libraries,
                           const CQBNWCharString& productFolder)
{
    if (!isProgramCopyFolderUsable(productFolder)) {
        reportFailedUpdate(programCopyFolder(productFolder));
        return false;
    }
    std::vector<CQBNWCharString> names(
        1, CPatchInstallJournal::pathIn(productFolder));
    for (const PreparedLibrary& library : libraries)
        addBackupNames(library.target, names);
    addBackupNames(programCopyPath(productFolder), names);
    for (const CQBNWCharString& name : names) {
        if (pathKindOf(name) == pkOther) {
            reportFailedUpdate(name);
            return false;
        }
    }
    return true;
}

// A pre-flight moves nothing to see whether it could: it asks for the
// access a move takes, which a program holding the library open without
// sharing its deletion (a scanner, say) refuses, as it would the move.
bool isMovable(const CQBNWCharString& path)
{
    if (pathKindOf(path) == pkMissing)
        return true;
    const CQBNScopedHandle file(CreateFileW(
        path.getText(), DELETE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file.isValid();
}

} // namespace

bool checkPendingRenames(const std::vector<CQBNWCharString>& targets,
                         CPatchPendingRenames& renames)
{
    if (!renames.read()) {
        reportFailedUpdate(CPatchPendingRenames::location());
        return false;
    }
    std::vector<CQBNWCharString> names;
    for (const CQBNWCharString& target : targets) {
        names.push_back(target);
        names.push_back(target + CQBNWCharString(L".bak"));
    }
    const CQBNWCharString named = renames.findNamed(names);
    if (named.getLength() == 0)
        return true;
    reportFailedUpdate(named);
    return false;
}

bool endsPreflightAt(const std::vector<CQBNWCharString>& targets)
{
    if (!PatchOutcome.bCheckOnly)
        return false;
    for (const CQBNWCharString& target : targets) {
        if (!isMovable(target)) {
            reportFailedUpdate(target);
            return true;
        }
    }
    return endsPreflight();
}

void applyPatch(int platform)
{
    PatchRun unlocked;
    applyPatch(platform, unlocked);
}

void applyPatch(int platform, PatchRun& run)
{
    qbnGuardAction(esLastError, PATCH_INSTALL_SOURCE, __LINE__, [&]() {
        HookFileSet files = {nullptr, 0};
        if (!findHookFileSet(platform, files)) {
            showMessage(IDS_WRONG_OPERATING_SYSTEM, MB_OK, IDOK);
            return;
        }
        std::vector<PreparedLibrary> libraries;
        CQBNWCharString productFolder;
        CPatchPendingRenames renames;
        if (!resolveTargets(files, libraries, productFolder) ||
            !isPatchNewer(libraries.front()) || !loadSources(libraries) ||
            !checkReplaceableNames(libraries, productFolder) ||
            !checkPendingRenames(pathsOf(libraries, &PreparedLibrary::target),
                                 renames) ||
            endsPreflightAt(pathsOf(libraries, &PreparedLibrary::target)))
            return;
        stopPasswordManager(run);
        CPatchInstallJournal journal(
            CPatchInstallJournal::pathIn(productFolder));
        if (replaceHookFiles(libraries, productFolder, renames, journal))
            recordAndOfferRestart(platform, journal, run);
    });
}

int replaceFile(const PreparedLibrary& library, CPatchInstallJournal& journal)
{
    return qbnGuard(0, esLastError, PATCH_INSTALL_SOURCE, __LINE__, [&]() {
        const int replaced =
            journal.replace(library.source, library.target, library.bytes);
        if (!replaced)
            reportFailedUpdate(library.target);
        return replaced;
    });
}

void stopPasswordManager(PatchRun& run)
{
    if (terminateProductProcess(CQBNWCharString(kProductProcessName),
                                run.stoppedProcess))
        Sleep(kPauseAfterTerminationMs);
}

bool isRestartChosen()
{
    return showMessage(IDS_PATCH_COMPLETED, MB_YESNO, IDNO) == IDYES;
}

int restartWindows()
{
    return qbnGuard(0, esLastError, PATCH_INSTALL_SOURCE, __LINE__, [&]() {
        CQBNWinReboot reboot;
        return reboot.rebootSystem(false, CQBNWCharString(), CQBNWCharString(),
                                   0)
                   ? 1
                   : 0;
    });
}

void releaseLockAndAskRestart(PatchRun& run, int questionId)
{
    run.lock.release();
    if (showMessage(questionId, MB_YESNO, IDNO) != IDYES)
        return;
    run.stoppedProcess.forget();
    PatchOutcome.bRestartStarted = restartWindows() != 0;
}

int offerRestart()
{
    return isRestartChosen() ? restartWindows() : 1;
}

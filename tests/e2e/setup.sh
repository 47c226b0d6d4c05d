# Machines as the scenarios start them, and the report lines that describe
# the product's libraries and the patch record.

# e2e_scratch: sets E2E_SCRATCH to a folder of the scenario's own outside
# the build tree (scripts/package takes nothing from build/ and writes
# nothing there); e2e_cleanup removes it with the machine.
E2E_SCRATCH=
e2e_scratch() {
  [[ -n $E2E_SCRATCH ]] ||
    E2E_SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/patch8104-e2e-$E2E_SCENARIO.XXXXXX")
}

e2e_cleanup() {
  machine_dispose
  [[ -z $E2E_SCRATCH ]] || rm -rf "$E2E_SCRATCH"
}

# machine_for_scenario win64|win32: a fresh machine named after the scenario.
machine_for_scenario() {
  machine_new "e2e_$E2E_SCENARIO" "$1"
}

# installed_machine win64|win32 [machine_install_product options...]: the
# product installed (8.30.0.1, libraries 8.30.0.10 unless told otherwise),
# its password manager running, the package copied to C:\patch8104\.
installed_machine() {
  machine_for_scenario "$1"
  shift
  machine_install_product "$@"
  machine_start_password_manager
  machine_copy_package
}

# The version each stand-in set carries.
declare -A SET_VERSION=(
  [installed]=8.30.0.10 [payload]=8.30.0.12 [newer]=8.30.0.20
  [noversion]="no version" [vendor]=8.30.0.12
)

# library FOLDER NAME SET: the report line of a library whose bytes are
# those of stand-in SET.
library() {
  printf 'file %s%s: %s, %s bytes' "$1" "$2" "${SET_VERSION[$3]}" "$3"
}

# The four libraries of 64-bit Windows (the x64 pair in FOLDER64) or the
# two of 32-bit Windows, as SET; with a fourth argument, their backups as
# that set.
libraries64() {
  local folder=$1 folder64=$2 set=$3 backup=${4:-}
  library "$folder64" qbnpwm_windows_hook_x64.dll "$set"; echo
  library "$folder64" qbnpwm_keyboard_hook_x64.dll "$set"; echo
  libraries32 "$folder" "$set" "$backup"
  if [[ -n $backup ]]; then
    library "$folder64" qbnpwm_windows_hook_x64.dll.bak "$backup"; echo
    library "$folder64" qbnpwm_keyboard_hook_x64.dll.bak "$backup"; echo
  fi
}

libraries32() {
  local folder=$1 set=$2 backup=${3:-}
  library "$folder" qbnpwm_windows_hook.dll "$set"; echo
  library "$folder" qbnpwm_keyboard_hook.dll "$set"; echo
  if [[ -n $backup ]]; then
    library "$folder" qbnpwm_windows_hook.dll.bak "$backup"; echo
    library "$folder" qbnpwm_keyboard_hook.dll.bak "$backup"; echo
  fi
}

# expect_lines COMMAND...: every line the command prints is in the report.
expect_report_lines() {
  local lines=()
  mapfile -t lines < <("$@")
  expect_report_has "${lines[@]}"
}

# The patch record as a run that replaced the libraries of 64-bit (four) or
# 32-bit (two) Windows leaves it, in the view a 32-bit program sees.
expect_record64() {
  expect_uninstall_entry
  expect_report_has "patch record: present" \
    "patch record in 64-bit view: absent" \
    "patch record description: $RECORD_DESCRIPTION" \
    "patch record updated: qbnpwm_windows_hook.dll | qbnpwm_keyboard_hook.dll | qbnpwm_windows_hook_x64.dll | qbnpwm_keyboard_hook_x64.dll"
}

expect_record32() {
  expect_uninstall_entry
  expect_report_has "patch record: present" \
    "patch record description: $RECORD_DESCRIPTION" \
    "patch record updated: qbnpwm_windows_hook.dll | qbnpwm_keyboard_hook.dll"
}

expect_no_record() {
  expect_report_has "patch record: absent" "uninstall entry: absent" \
    "event source: absent"
  expect_that "the program copy is gone or to go at the next start" program_copy_gone
}

# The program copy's folder is gone, or (when the copy was the program
# running) to be deleted when Windows next starts.
program_copy_gone() {
  [[ ! -e $(machine_unix_path "${MACHINE_PRODUCT_DIR}Patch8104") ]] ||
    pending_renames | grep -Fqi 'Patch8104\patch8104.exe'
}

# What the test build noted of the last run (PATCH8104_CALLS='C:\calls.txt').
noted_calls() {
  iconv -f UTF-16LE -t UTF-8 "$(machine_unix_path 'C:\calls.txt')" 2>/dev/null | tr -d '\r'
}

# The renames Windows carries out at its next start, one name a line.
pending_renames() {
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations </dev/null 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_MULTI_SZ *//p' | sed 's/\\0/\n/g' | sed '/^$/d' || true
}

# The Installed Updates entry of an install, and the program copy it runs.
expect_uninstall_entry() {
  local copy=${MACHINE_PRODUCT_DIR}Patch8104\\patch8104.exe
  expect_report_has "uninstall entry: DisplayName=Patch 8104 for Vaultrion - Password Manager ParentDisplayName=Vaultrion - Password Manager QuietUninstallString=\"$copy\" /uninstall /S"
  expect_that "the program copy is there" test -f "$(machine_unix_path "$copy")"
  expect_report_has "event source: EventMessageFile=$copy TypesSupported=7"
}

# Nothing of the product changed: every library as installed, no backup.
expect_untouched64() {
  expect_report_lines libraries64 "$MACHINE_PRODUCT_DIR" "$MACHINE_PRODUCT_DIR64" "${1:-installed}"
  expect_report_lacks ".bak"
}

expect_password_manager_running() {
  expect_report_has "process ${MACHINE_PRODUCT_DIR}password_manager.exe"
}

expect_password_manager_stopped() {
  expect_report_lacks "process "
}

# expect_password_manager_restarted [SET [SAVES]]: one password manager runs
# from the product folder with the libraries now there (SET, default
# payload) loaded; those the runs stopped saved their pending changes SAVES
# times (default 1), as they do when closed politely.
expect_password_manager_restarted() {
  local dir=$MACHINE_PRODUCT_DIR set=${1:-payload}
  expect_report_has "process ${dir}password_manager.exe" \
    "loaded $(library "$dir" qbnpwm_windows_hook.dll "$set")" \
    "loaded $(library "$dir" qbnpwm_keyboard_hook.dll "$set")"
  expect_eq "password managers running" 1 "$(grep -c '^process ' "$MACHINE_RUN_DIR/report.txt")"
  expect_saved_changes "${2:-1}"
}

# The stopped password managers saved their pending changes $1 times.
expect_saved_changes() {
  expect_eq "pending changes saved" "$1" "$(cat "$(machine_unix_path "$MACHINE_PRODUCT_DIR")/password_manager.state" 2>/dev/null | grep -c saved)"
}

# expect_outcome ACTION ID: how the last run ended, where administrators'
# tools read it: the result values (ACTION install or removal, the outcome
# message ID) and one Application event with that ID, of the type its
# meaning has (information, warning for a refusal, error for a failure).
expect_outcome() {
  local outcome type=0x0004 pending=0
  case $2 in
    1160) outcome=installed pending=1 ;;
    1190) outcome=removed pending=1 ;;
    1170) outcome='already installed' ;;
    1195) outcome='not installed' ;;
    1200) outcome=failed type=0x0001 ;;
    *) outcome='not applicable' type=0x0002 ;;
  esac
  expect_results "$1" "$outcome MessageId=$2 RestartPending=$pending"
  expect_eq "events" "ReportEventW ($type,0x0000,$(printf '0x%08x' "$2")" \
    "$(grep -a -o 'ReportEventW ([0-9A-F]*,0x[0-9a-f]*,0x[0-9a-f]*,0x[0-9a-f]*' \
      "$MACHINE_RUN_DIR/stderr.txt" | sed 's/([0-9A-F]*,/(/')"
}

# expect_results ACTION OUTCOME...: the result values begin so.
expect_results() {
  expect_that "result values: Action=$1 Outcome=$2" \
    grep -Fq "patch results: Action=$1 Outcome=$2 " "$MACHINE_RUN_DIR/report.txt"
}

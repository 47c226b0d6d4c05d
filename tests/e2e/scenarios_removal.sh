# Taking the patch back: patch8104.exe /uninstall after an install, the
# refusals before anything changes, and removals killed at each step.

# expect_original ARCH: the product as installed: every library original,
# no backup or aside copy, no journal, no record.
expect_original() {
  if [[ $1 == win64 ]]; then
    expect_untouched64
  else
    expect_report_lines libraries32 "$MACHINE_PRODUCT_DIR" installed
    expect_report_lacks ".bak"
  fi
  expect_report_lacks ".removed" "$JOURNAL_NAME"
  expect_no_record
}

# Installed, then removed: the originals back byte for byte, nothing of the
# patch left, the password manager back with the originals; then installed
# again. An install from before the Installed Updates entry (record only)
# is removed the same way.
scenario_removal() {
  local arch mode before dir quiet
  while read -r arch mode before; do
    step "$arch: installed${before:+ (record only)}, then removed ($mode)"
    installed_machine "$arch"
    dir=$MACHINE_PRODUCT_DIR
    # Unattended: no /S, on a window station nobody sees (see interaction).
    quiet=(/S)
    [[ $mode != unattended ]] || quiet=(--station)
    machine_run_patch "${quiet[@]}"
    if [[ -n $before ]]; then
      machine_reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vaultrion_Patch8104' /f /reg:32
      rm -r "$(machine_unix_path "${dir}Patch8104")"
    fi
    if [[ $mode != interactive ]]; then
      machine_run_patch "${quiet[@]}" /uninstall
      expect_boxes
    else
      machine_run_patch --answer $NO -UNINSTALL
      expect_boxes "$(box en 1190 $NO)"
    fi
    expect_original "$arch"
    expect_outcome removal 1190
    expect_password_manager_restarted installed 2
    expect_patch_log "${dir}patchlog8104.txt" \
      "$(line en 1122 "${dir}password_manager.exe")" "$(entry en 1160 $NO)" \
      "$(line en 1122 "${dir}password_manager.exe")" "$(entry en 1190 $NO)"
    step "$arch: installed again"
    machine_run_patch /S
    expect_patched_whole "$arch"
    machine_dispose
  done <<<"win64 interactive
win32 silent record-only
win64 unattended"
}

# Installed Updates: Wine's own list shows the entry after an install, and
# its quiet uninstall command (the program copy, running) removes the patch.
# An install before the restart keeps its own copy through the restart.
scenario_removal_from_installed_updates() {
  installed_machine win64
  machine_run_patch /S
  local listed='Patch 8104 for Vaultrion - Password Manager' quiet
  expect_eq "listed" 1 "$(wine uninstaller --list </dev/null 2>/dev/null | grep -c "$listed")"
  quiet=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vaultrion_Patch8104' \
    /v QuietUninstallString /reg:32 </dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
  step "running $quiet"
  eval "wine $quiet" </dev/null >/dev/null 2>&1
  machine_report >"$MACHINE_RUN_DIR/report.txt"
  expect_original win64
  expect_eq "listed" 0 "$(wine uninstaller --list </dev/null 2>/dev/null | grep -c "$listed")"
  step "installed again before the restart, then the restart"
  copy_fault_package
  PATCH8104_CALLS='C:\calls.txt' machine_run_patch /S
  expect_eq "the copy's folder made again, administrators' alone" \
    "CreateDirectoryW ${MACHINE_PRODUCT_DIR}Patch8104 D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)" \
    "$(noted_calls | grep CreateDirectoryW)"
  wine wineboot -r </dev/null >/dev/null 2>&1
  machine_report >"$MACHINE_RUN_DIR/report.txt"
  expect_patched_whole win64
  expect_no_file "${MACHINE_PRODUCT_DIR}Patch8104\patch8104.exe.bak"
}

# Nothing changes when the patch is not installed (1195), when the product
# replaced one of its libraries since (1130, naming it), or when a backup is
# missing (1200, naming it).
scenario_removal_refused() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR unix keyboard refusals=()
  unix=$(machine_unix_path "$dir")
  keyboard=${dir}qbnpwm_keyboard_hook.dll
  step "not installed"
  machine_run_patch --answer $OK /uninstall
  expect_boxes "$(box en 1195 $OK)"
  expect_untouched64
  machine_run_patch /S
  step "the product replaced a library since"
  cp "$unix/qbnpwm_keyboard_hook.dll" "$MACHINE_DIR/.machine/keyboard"
  cp "$MACHINE_BUILD/standins/newer/qbnpwm_keyboard_hook.dll" "$unix/"
  machine_run_patch --answer $OK /uninstall
  expect_boxes "$(box en 1130 $OK)"
  expect_report_has "$(library "$dir" qbnpwm_keyboard_hook.dll newer)"
  cp "$MACHINE_DIR/.machine/keyboard" "$unix/qbnpwm_keyboard_hook.dll"
  step "a backup is missing"
  mv "$unix/qbnpwm_windows_hook.dll.bak" "$MACHINE_DIR/.machine/"
  machine_run_patch --answer $OK /uninstall
  expect_boxes "$(box en 1200 $OK)"
  mv "$MACHINE_DIR/.machine/qbnpwm_windows_hook.dll.bak" "$unix/"
  machine_report >"$MACHINE_RUN_DIR/report.txt"
  expect_patched_whole win64
  expect_password_manager_running
  expect_patch_log "${dir}patchlog8104.txt" "$(entry en 1195 $OK)" \
    "$(line en 1122 "${dir}password_manager.exe")" "$(entry en 1160 $NO)" \
    "$(entry en 1130 $OK)" "$(line en 1121 "$keyboard")" \
    "$(entry en 1200 $OK)" "$(line en 1121 "${dir}qbnpwm_windows_hook.dll.bak")"
}

# A removal killed at each step (each library moved aside, each backup
# back, the record forgotten, an aside copy deleted), then a run: a removal
# mends and removes, an install finds the patch whole or patches again.
# removal_killed FAULT NEXT...: one row each.
removal_killed() {
  local fault next
  for row in "$@"; do
    read -r fault next <<<"$row"
    step "removal broken at $fault, then: $next"
    installed_machine win64
    machine_run_patch /S
    copy_fault_package
    PATCH8104_FAULT=$fault machine_run_patch /uninstall /S
    expect_exit_code 9
    machine_copy_package
    machine_start_password_manager
    if [[ $next == removal ]]; then
      machine_run_patch /uninstall /S
      expect_original win64
    else
      machine_run_patch /S
      expect_patched_whole win64
    fi
    expect_password_manager_running
    machine_dispose
  done
}

scenario_removal_killed_first_half() {
  removal_killed "MoveFileExW:1:kill-after removal" "MoveFileExW:2:kill-after removal" \
    "MoveFileExW:3:kill-after install" "MoveFileExW:4:kill-after removal" \
    "RegDeleteKeyW:1:kill-after install"
}

scenario_removal_killed_second_half() {
  removal_killed "MoveFileExW:5:kill-after removal" "MoveFileExW:6:kill-after removal" \
    "MoveFileExW:7:kill-after removal" "MoveFileExW:8:kill-after install" \
    "DeleteFileW:2:kill-after removal"
}

# The removal and its recovery judge the platform's whole set by what the
# disk holds, never by a journal's or the record's list alone. One row each,
# on a patched machine:
#   partial-journal  a committed removal journal names one library, put back
#                    by hand: refused (1200 naming the next patched library)
#                    by a removal and by an install, every original kept
#   partial-record   the record names one library: all four go back (1190)
#   repaired         the product put its own libraries back: the record goes
#                    (1190), and an install patches again
#   held             another program has a library loaded: the removal ends
#                    (1190), the aside copy goes at the next start
#   recovered        a removal killed after its commit, finished by the next
#                    removal: 1190, not 1195
scenario_removal_decides_from_disk() {
  local row dir dir64 unix hook64 keyboard64 f
  while read -r row; do
    step "win64: $row"
    installed_machine win64
    dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64
    unix=$(machine_unix_path "$dir") hook64=${dir64}qbnpwm_windows_hook_x64.dll
    keyboard64=${dir64}qbnpwm_keyboard_hook_x64.dll
    machine_run_patch /S
    case $row in
      partial-journal)
        cp "$(machine_unix_path "$hook64").bak" "$(machine_unix_path "$hook64")"
        write_journal "${dir}$JOURNAL_NAME" "removing|$hook64" "removed|$hook64" removal-committing
        machine_run_patch /S
        machine_run_patch /uninstall /S
        expect_log_ends "${dir}patchlog8104.txt" "$(entry en 1200 $OK)" \
          "$(line en 1121 "$keyboard64")" "$(entry en 1200 $OK)" "$(line en 1121 "$keyboard64")"
        expect_report_has "file ${dir}$JOURNAL_NAME" "patch record: present" \
          "$(library "$dir" qbnpwm_windows_hook.dll.bak installed)" \
          "$(library "$dir64" qbnpwm_keyboard_hook_x64.dll.bak installed)"
        continue ;;
      partial-record)
        machine_reg add 'HKLM\Software\Ostrel\Vaultrion\Patch\8104' /v updated \
          /t REG_MULTI_SZ /d qbnpwm_windows_hook_x64.dll /f /reg:32 ;;
      repaired)
        for f in "$hook64" "$keyboard64" "${dir}qbnpwm_windows_hook.dll" "${dir}qbnpwm_keyboard_hook.dll"; do
          cp "$(machine_unix_path "$f").bak" "$(machine_unix_path "$f")"
        done ;;
      held) machine_hold_library "${dir}qbnpwm_windows_hook.dll" ;;
      recovered)
        copy_fault_package
        PATCH8104_FAULT=DeleteFileW:2:kill-after machine_run_patch /uninstall /S
        machine_copy_package ;;
    esac
    machine_run_patch /uninstall /S
    expect_log_ends "${dir}patchlog8104.txt" "$(entry en 1190 $NO)"
    if [[ $row == held ]]; then
      expect_password_manager_running
      expect_report_lacks "$JOURNAL_NAME"
      expect_that "the aside copy goes at the next start" \
        grep -Fqi 'qbnpwm_windows_hook.dll.removed' <(pending_renames)
      machine_release_files
      wine wineboot -r </dev/null >/dev/null 2>&1
      machine_report >"$MACHINE_RUN_DIR/report.txt"
    fi
    expect_original win64
    [[ $row != repaired ]] || { machine_run_patch /S; expect_patched_whole win64; }
  done <<<"partial-journal
partial-record
repaired
held
recovered"
}

# Runs that fail part-way: the payload missing, a target another program
# holds open for itself, the second of four copies failing. Each one
# must leave the product's libraries byte for byte as they were, with no
# backups and no record, so that the next run starts from the same place
# and succeeds. And the runs that follow a success.

# The failed run's report: every library as installed, no record. A run
# refused before it changes anything (prepared) leaves the password manager
# running; one that fails at a copy puts every library back and starts it
# again.
expect_failed_cleanly() {
  expect_exit_code 0
  expect_outcome install 1200
  expect_untouched64
  expect_no_record
  if [[ ${1:-} == prepared ]]; then
    expect_password_manager_running
  else
    expect_password_manager_restarted installed
  fi
  expect_restart_calls
}

# A complete package and a run that succeeds after the failure; the log
# holds both runs, the failed one ending at FAILED_LIBRARY, before (when
# refused in preparing) or after the password manager was stopped (and
# started again, to be stopped once more).
expect_next_run_succeeds() {
  local failed=$1 when=${2:-copying} dir=$MACHINE_PRODUCT_DIR
  local stopped failure=("$(entry en 1200 $OK)" "$(line en 1121 "$failed")")
  stopped=$(line en 1122 "${dir}password_manager.exe")
  machine_copy_package
  machine_run_patch /S
  expect_boxes
  expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" payload installed
  expect_record64
  if [[ $when == prepared ]]; then
    expect_patch_log "${dir}patchlog8104.txt" "${failure[@]}" "$stopped" \
      "$(entry en 1160 $NO)"
  else
    expect_patch_log "${dir}patchlog8104.txt" "$stopped" "${failure[@]}" \
      "$stopped" "$(entry en 1160 $NO)"
  fi
}

scenario_fault_payload_missing() {
  installed_machine win64
  local dir64=$MACHINE_PRODUCT_DIR64
  machine_copy_package --without qbnpwm_windows_hook.dll \
    --without qbnpwm_keyboard_hook.dll --without qbnpwm_windows_hook_x64.dll \
    --without qbnpwm_keyboard_hook_x64.dll
  step "the program alone: refused before the password manager is stopped"
  machine_run_patch --answer $OK
  expect_boxes "$(box en 1200 $OK)"
  expect_failed_cleanly prepared
  step "the next run succeeds"
  expect_next_run_succeeds "${dir64}qbnpwm_windows_hook_x64.dll" prepared
}

scenario_fault_target_held_open() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR
  step "another program holds the third library open, sharing reads only"
  machine_hold_file "${dir}qbnpwm_windows_hook.dll"
  machine_run_patch --answer $OK
  expect_boxes "$(box en 1200 $OK)"
  step "once it lets go, its bytes are those installed"
  machine_release_files
  machine_report >"$MACHINE_RUN_DIR/report.txt"
  expect_failed_cleanly
  step "and the next run succeeds"
  expect_next_run_succeeds "${dir}qbnpwm_windows_hook.dll"
}

scenario_fault_second_of_four_copies() {
  installed_machine win64
  local dir64=$MACHINE_PRODUCT_DIR64
  step "the second library's source is missing: refused before anything moves"
  machine_copy_package --without qbnpwm_keyboard_hook_x64.dll
  machine_run_patch /S
  expect_boxes
  expect_failed_cleanly prepared
  step "the next run succeeds"
  expect_next_run_succeeds "${dir64}qbnpwm_keyboard_hook_x64.dll" prepared
}

scenario_second_run_after_success() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR
  machine_run_patch --answer $NO
  expect_boxes "$(box en 1160 $NO)"
  expect_record64
  step "the second run stops at the record test: before the Windows version test"
  machine_set_windows_version winxp
  machine_run_patch --answer $OK
  expect_boxes "$(box en 1170 $OK)"
  expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" payload installed
  step "a third, silent: the log has one byte-order mark and every entry its 0"
  machine_run_patch /S
  expect_boxes
  expect_report_has "patch log ${dir}patchlog8104.txt: 1 byte-order mark, 4 entries"
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(line en 1122 "${dir}password_manager.exe")" \
    "$(entry en 1160 $NO)" \
    "$(entry en 1170 $OK)" \
    "$(entry en 1170 $OK)"
}

scenario_fault_patch_log_locked() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR log_copy
  machine_set_windows_version vista
  machine_run_patch --answer $OK
  expect_boxes "$(box en 1120 $OK)"
  log_copy=$MACHINE_DIR/.machine/log-before
  cp "$(machine_unix_path "${dir}patchlog8104.txt")" "$log_copy"
  step "another program holds the patch log: its entries are dropped, the patch goes on"
  machine_set_windows_version win7
  machine_hold_file "${dir}patchlog8104.txt"
  machine_run_patch --answer $NO
  machine_release_files
  machine_report >"$MACHINE_RUN_DIR/report.txt"
  expect_exit_code 0
  expect_boxes "$(box en 1160 $NO)"
  expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" payload installed
  expect_record64
  cmp -s "$log_copy" "$(machine_unix_path "${dir}patchlog8104.txt")" ||
    _expect_fail "the held patch log changed"
}

# What a run checks before it stops the password manager or moves a file:
# each library beside the program whole and for its machine, each target
# folder an existing absolute folder from the product's registry. A run
# that fails a check says 1200 and names the target, and changes nothing.
expect_refused_before_stopping() {
  expect_boxes "$(box en 1200 $OK)"
  expect_untouched64
  expect_no_record
  expect_password_manager_running
}

# Names a run must replace or create that it cannot use: refused before the
# password manager is stopped, naming the name, and nothing scheduled for
# the next start but what was there. One row each (HOW NAME):
#   folder     a folder under a backup's, the journal's or the lock's name
#   file       a file where the program copy's folder goes
#   planted    a file the patch does not make, in the program copy's folder
#   at-restart a rename Windows will carry out at its next start names a
#              library or its backup: the restart would undo the patch
#   refused    the lock file cannot be made (access denied, nobody holds
#              it): refused within seconds instead of waited for
scenario_refused_backup_names() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR how name path refusals=() renames
  while read -r how name; do
    step "$how $name"
    path=$(machine_unix_path "$dir")/$name
    case $how in
      folder) mkdir "$path" ;;
      file) echo foreign >"$path" ;;
      planted) mkdir "$path" && echo foreign >"$path/version.dll" ;;
      at-restart) machine_tool at-restart "${dir}$name" ;;
      refused) copy_fault_package ;;
    esac
    renames=$(pending_renames)
    PATCH8104_FAULT=$([[ $how == refused ]] && echo CreateFileW:patch8104.lock:fail) \
      machine_run_patch --answer $OK
    expect_boxes "$(box en 1200 $OK)"
    expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" installed
    expect_password_manager_running
    expect_eq "renames at the next start" "$renames" "$(pending_renames)"
    refusals+=("$(entry en 1200 $OK)" "$(line en 1121 "${dir}$name")")
    expect_patch_log "${dir}patchlog8104.txt" "${refusals[@]}"
    [[ $how == at-restart ]] || rm -rf "$path"
    machine_reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' \
      /v PendingFileRenameOperations /f >/dev/null 2>&1 || true
    machine_copy_package
  done <<EOT
folder qbnpwm_windows_hook.dll.bak
folder qbnpwm_keyboard_hook.dll.bak.old
folder patch8104.journal
folder patch8104.lock
file Patch8104
planted Patch8104
at-restart qbnpwm_keyboard_hook.dll
at-restart qbnpwm_windows_hook.dll.bak
refused patch8104.lock
EOT
}

# A patch log hard-linked to a file elsewhere (product folder, current
# folder): nothing is written through it; the run ends as it would have.
scenario_patch_log_hard_links() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR victim downloads='C:\downloads\'
  victim=$(machine_unix_path 'C:\')/victim.txt
  echo "not the patch's" >"$victim"
  step "the product's patch log linked to a file outside"
  ln "$victim" "$(machine_unix_path "$dir")/patchlog8104.txt"
  machine_run_patch /S
  expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" payload installed
  expect_record64
  expect_eq "the linked file" "not the patch's" "$(cat "$victim")"
  step "not installed: the log of the current folder linked to it"
  machine_reg delete 'HKLM\Software\Ostrel\Vaultrion' /f /reg:32
  machine_reg delete 'HKLM\Software\Ostrel\Vaultrion' /f /reg:64
  mkdir -p "$(machine_unix_path "$downloads")"
  ln "$victim" "$(machine_unix_path "$downloads")/patchlog8104.txt"
  machine_run_patch --answer $OK --cwd "$downloads"
  expect_boxes "$(box en 1180 $OK)"
  expect_eq "the linked file" "not the patch's" "$(cat "$victim")"
}

scenario_refused_shipped_libraries() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR package kind library refusals=()
  package=$(machine_unix_path "$MACHINE_PACKAGE_DIR")
  for kind in truncated empty text other-machine; do
    step "the shipped keyboard hook is $kind"
    machine_copy_package
    library=$package/qbnpwm_keyboard_hook.dll
    case $kind in
      truncated) truncate -s $(($(stat -c %s "$library") / 2)) "$library" ;;
      empty) : >"$library" ;;
      text) echo "qbnpwm_keyboard_hook.dll 8.30.0.12" >"$library" ;;
      other-machine) cp "$package/qbnpwm_keyboard_hook_x64.dll" "$library" ;;
    esac
    machine_run_patch --answer $OK
    expect_refused_before_stopping
    expect_patch_log "${dir}patchlog8104.txt" "${refusals[@]}" \
      "$(entry en 1200 $OK)" "$(line en 1121 "${dir}qbnpwm_keyboard_hook.dll")"
    refusals+=("$(entry en 1200 $OK)" "$(line en 1121 "${dir}qbnpwm_keyboard_hook.dll")")
  done
}

# "InstallPath" values that name no usable folder, the program started in
# another folder than its own (as a distribution tool starts it), where a
# relative value would find a folder of that name: nothing lands there, nor
# in the other view's folder.
scenario_refused_install_paths() {
  local long view value target tool='C:\tool\' logs
  long="C:\\$(printf 'x%.0s' {1..296})\\"
  while IFS='|' read -r view value target; do
    step "InstallPath in the $view-bit view: ${value:0:40}"
    installed_machine win64
    mkdir -p "$(machine_unix_path "$tool")/Vaultrion"
    machine_reg add 'HKLM\Software\Ostrel\Vaultrion' /v InstallPath /t REG_SZ \
      /d "$value" /f "/reg:$view"
    machine_run_patch --answer $OK --cwd "$tool"
    # The registry no longer leads the report to the product's folder.
    machine_report --folder "$MACHINE_PRODUCT_DIR" --folder "$MACHINE_PRODUCT_DIR64" \
      >"$MACHINE_RUN_DIR/report.txt"
    expect_refused_before_stopping
    [[ -z $(find "$(machine_unix_path "$tool")" -iname 'qbnpwm*') ]] ||
      _expect_fail "libraries were copied below $tool"
    # Where the log goes depends on the value; wherever it is, it names
    # the target that was refused.
    logs=$(find "$(machine_unix_path 'C:\')" -name patchlog8104.txt \
      -exec iconv -f UTF-16LE -t UTF-8 {} \;)
    grep -Fq "$(line en 1121 "$target")" <<<"$logs" ||
      _expect_fail "no patch log names $target" "$logs"
  done <<EOT
32||qbnpwm_windows_hook.dll
32|Vaultrion\\|Vaultrion\\qbnpwm_windows_hook.dll
32|$long|qbnpwm_windows_hook.dll
64|$long|qbnpwm_windows_hook_x64.dll
EOT
}

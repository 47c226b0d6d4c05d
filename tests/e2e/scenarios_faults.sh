# Runs that fail part-way: the payload missing, a target another program
# holds open without sharing, the second of four copies failing. Each one
# must leave the product's libraries byte for byte as they were, with no
# backups and no record, so that the next run starts from the same place
# and succeeds. And the runs that follow a success.

# The failed run's report: every library as installed, no record, the
# password manager terminated (the failure comes after it).
expect_failed_cleanly() {
  expect_exit_code 0
  expect_untouched64
  expect_no_record
  expect_password_manager_stopped
  expect_restart_calls
}

# A complete package and a run that succeeds after the failure; the log
# holds both runs, the failed one ending at the copy of FAILED_LIBRARY.
expect_next_run_succeeds() {
  local failed=$1 dir=$MACHINE_PRODUCT_DIR
  machine_copy_package
  machine_run_patch /S
  expect_boxes
  expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" payload installed
  expect_record64
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(line en 1122 "${dir}password_manager.exe")" \
    "$(entry en 1200 $OK)" \
    "$(line en 1121 "$failed")" \
    "$(entry en 1160 $NO)"
}

scenario_fault_payload_missing() {
  installed_machine win64
  local dir64=$MACHINE_PRODUCT_DIR64
  machine_copy_package --without qbnpwm_windows_hook.dll \
    --without qbnpwm_keyboard_hook.dll --without qbnpwm_windows_hook_x64.dll \
    --without qbnpwm_keyboard_hook_x64.dll
  step "the program alone: the patch's version is unreadable, the first copy fails"
  machine_run_patch --answer $OK
  expect_boxes "$(box en 1200 $OK)"
  expect_failed_cleanly
  step "the next run succeeds"
  expect_next_run_succeeds "${dir64}qbnpwm_windows_hook_x64.dll"
}

scenario_fault_target_held_open() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR
  step "another program holds the third library open without sharing it"
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
  step "the second library's source is missing: the first one is put back"
  machine_copy_package --without qbnpwm_keyboard_hook_x64.dll
  machine_run_patch /S
  expect_boxes
  expect_failed_cleanly
  step "the next run succeeds"
  expect_next_run_succeeds "${dir64}qbnpwm_keyboard_hook_x64.dll"
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

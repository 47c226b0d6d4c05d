# The command line and the person at the screen: which command lines are
# silent, what an interactive run shows, and the restart that follows Yes
# (seen in the relay trace of the patch process; Wine restarts nothing).

scenario_silent_switches() {
  installed_machine win64
  machine_reg add 'HKLM\Software\Ostrel\Vaultrion\Patch\8104' /reg:32 /f
  local dir=$MACHINE_PRODUCT_DIR args expected=()
  # A refusal by the record shows one box, or none when silent; the log
  # gets the entry either way, with OK as the answer.
  for args in "/S" "/s" "-S" "-s" "-x /sfoo" "/silent" "/q -Silent" --station; do
    step "silent: $args"
    # shellcheck disable=SC2086
    machine_run_patch --answer $OK $args
    expect_boxes
    expected+=("$(entry en 1170 $OK)")
  done
  for args in "" "/Q" "/x S" "s" "+S"; do
    step "not silent: '$args'"
    # shellcheck disable=SC2086
    machine_run_patch --answer $OK -- $args
    expect_boxes "$(box en 1170 $OK)"
    expected+=("$(entry en 1170 $OK)")
  done
  expect_patch_log "${dir}patchlog8104.txt" "${expected[@]}"
}

scenario_interactive_restart_yes() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR
  step "completed, restart now: Yes"
  machine_run_patch --answer $YES
  expect_exit_code 0
  expect_boxes "$(box en 1160 $YES)"
  expect_record64
  expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" payload installed
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(line en 1122 "${dir}password_manager.exe")" \
    "$(entry en 1160 $YES)"
  step "the restart: ExitWindowsEx with EWX_REBOOT | EWX_FORCEIFHUNG, once; nothing started"
  expect_restart_calls "Call user32.ExitWindowsEx(00000012,00000000)"
  expect_password_manager_stopped
}

scenario_interactive_restart_no() {
  installed_machine win32
  local dir=$MACHINE_PRODUCT_DIR
  step "completed, restart now: No"
  machine_run_patch --answer $NO
  expect_exit_code 0
  expect_boxes "$(box en 1160 $NO)"
  expect_record32
  expect_patched_log "$dir"
  expect_restart_calls
  expect_password_manager_restarted
}

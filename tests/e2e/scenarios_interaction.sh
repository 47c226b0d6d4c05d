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

log_digest() {
  { cat "$1" 2>/dev/null || true; } | md5sum
}

# What a distribution tool reads of a run: the exit code with /ExitCodes,
# and the pre-flight /check, which changes nothing, shows and logs nothing
# and says what a real run would do. A row a run (SWITCHES|EXIT|ACTION|
# OUTCOME), on a machine as the rows before left it; "hold:NAME" rows first
# have another program hold NAME in the product folder open.
scenario_exit_codes_and_preflight() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR switches code action outcome log before held
  log=$(machine_unix_path "${dir}patchlog8104.txt")
  while IFS='|' read -r switches code action outcome; do
    step "$switches: exit code $code, $outcome"
    if [[ $switches == hold:* ]]; then
      held=${switches%% *} switches=${switches#* }
      touch "$(machine_unix_path "$dir")/${held#hold:}"
      machine_hold_file "${dir}${held#hold:}"
    fi
    before=$(log_digest "$log")
    # shellcheck disable=SC2086
    machine_run_patch --answer $NO $switches
    machine_release_files
    expect_exit_code "$code"
    expect_results "$action" "$outcome"
    if [[ $action == check ]]; then
      expect_boxes
      expect_eq "the patch log after a pre-flight" "$before" "$(log_digest "$log")"
      expect_password_manager_running
    fi
  done <<'EOT'
/check|0|check|would change
hold:patch8104.lock /check|1618|check|failed
hold:qbnpwm_windows_hook.dll -CHECK|1603|check|failed
/S /ExitCodes|3010|install|installed
/check|1|check|already installed
-exitcodes /s|0|install|already installed
/uninstall /check|0|check|would change
/S /EXITCODES /uninstall|3010|removal|removed
-check -uninstall|1|check|not installed
/S|0|install|installed
EOT
  step "no product: not applicable"
  machine_for_scenario win32
  machine_copy_package
  machine_run_patch /check
  expect_exit_code 1642
  machine_run_patch /S /ExitCodes
  expect_exit_code 1642
  expect_outcome install 1180
}

# The patch on the Windows it is made for: Windows 7 64-bit (four libraries,
# in one folder or two) and Windows 7 32-bit (two), each run silently as an
# administrator's script would, with the password manager running.

scenario_win7_64_four_libraries() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64
  step "the x64 pair goes to the 64-bit view's folder, the 32-bit pair to the default view's"
  expect_eq "folders differ" "C:\\Program Files (x86)\\Ostrel\\Vaultrion\\ C:\\Program Files\\Ostrel\\Vaultrion\\" "$dir $dir64"
  machine_run_patch /S
  expect_exit_code 0
  expect_boxes
  expect_report_lines libraries64 "$dir" "$dir64" payload installed
  expect_record64
  expect_password_manager_restarted
  expect_patched_log "$dir"
  expect_restart_calls
  step "the 5000 ms pause after the termination"
  expect_run_took_at_least 5
}

scenario_win7_64_no_64bit_install_path() {
  installed_machine win64 --views default
  local dir=$MACHINE_PRODUCT_DIR
  step "without InstallPath in the 64-bit view all four go to the default view's folder"
  expect_eq "one folder" "$dir" "$MACHINE_PRODUCT_DIR64"
  machine_run_patch -s
  expect_boxes
  expect_report_lines libraries64 "$dir" "$dir" payload installed
  expect_report_has "registry 64-bit view Software\\Ostrel\\Vaultrion: absent"
  expect_report_lacks "folder C:\\Program Files\\Ostrel"
  expect_record64
  expect_password_manager_restarted
  expect_patched_log "$dir"
}

scenario_win7_64_only_64bit_view() {
  installed_machine win64 --views 64
  local dir=$MACHINE_PRODUCT_DIR
  step "a product recorded in the 64-bit view alone is found there, and patched there"
  machine_run_patch /s
  expect_boxes
  expect_report_lines libraries64 "$dir" "$dir" payload installed
  step "the record goes to the view a 32-bit program sees, beside no product values"
  expect_report_has "registry 32-bit view Software\\Ostrel\\Vaultrion: Version=(absent) InstallPath=(absent)"
  expect_record64
  expect_patched_log "$dir"
}

scenario_win7_32_two_libraries() {
  installed_machine win32
  local dir=$MACHINE_PRODUCT_DIR
  expect_eq "product folder" "C:\\Program Files\\Ostrel\\Vaultrion\\" "$dir"
  machine_run_patch /S
  expect_exit_code 0
  expect_boxes
  expect_report_lines libraries32 "$dir" payload installed
  expect_report_lacks "${dir}qbnpwm_windows_hook_x64" "${dir}qbnpwm_keyboard_hook_x64"
  expect_record32
  expect_password_manager_restarted
  expect_patched_log "$dir"
  expect_restart_calls
}

scenario_installed_library_without_version() {
  installed_machine win64 --dlls noversion
  local dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64
  step "an installed window hook without a version resource does not stop the patch"
  machine_run_patch /S
  expect_boxes
  expect_report_lines libraries64 "$dir" "$dir64" payload noversion
  expect_record64
  expect_patched_log "$dir"
}

scenario_password_manager_copies() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR
  local other_case="C:\\Program Files (x86)\\Ostrel\\VAULTRION\\password_manager.exe"
  step "a second copy and one started by a path that differs in case only"
  machine_start_password_manager
  machine_start_password_manager "$other_case"
  machine_run_patch /S
  expect_boxes
  expect_record64
  step "the first copy found is stopped and started again; the others run on"
  expect_report_has "process ${dir}password_manager.exe" "process $other_case"
  expect_eq "password managers running" 3 "$(grep -c '^process ' "$MACHINE_RUN_DIR/report.txt")"
  expect_patched_log "$dir"
}

# The password manager's manners, a machine a row: asked to close (from its
# own session by a copy of the patch when it runs in another), ended after
# the wait when it refuses, started again only with its user's token.
scenario_password_manager_manners() {
  local what fault session argument saved starts as_user
  while IFS='|' read -r what fault session argument saved starts; do
    step "$what"
    machine_for_scenario win64
    machine_install_product
    machine_start_password_manager "" "$argument"
    copy_fault_package
    as_user=" token=password_manager.exe desktop=winsta0\\default folder=$MACHINE_PRODUCT_DIR environment=the user's"
    PATCH8104_FAULT=$fault PATCH8104_OTHER_SESSION=$session \
      PATCH8104_CALLS='C:\calls.txt' machine_run_patch /S
    expect_record64
    expect_eq "started as its user" "$starts" \
      "$(noted_calls | grep -F -- "$as_user" | cut -d' ' -f2 | xargs)"
    if [[ $starts == *password_manager.exe ]]; then
      expect_password_manager_restarted payload "$saved"
    else
      expect_password_manager_stopped
      expect_saved_changes "$saved"
    fi
    [[ $argument != /ignore-close ]] || expect_run_took_at_least 10
  done <<'EOT'
refuses, no token of its user: ended after the wait, not started again|OpenProcessToken:1:fail||/ignore-close|0|
closes, started again as its user||||1|password_manager.exe
another session: asked from there by a copy of the patch||1||1|patch8104.exe password_manager.exe
another session, refuses: ended after the wait||1|/ignore-close|0|patch8104.exe password_manager.exe
another session, no token: asked from here as before|OpenProcessToken:1:fail|1||1|
EOT
}

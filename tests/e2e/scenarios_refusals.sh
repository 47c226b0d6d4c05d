# Every check that refuses the patch, each with the message it shows and the
# log entry it leaves, and the order in which the checks are made: a run is
# refused by the first check that fails, whatever the later ones would say.
# The boxes are answered with OK; nothing of the product may change.

# expect_refused_64 ID [SET]: the run showed message ID alone and left the
# product's libraries (as SET) and password manager alone.
expect_refused_64() {
  expect_exit_code 0
  expect_boxes "$(box en "$1" $OK)"
  expect_outcome install "$1"
  expect_untouched64 "${2:-installed}"
  expect_password_manager_running
  expect_restart_calls
}

scenario_refusal_not_installed() {
  machine_for_scenario win64
  machine_copy_package
  local current='C:\users\Public\'
  step "no product: 1180, logged in the current folder"
  machine_run_patch --cwd "$current" --answer $OK
  expect_exit_code 0
  expect_boxes "$(box en 1180 $OK)"
  expect_patch_log "${current}patchlog8104.txt" "$(entry en 1180 $OK)"
  expect_no_file "${MACHINE_PACKAGE_DIR}patchlog8104.txt"
  step "a patch record without the product is still 1180: that check comes first"
  machine_reg add 'HKLM\Software\Ostrel\Vaultrion\Patch\8104' /reg:32 /f
  machine_run_patch --cwd "$current" --answer $OK
  expect_boxes "$(box en 1180 $OK)"
  expect_patch_log "${current}patchlog8104.txt" \
    "$(entry en 1180 $OK)" "$(entry en 1180 $OK)"
  step "a product of major version 7 or later without the policy that says installed"
  machine_install_product --policy none
  machine_run_patch --cwd "$current" --answer $OK
  expect_boxes "$(box en 1180 $OK)"
  # Its folder is still recorded, so the entry lands there.
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" "$(entry en 1180 $OK)"
}

scenario_refusal_record_present() {
  installed_machine win64 --version 9.0
  machine_reg add 'HKLM\Software\Ostrel\Vaultrion\Patch\8104' /reg:32 /f
  machine_set_windows_version winxp
  step "a patch record: 1170, before the Windows and product version checks"
  machine_run_patch --answer $OK
  expect_refused_64 1170
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" "$(entry en 1170 $OK)"
}

scenario_refusal_windows_versions() {
  installed_machine win64 --version 9.0
  local version
  for version in winxp vista win8 win10; do
    step "Windows $version: 1120, before the product version check"
    machine_set_windows_version "$version"
    machine_run_patch --answer $OK
    expect_refused_64 1120
  done
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" \
    "$(entry en 1120 $OK)" "$(entry en 1120 $OK)" \
    "$(entry en 1120 $OK)" "$(entry en 1120 $OK)"
}

scenario_refusal_product_versions() {
  installed_machine win64 --version 8.3.0.1
  step "8.3.0.1 gives the key 83: 1130"
  machine_run_patch --answer $OK
  expect_refused_64 1130
  step "9.0 gives the key 90: 1130"
  machine_install_product --version 9.0
  machine_run_patch --answer $OK
  expect_refused_64 1130
  step "83.0.1.2 gives the key 830 too: the patch goes on"
  machine_install_product --version 83.0.1.2
  machine_run_patch /S
  expect_boxes
  expect_report_lines libraries64 "$MACHINE_PRODUCT_DIR" "$MACHINE_PRODUCT_DIR64" payload installed
  expect_record64
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" \
    "$(entry en 1130 $OK)" "$(entry en 1130 $OK)" \
    "$(line en 1122 "${MACHINE_PRODUCT_DIR}password_manager.exe")" \
    "$(entry en 1160 $NO)"
}

scenario_refusal_same_library_version() {
  installed_machine win64 --dlls payload
  step "the installed window hook is the patch's own version: 1170, nothing touched"
  machine_run_patch --answer $OK
  expect_refused_64 1170 payload
  expect_no_record
  step "with no record written, the next run stops at the same place"
  machine_run_patch /S
  expect_boxes
  expect_untouched64 payload
  expect_no_record
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" \
    "$(entry en 1170 $OK)" "$(entry en 1170 $OK)"
}

# The window hook compared is the one the libraries are replaced in: the x64
# one in the default view's folder when the 64-bit view records none, the
# 32-bit one on 32-bit Windows.
scenario_refusal_same_library_version_one_folder() {
  installed_machine win64 --views default --dlls payload
  machine_run_patch --answer $OK
  expect_refused_64 1170 payload
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" "$(entry en 1170 $OK)"
}

scenario_refusal_same_library_version_win32() {
  installed_machine win32 --dlls payload
  machine_run_patch --answer $OK
  expect_boxes "$(box en 1170 $OK)"
  expect_report_lines libraries32 "$MACHINE_PRODUCT_DIR" payload
  expect_report_lacks ".bak"
  expect_no_record
  expect_password_manager_running
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" "$(entry en 1170 $OK)"
}

scenario_refusal_installed_library_newer() {
  installed_machine win64 --dlls newer
  step "the installed window hook is newer: 1130, nothing touched"
  machine_run_patch --answer $OK
  expect_refused_64 1130 newer
  expect_no_record
  expect_patch_log "${MACHINE_PRODUCT_DIR}patchlog8104.txt" "$(entry en 1130 $OK)"
}

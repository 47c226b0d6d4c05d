# The user's language, which Wine takes from LC_ALL of the patch process:
# the box caption and text, and the log entries in that language. The
# lines 1121 and 1122 exist in English and Simplified Chinese only; in any
# other language they are logged as a bare CR LF.

# language_run LANG: a run refused at the second library (its source is
# missing from the package) before the password manager is stopped, then a
# complete run answered No.
language_run() {
  local lang=$1
  installed_machine win64
  machine_set_language "${LOCALE_OF[$lang]}"
  local dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64
  machine_copy_package --without qbnpwm_keyboard_hook_x64.dll
  step "$lang: the second library is missing"
  machine_run_patch --answer $OK
  expect_boxes "$(box "$lang" 1200 $OK)"
  expect_no_record
  step "$lang: the complete package"
  machine_copy_package
  machine_run_patch --answer $NO
  expect_boxes "$(box "$lang" 1160 $NO)"
  expect_record64
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(entry "$lang" 1200 $OK)" \
    "$(line "$lang" 1121 "${dir64}qbnpwm_keyboard_hook_x64.dll")" \
    "$(line "$lang" 1122 "${dir}password_manager.exe")" \
    "$(entry "$lang" 1160 $NO)"
}

scenario_language_german() {
  language_run de
}

scenario_language_chinese_simplified() {
  language_run zh
}

scenario_language_portuguese_brazil() {
  language_run pt_br
  step "pt_br: the refusals' texts and the caption without blanks"
  machine_run_patch --answer $OK
  expect_boxes "$(box pt_br 1170 $OK)"
  machine_set_windows_version vista
  machine_reg delete 'HKLM\Software\Ostrel\Vaultrion\Patch' /reg:32 /f
  machine_run_patch --answer $OK
  expect_boxes "$(box pt_br 1120 $OK)"
}

scenario_language_english() {
  language_run en
}

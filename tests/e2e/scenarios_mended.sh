# What the program does better than the first design said: a recorded
# folder without its final backslash, the libraries it loads from the
# system folder only (imports and version.dll), so that a DLL planted beside
# it in a download folder is never used by its own code.

scenario_install_path_without_backslash() {
  installed_machine win64 --installpath-without-backslash
  local dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64
  step "InstallPath values without the final backslash"
  machine_run_patch /S --
  expect_report_has \
    "registry 32-bit view Software\\Ostrel\\Vaultrion: Version=8.30.0.1 InstallPath=${dir%\\}" \
    "registry 64-bit view Software\\Ostrel\\Vaultrion: Version=8.30.0.1 InstallPath=${dir64%\\}"
  expect_boxes
  expect_report_lines libraries64 "$dir" "$dir64" payload installed
  expect_record64
  step "nothing lands beside the folder under a run-together name"
  machine_report --folder 'C:\Program Files (x86)\Ostrel\' \
    --folder 'C:\Program Files\Ostrel\' >"$MACHINE_RUN_DIR/report.txt"
  expect_report_lacks "Vaultrionqbnpwm" "Vaultrionpatchlog" "Vaultrionpassword"
  expect_patched_log "$dir"
}

# Windows 7 takes these from the system folder whatever lies beside the
# program (its KnownDLLs, and ntdll, which every process has already).
readonly KNOWN_DLLS=" advapi32.dll comdlg32.dll gdi32.dll imagehlp.dll imm32.dll
  kernel32.dll msvcrt.dll ntdll.dll ole32.dll oleaut32.dll psapi.dll
  rpcrt4.dll setupapi.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll "

scenario_imports_known_dlls_only() {
  machine_for_scenario win64
  machine_copy_package
  step "every DLL the shipped program imports is a KnownDLL"
  local imports name
  imports=$(machine_tool imports "${MACHINE_PACKAGE_DIR}patch8104.exe" | tr -d '\r')
  expect_eq "program imports something" 1 "$([[ -n $imports ]] && echo 1 || echo 0)"
  for name in $imports; do
    name=${name,,}
    [[ $KNOWN_DLLS == *" $name "* ]] ||
      _expect_fail "patch8104.exe imports $name, which Windows 7 looks for beside the program first"
  done
}

# plant_version_dll FOLDER EXE: the planted version.dll beside EXE in
# FOLDER, preferred to the system's as Windows 7 prefers a DLL that is not
# a KnownDLL.
plant_version_dll() {
  cp "$MACHINE_BUILD/tests/e2e/fake_version/version.dll" "$(machine_unix_path "$1")/version.dll"
  machine_app_setting "$2" DllOverrides version native,builtin
}

planted_calls() {
  tr -d '\r' <"$(machine_unix_path "$1")/version_calls.txt" 2>/dev/null || true
}

scenario_planted_version_dll() {
  installed_machine win64 --dlls payload
  local dir=$MACHINE_PRODUCT_DIR package
  package=$MACHINE_PACKAGE_DIR
  step "control: a program that imports version.dll is caught by the planted copy"
  local control='C:\control\'
  mkdir -p "$(machine_unix_path "$control")"
  cp "$MACHINE_BUILD/tests/e2e/machine.exe" "$(machine_unix_path "$control")/"
  plant_version_dll "$control" machine.exe
  wine "${control}machine.exe" report >/dev/null 2>&1 </dev/null
  expect_eq "planted copy's record of the control program" \
    "loaded" "$(planted_calls "$control" | head -n 1)"
  expect_eq "the control program's own calls are seen" 1 \
    "$(planted_calls "$control" | grep -c -m 1 "^called from the program's own code: GetFileVersionInfoSizeW$")"
  step "the patch beside a planted version.dll: loaded by Wine's user32, never called by the patch"
  plant_version_dll "$package" patch8104.exe
  machine_run_patch --answer $OK
  expect_eq "planted copy's record of the patch" "loaded" "$(planted_calls "$package")"
  step "the versions are still read: the installed window hook is the patch's own, 1170"
  expect_boxes "$(box en 1170 $OK)"
  expect_untouched64 payload
  expect_patch_log "${dir}patchlog8104.txt" "$(entry en 1170 $OK)"
}

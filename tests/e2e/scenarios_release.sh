# Releases made by scripts/package from vendor-like libraries (the stand-ins'
# vendor set: 8.30.0.12 with bytes of their own): the release patches a
# machine; the same release with one library altered afterwards changes
# nothing; scripts/package refuses libraries that are not the set; a
# signed release verifies, stops verifying after a byte changed, and
# patches a machine.

RELEASE_ROOT=$(cd "$E2E_DIR/../.." && pwd)
PACKAGE_EXIT=

# The vendor's libraries as an engineer's folder: outside the build tree.
vendor_libraries() {
  e2e_scratch
  mkdir -p "$E2E_SCRATCH/$1"
  cp "$MACHINE_BUILD"/standins/vendor/*.dll "$E2E_SCRATCH/$1/"
}

# package_release LIBRARIES OUT [scripts/package options...]: PACKAGE_EXIT,
# and its output in OUT.stdout and OUT.stderr. The release build folder is
# shared by the scenarios (scripts/package takes it one at a time).
package_release() {
  local libraries=$1 out=$2
  shift 2
  mkdir -p "$(dirname "$out")"
  PACKAGE_EXIT=0
  "$RELEASE_ROOT/scripts/package" --libraries "$libraries" --out "$out" \
    --build "${RELEASE_BUILD:-$MACHINE_BUILD/release-build}" "$@" \
    >"$out.stdout" 2>"$out.stderr" || PACKAGE_EXIT=$?
}

expect_release_made() {
  local out=$1
  expect_eq "exit code of scripts/package" 0 "$PACKAGE_EXIT"
  [[ $PACKAGE_EXIT == 0 ]] || _expect_fail "scripts/package said" "$(cat "$out.stderr")"
  expect_eq "release folder" \
    "SHA256SUMS patch8104.exe qbnpwm_keyboard_hook.dll qbnpwm_keyboard_hook_x64.dll qbnpwm_windows_hook.dll qbnpwm_windows_hook_x64.dll" \
    "$(LC_ALL=C ls "$out" 2>/dev/null | tr '\n' ' ' | sed 's/ $//')"
  (cd "$out" && sha256sum --quiet -c SHA256SUMS) ||
    _expect_fail "sha256sum -c SHA256SUMS in $out"
  i686-w64-mingw32-objdump -s -j .gnu_debuglink "$out/patch8104.exe" |
    grep -q 'patch8104.exe.de' ||
    _expect_fail "the program links no patch8104.exe.debug"
  [[ -s $(dirname "$out")/patch8104.exe.debug ]] ||
    _expect_fail "no debugging information beside $out"
}

expect_package_refused() {
  local out=$1 line=$2
  expect_eq "exit code of scripts/package" 1 "$PACKAGE_EXIT"
  grep -Fxq -- "$line" "$out.stderr" ||
    _expect_fail "refusal missing: $line" "stderr:" "$(cat "$out.stderr")"
  [[ ! -e $out ]] || _expect_fail "a refused release wrote $out"
}

# One byte in the middle of FILE, changed.
change_one_byte() {
  local file=$1 offset old
  offset=$(($(stat -c %s "$file") / 2))
  old=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
  printf "\\x$(printf %02x $((old ^ 1)))" |
    dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

# alter_library FILE HOW: what could lie beside the program after the
# release was made, each unlike the released bytes.
alter_library() {
  local file=$1 name=${1##*/}
  case $2 in
    one-byte) change_one_byte "$file" ;;
    truncated) truncate -s $(($(stat -c %s "$file") / 2)) "$file" ;;
    older) cp "$MACHINE_BUILD/standins/installed-8.30.0.10/$name" "$file" ;;
    # A whole library of the right name and version, but not the vendor's.
    another) cp "$MACHINE_BUILD/standins/payload/$name" "$file" ;;
  esac
}

scenario_release_from_vendor_libraries() {
  vendor_libraries vendor
  local release=$E2E_SCRATCH/dist/patch8104
  step "scripts/package makes the release from the vendor's libraries"
  package_release "$E2E_SCRATCH/vendor" "$release"
  expect_release_made "$release"
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64
  local alteration name how target log=()
  for alteration in "qbnpwm_keyboard_hook.dll one-byte" \
      "qbnpwm_windows_hook_x64.dll truncated" \
      "qbnpwm_keyboard_hook_x64.dll older" "qbnpwm_windows_hook.dll another"; do
    read -r name how <<<"$alteration"
    step "$name $how after the release: refused, nothing changed"
    machine_copy_package --from "$release"
    alter_library "$(machine_unix_path "$MACHINE_PACKAGE_DIR")/$name" "$how"
    machine_run_patch /S
    expect_boxes
    expect_untouched64
    expect_no_record
    expect_password_manager_running
    target=$dir$name
    [[ $name != *_x64.dll ]] || target=$dir64$name
    log+=("$(entry en 1200 $OK)" "$(line en 1121 "$target")")
  done
  step "the release as made patches the machine"
  machine_copy_package --from "$release"
  machine_run_patch /S
  expect_boxes
  expect_report_lines libraries64 "$dir" "$dir64" vendor installed
  expect_record64
  expect_patch_log "${dir}patchlog8104.txt" "${log[@]}" \
    "$(line en 1122 "${dir}password_manager.exe")" "$(entry en 1160 $NO)"
}

scenario_release_signed() {
  vendor_libraries vendor
  local keys=$E2E_SCRATCH/keys release=$E2E_SCRATCH/dist/patch8104
  mkdir -p "$keys"
  printf 'throw-away\n' >"$keys/password"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Patch 8104 test" \
    -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" \
    -out "$keys/cert.pem" 2>/dev/null
  openssl pkcs12 -export -in "$keys/cert.pem" -inkey "$keys/key.pem" \
    -passout "file:$keys/password" -out "$keys/cert.pfx"
  local signing=(--sign "$keys/cert.pfx" --password-file "$keys/password")
  step "a time-stamp server that does not answer: no release"
  package_release "$E2E_SCRATCH/vendor" "$release" "${signing[@]}" \
    --timestamp http://127.0.0.1:9/
  expect_eq "exit code of scripts/package" 1 "$PACKAGE_EXIT"
  [[ ! -e $release ]] || _expect_fail "a release without its time stamp was written"
  step "signed with a throw-away certificate: the signature verifies against it"
  package_release "$E2E_SCRATCH/vendor" "$release" "${signing[@]}"
  expect_release_made "$release"
  osslsigncode verify -in "$release/patch8104.exe" -CAfile "$keys/cert.pem" \
    >"$keys/verify.txt" 2>&1 ||
    _expect_fail "osslsigncode verify" "$(cat "$keys/verify.txt")"
  step "one byte of the program changed: it no longer verifies"
  cp "$release/patch8104.exe" "$keys/changed.exe"
  change_one_byte "$keys/changed.exe"
  if osslsigncode verify -in "$keys/changed.exe" -CAfile "$keys/cert.pem" \
      >/dev/null 2>&1; then
    _expect_fail "a changed program still verifies"
  fi
  step "the signed program patches a 32-bit Windows 7"
  installed_machine win32
  machine_copy_package --from "$release"
  machine_run_patch /S
  expect_boxes
  expect_report_lines libraries32 "$MACHINE_PRODUCT_DIR" vendor installed
  expect_record32
}

scenario_release_package_refusals() {
  local refusal case name reason libraries
  for refusal in "missing|qbnpwm_keyboard_hook.dll|missing" \
      "machine|qbnpwm_windows_hook_x64.dll|machine type x86, must be x64" \
      "version|qbnpwm_keyboard_hook_x64.dll|no version resource"; do
    IFS='|' read -r case name reason <<<"$refusal"
    step "scripts/package with $name: $reason"
    vendor_libraries "$case"
    libraries=$E2E_SCRATCH/$case
    case $case in
      missing) rm "$libraries/$name" ;;
      machine) cp "$libraries/qbnpwm_windows_hook.dll" "$libraries/$name" ;;
      version) cp "$MACHINE_BUILD/standins/noversion/$name" "$libraries/$name" ;;
    esac
    # Refused before anything is built: the build folder stays unmade.
    RELEASE_BUILD=$E2E_SCRATCH/build-$case \
      package_release "$libraries" "$E2E_SCRATCH/out-$case"
    expect_package_refused "$E2E_SCRATCH/out-$case" "refused: $libraries/$name: $reason"
    [[ ! -e $E2E_SCRATCH/build-$case ]] || _expect_fail "a refused release was built"
  done
  step "a release folder that would replace a folder of other files"
  vendor_libraries vendor
  mkdir -p "$E2E_SCRATCH/notes"
  echo keep >"$E2E_SCRATCH/notes/plan.txt"
  RELEASE_BUILD=$E2E_SCRATCH/build-notes \
    package_release "$E2E_SCRATCH/vendor" "$E2E_SCRATCH/notes"
  expect_eq "exit code of scripts/package" 1 "$PACKAGE_EXIT"
  grep -Fxq "refused: $E2E_SCRATCH/notes: exists and is not a release folder; not replaced" \
    "$E2E_SCRATCH/notes.stderr" || _expect_fail "refusal" "$(cat "$E2E_SCRATCH/notes.stderr")"
  expect_eq "the folder's file" keep "$(cat "$E2E_SCRATCH/notes/plan.txt")"
  [[ ! -e $E2E_SCRATCH/build-notes ]] || _expect_fail "a refused release was built"
}

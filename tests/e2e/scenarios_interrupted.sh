# Runs broken at an exact step, and the runs after them. The package holds
# the test build of the program (fault_patch), which ends itself (as
# taskkill /f or a power cut would) or fails one call at the step that
# PATCH8104_FAULT names; then the real program runs again, interactively or
# silently, and must leave the product whole: every library new with its
# .bak holding the installed bytes and the record written, no journal and
# no kept-aside backup left, the log telling what happened.

# The steps of each platform's set, in the order the run takes them:
# each library moved to .bak, each copy under way with the new file still
# empty, each copy done, everything copied but no record yet, the record
# written.
kill_points() {
  local count=$1 call action n
  for call in MoveFileExW:kill-after CopyFileW:kill-empty CopyFileW:kill-after; do
    action=${call#*:}
    for ((n = 1; n <= count; n++)); do
      echo "${call%%:*}:$n:$action"
    done
  done
  echo RegCreateKeyExW:1:kill-before
  echo RegSetValueExW:2:kill-after
}

# The package with the test build in the program's place.
copy_fault_package() {
  machine_copy_package
  cp "$MACHINE_BUILD/tests/e2e/fault_patch/patch8104.exe" \
    "$(machine_unix_path "$MACHINE_PACKAGE_DIR")/patch8104.exe"
}

# The product whole and patched, as one successful run leaves it.
expect_patched_whole() {
  local arch=$1 dir=$MACHINE_PRODUCT_DIR
  if [[ $arch == win64 ]]; then
    expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" payload installed
    expect_record64
  else
    expect_report_lines libraries32 "$dir" payload installed
    expect_record32
  fi
  expect_report_lacks "$JOURNAL_NAME" ".bak.old"
}

readonly JOURNAL_NAME=patch8104.journal

# interrupted ARCH FAULT RECOVERY: a run broken at FAULT, then a run of the
# real program (RECOVERY: interactive or silent).
interrupted() {
  local arch=$1 fault=$2 recovery=$3 dir
  step "$arch: broken at $fault, then a $recovery run"
  installed_machine "$arch"
  dir=$MACHINE_PRODUCT_DIR
  copy_fault_package
  PATCH8104_FAULT=$fault machine_run_patch /S
  [[ $fault == *:kill-* ]] && expect_exit_code 9
  machine_copy_package
  # A kill after the record leaves a complete patch: the next run finds it.
  local answer=$NO id=1160
  [[ $fault == RegSetValueExW:* ]] && answer=$OK id=1170
  if [[ $recovery == interactive ]]; then
    machine_run_patch --answer "$answer"
    expect_boxes "$(box en "$id" "$answer")"
  else
    machine_run_patch /S
    expect_boxes
  fi
  expect_exit_code 0
  expect_patched_whole "$arch"
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(line en 1122 "${dir}password_manager.exe")" "$(entry en "$id" "$answer")"
}

# Every kill point of a set, the next run alternating between interactive
# and silent.
interrupted_table() {
  local arch=$1 count=$2 fault i=0 recovery
  while read -r fault; do
    recovery=silent
    ((i++ % 2)) || recovery=interactive
    interrupted "$arch" "$fault" "$recovery"
  done < <(kill_points "$count")
}

scenario_interrupted_win64() {
  interrupted_table win64 4
}

scenario_interrupted_win32() {
  interrupted_table win32 2
}

# A step that fails rather than ends the run: a backup that cannot be made
# (the move to .bak refused), a copy that reports success but whose bytes
# differ from what was checked. The run stops as for a failed copy, puts
# back what it had replaced, and the next run patches.
scenario_failed_steps() {
  local fault failed dir dir64
  for fault in MoveFileExW:2:fail CopyFileW:3:corrupt MoveFileExW:4:fail; do
    step "win64: $fault"
    installed_machine win64
    dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64
    case ${fault#*:} in
      2:*) failed=${dir64}qbnpwm_keyboard_hook_x64.dll ;;
      3:*) failed=${dir}qbnpwm_windows_hook.dll ;;
      4:*) failed=${dir}qbnpwm_keyboard_hook.dll ;;
    esac
    copy_fault_package
    PATCH8104_FAULT=$fault machine_run_patch --answer $OK
    expect_boxes "$(box en 1200 $OK)"
    expect_untouched64
    expect_no_record
    machine_copy_package
    machine_run_patch /S
    expect_patched_whole win64
    expect_patch_log "${dir}patchlog8104.txt" \
      "$(line en 1122 "${dir}password_manager.exe")" \
      "$(entry en 1200 $OK)" "$(line en 1121 "$failed")" \
      "$(entry en 1160 $NO)"
  done
}

# Two silent runs started together, as a distribution tool that retries
# starts them: one patches, the other waits for it and then finds the
# record. Every .bak holds the installed bytes.
scenario_two_runs_at_once() {
  local round dir a b
  for round in 1 2 3; do
    step "round $round"
    installed_machine win64
    dir=$MACHINE_PRODUCT_DIR
    a=$(machine_unix_path "$MACHINE_PACKAGE_DIR")
    (cd "$a" && wine patch8104.exe /S </dev/null >/dev/null 2>&1) &
    b=$!
    (cd "$a" && wine patch8104.exe /S </dev/null >/dev/null 2>&1)
    wait "$b"
    machine_report >"$MACHINE_DIR/.machine/report-$round.txt"
    MACHINE_RUN_DIR=$MACHINE_DIR/.machine
    cp "$MACHINE_RUN_DIR/report-$round.txt" "$MACHINE_RUN_DIR/report.txt"
    expect_patched_whole win64
    expect_patch_log "${dir}patchlog8104.txt" \
      "$(line en 1122 "${dir}password_manager.exe")" \
      "$(entry en 1160 $NO)" "$(entry en 1170 $OK)"
  done
}

# A roll-back that cannot be completed: the copy of the second library
# fails, and moving the first one's backup back fails too. The journal
# stays, and the next run puts the product back before its checks; when
# that fails as well, it says so (1200, naming the library) and changes
# nothing else, and the run after it mends and patches.
scenario_rollback_that_fails() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR dir64=$MACHINE_PRODUCT_DIR64 first second
  first=${dir64}qbnpwm_windows_hook_x64.dll
  second=${dir64}qbnpwm_keyboard_hook_x64.dll
  copy_fault_package
  step "the second copy fails, the first library cannot be put back"
  PATCH8104_FAULT=CopyFileW:2:fail,MoveFileExW:4:fail machine_run_patch /S
  expect_report_has "file ${dir}$JOURNAL_NAME"
  expect_no_record
  step "the next run cannot put it back either: 1200, nothing else"
  PATCH8104_FAULT=MoveFileExW:1:fail machine_run_patch --answer $OK
  expect_boxes "$(box en 1200 $OK)"
  expect_report_has "file ${dir}$JOURNAL_NAME"
  expect_no_record
  step "the run after it puts the product back and patches"
  machine_copy_package
  machine_run_patch /S
  expect_patched_whole win64
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(line en 1122 "${dir}password_manager.exe")" \
    "$(entry en 1200 $OK)" "$(line en 1121 "$second")" \
    "$(entry en 1200 $OK)" "$(line en 1121 "$first")" \
    "$(entry en 1160 $NO)"
}

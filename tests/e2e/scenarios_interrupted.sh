# Runs broken at an exact step, and the runs after them. The package holds
# the test build of the program (fault_patch), which ends itself (as
# taskkill /f or a power cut would) or fails one call at the step that
# PATCH8104_FAULT names; then the real program runs again, interactively or
# silently, and must leave the product whole: every library new with its
# .bak holding the installed bytes and the record written, no journal and
# no kept-aside backup left, the log telling what happened.

# The steps of each platform's set, in the order the run takes them: each
# library moved to .bak, each copy (the libraries', then the program's for
# the Installed Updates entry) under way with the new file still empty, each
# copy done, everything copied but no entry yet, the entry half written,
# the record written.
readonly RECORD_WRITTEN=RegSetValueExW:16:kill-after
kill_points() {
  local count=$1 call action n last
  for call in MoveFileExW:kill-after copy:kill-empty copy:kill-after; do
    action=${call#*:} last=$count
    [[ $call == MoveFileExW:* ]] || last=$((count + 1))
    for ((n = 1; n <= last; n++)); do
      echo "${call%%:*}:$n:$action"
    done
  done
  echo RegCreateKeyExW:1:kill-before
  echo RegSetValueExW:3:kill-after
  echo "$RECORD_WRITTEN"
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

# utf16_lines END LINE...: UTF-16LE with its mark, END after each line.
utf16_lines() {
  printf '\xff\xfe'
  printf "%s$1" "${@:2}" | iconv -f UTF-8 -t UTF-16LE
}
write_journal() {
  utf16_lines '\r\n' "${@:2}" >"$(machine_unix_path "$1")"
}

# damage_journal PATH garbage|empty|zeros|utf8|lf: as a broken disk may.
damage_journal() {
  local unix lines
  unix=$(machine_unix_path "$1")
  mapfile -t lines < <(iconv -f UTF-16LE -t UTF-8 "$unix" | tr -d '\r' | sed '1s/^\xef\xbb\xbf//')
  case $2 in
    garbage) head -c 300 /dev/urandom | tr -d '\377' >"$unix" ;;
    empty) : >"$unix" ;;
    zeros) head -c 512 /dev/zero >"$unix" ;;
    utf8) printf '%s\r\n' "${lines[@]}" >"$unix" ;;
    lf) utf16_lines '\n' "${lines[@]}" >"$unix" ;;
  esac
}

# interrupted ARCH FAULT RECOVERY [DAMAGE]: a run broken at FAULT (its
# journal then damaged), then a run of the real program (RECOVERY:
# interactive or silent).
interrupted() {
  local arch=$1 fault=$2 recovery=$3 damage=${4:-} dir
  step "$arch: broken at $fault${damage:+, journal $damage}, then a $recovery run"
  installed_machine "$arch"
  dir=$MACHINE_PRODUCT_DIR
  copy_fault_package
  PATCH8104_FAULT=$fault machine_run_patch /S
  [[ $fault == *:kill-* ]] && expect_exit_code 9
  [[ -z $damage ]] || damage_journal "${dir}$JOURNAL_NAME" "$damage"
  # Its user starts the password manager again; recovery stops it politely
  # before it moves a library (not after a kill once recorded: no move).
  machine_start_password_manager
  local stops=("$(line en 1122 "${dir}password_manager.exe")")
  [[ $fault == "$RECORD_WRITTEN" ]] || stops+=("${stops[0]}")
  machine_copy_package
  # A kill after the record leaves a complete patch: the next run finds it.
  local answer=$NO id=1160
  [[ $fault == "$RECORD_WRITTEN" ]] && answer=$OK id=1170
  if [[ $recovery == interactive ]]; then
    machine_run_patch --answer "$answer"
    expect_boxes "$(box en "$id" "$answer")"
  else
    machine_run_patch /S
    expect_boxes
  fi
  expect_exit_code 0
  expect_patched_whole "$arch"
  expect_password_manager_restarted payload "${#stops[@]}"
  expect_patch_log "${dir}patchlog8104.txt" "${stops[@]}" "$(entry en "$id" "$answer")"
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

# An unreadable journal on a half-patched product (one library new, no
# record): the next run mends it from the disk and patches.
scenario_unreadable_journals() {
  local damage
  for damage in garbage empty zeros utf8 lf; do
    interrupted win64 copy:1:kill-after silent "$damage"
  done
}

# Journals naming what no run does, or contradicted by the disk: 1200 naming
# the journal, nothing moved inside or outside the product, journal kept.
scenario_journals_not_followed() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR hook outside='C:\x\qbnpwm_windows_hook.dll'
  local journal lines refusals=() x
  hook=${dir}qbnpwm_windows_hook.dll journal=${dir}$JOURNAL_NAME
  x=$(machine_unix_path 'C:\x')
  mkdir -p "$x" && echo outside | tee "$x/qbnpwm_windows_hook.dll"{,.bak} >/dev/null
  while IFS='#' read -r -a lines; do
    step "journal: ${lines[*]}"
    write_journal "$journal" "${lines[@]}"
    [[ ${lines[*]} != *"backed-up|$hook"* ]] ||
      cp "$MACHINE_BUILD/standins/newer/qbnpwm_windows_hook.dll" \
        "$(machine_unix_path "$hook").bak"
    machine_run_patch --answer $OK
    expect_boxes "$(box en 1200 $OK)"
    expect_report_lines libraries64 "$dir" "$MACHINE_PRODUCT_DIR64" installed
    expect_report_has "file $journal"
    expect_password_manager_running
    expect_eq "the files outside" "outside outside " "$(cat "$x"/* | tr "\n" " ")"
    refusals+=("$(entry en 1200 $OK)" "$(line en 1121 "$journal")")
    expect_patch_log "${dir}patchlog8104.txt" "${refusals[@]}"
    rm -f "$(machine_unix_path "$hook").bak"
  done <<EOT
target|0|0|$outside
target|1|0|$outside#backed-up|$outside
target|0|0|${dir}..\..\..\x\qbnpwm_windows_hook.dll
target|0|0|\\\\?\\$outside
target|1|1|\\\\.\\$outside
target|0|0|$hook
target|1|0|$hook#backed-up|$hook
target|2|0|$hook
target|1|0|$hook#target|1|0|$hook
target|1|0|$hook#delete|$hook
committing#target|1|0|$hook
EOT
}

# A step that fails rather than ends the run: a backup that cannot be made
# (the move to .bak refused), a copy that reports success but whose bytes
# differ from what was checked. The run stops as for a failed copy, puts
# back what it had replaced, and the next run patches.
scenario_failed_steps() {
  local fault failed dir dir64
  for fault in MoveFileExW:2:fail copy:3:corrupt MoveFileExW:4:fail; do
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
      "$(line en 1122 "${dir}password_manager.exe")" "$(entry en 1160 $NO)"
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
    report_of_concurrent_runs "$round"
    expect_patched_whole win64
    expect_patch_log "${dir}patchlog8104.txt" \
      "$(line en 1122 "${dir}password_manager.exe")" \
      "$(entry en 1160 $NO)" "$(entry en 1170 $OK)"
  done
}

# report_of_concurrent_runs ROUND: the report after runs of our own.
report_of_concurrent_runs() {
  MACHINE_RUN_DIR=$MACHINE_DIR/.machine
  machine_report >"$MACHINE_RUN_DIR/report-$1.txt"
  cp "$MACHINE_RUN_DIR/report-$1.txt" "$MACHINE_RUN_DIR/report.txt"
}

# Objects any user may create, named as the lock once was: runs neither
# wait nor fail.
scenario_lock_name_squatted() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR kind
  for kind in mutex event mutex-no-access; do
    step "$kind named Global\\Ostrel.Vaultrion.Patch8104.Run"
    machine_hold_object "$kind" 'Global\Ostrel.Vaultrion.Patch8104.Run'
    machine_run_patch /S
    machine_release_files
    expect_exit_code 0
    expect_patched_whole win64
  done
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(line en 1122 "${dir}password_manager.exe")" "$(entry en 1160 $NO)" \
    "$(entry en 1170 $OK)" "$(entry en 1170 $OK)"
}

# A silent run while another run's restart question waits: 1170 at once.
scenario_silent_run_during_restart_question() {
  installed_machine win64
  local dir=$MACHINE_PRODUCT_DIR package first i
  package=$(machine_unix_path "$MACHINE_PACKAGE_DIR")
  machine_run_patch --answer $NO --box-delay 15000 &
  first=$!
  for ((i = 0; i < 300; i++)); do
    wine reg query 'HKLM\Software\Ostrel\Vaultrion\Patch\8104' /reg:32 \
      </dev/null >/dev/null 2>&1 && break
    sleep 0.1
  done
  step "the restart question is open: a silent run"
  (cd "$package" && timeout 60 wine patch8104.exe /S </dev/null >/dev/null 2>&1)
  wait "$first"
  report_of_concurrent_runs 1
  expect_patched_whole win64
  expect_patch_log "${dir}patchlog8104.txt" \
    "$(line en 1122 "${dir}password_manager.exe")" \
    "$(entry en 1170 $OK)" "$(entry en 1160 $NO)"
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
  # Four backups (moves 1 to 4) before any copy; the roll-back then puts
  # them back, the latest first, so the first library's is move 8.
  PATCH8104_FAULT=copy:2:fail,MoveFileExW:8:fail machine_run_patch /S
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

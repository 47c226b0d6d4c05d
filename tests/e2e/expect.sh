# Expectations of the end-to-end scenarios. Each one checks a fact of the
# last patch run (machine_run_patch) or of the machine, prints what differs,
# and counts the failure; the scenario goes on, so that one run shows every
# difference at once. expect_summary ends the scenario.
#
# scripts/demo checks its run with the same helpers; it sets
# EXPECT_SHOW_PASSES=1 so that every check held is listed too, as "[ok]".

_E2E_FAILURES=0
EXPECT_SHOW_PASSES=${EXPECT_SHOW_PASSES:-0}

_expect_fail() {
  _E2E_FAILURES=$((_E2E_FAILURES + 1))
  if ((EXPECT_SHOW_PASSES)); then
    printf '  [FAILED] %s\n' "$1"
  else
    printf 'FAILED: %s\n' "$1"
  fi
  shift
  local part
  for part in "$@"; do
    printf '%s\n' "$part" | sed 's/^/    /'
  done
}

_expect_pass() {
  ((!EXPECT_SHOW_PASSES)) || printf '  [ok]     %s\n' "$1"
}

expect_failure_count() {
  echo "$_E2E_FAILURES"
}

# What the scenario is doing, in the test's output.
step() {
  printf '== %s\n' "$*"
}

expect_eq() {
  local what=$1 expected=$2 actual=$3
  if [[ $expected == "$actual" ]]; then
    _expect_pass "$what"
  else
    _expect_fail "$what" "expected: $expected" "actual:   $actual"
  fi
}

# expect_that WHAT COMMAND...: COMMAND succeeds.
expect_that() {
  local what=$1
  shift
  if "$@"; then
    _expect_pass "$what"
  else
    _expect_fail "$what"
  fi
}

# file_has_line FILE LINE: FILE holds LINE exactly.
file_has_line() {
  grep -Fxq -- "$2" "$1"
}

expect_exit_code() {
  expect_eq "exit code of patch8104.exe" "${1:-0}" "$MACHINE_EXIT"
}

# The boxes of the last run, exactly and in order ("box: caption | text |
# button"); none at all without arguments.
expect_boxes() {
  local expected actual
  expected=$(printf '%s\n' "$@")
  (($#)) || expected=
  actual=$(machine_boxes)
  [[ $expected == "$actual" ]] ||
    _expect_fail "message boxes" "expected:" "$expected" "actual:" "$actual"
}

# The ExitWindowsEx calls of the last run, as the relay trace shows them.
expect_restart_calls() {
  local expected actual
  expected=$(printf '%s\n' "$@")
  (($#)) || expected=
  actual=$(machine_restart_calls)
  [[ $expected == "$actual" ]] ||
    _expect_fail "restart calls" "expected:" "${expected:-(none)}" \
      "actual:" "${actual:-(none)}"
}

# Lines the report taken after the last run holds, each exactly.
expect_report_has() {
  local line
  for line in "$@"; do
    file_has_line "$MACHINE_RUN_DIR/report.txt" "$line" ||
      _expect_fail "report line missing" "$line" "report:" \
        "$(cat "$MACHINE_RUN_DIR/report.txt")"
  done
}

# Texts no line of that report may contain.
expect_report_lacks() {
  local text
  for text in "$@"; do
    if grep -Fq -- "$text" "$MACHINE_RUN_DIR/report.txt"; then
      _expect_fail "report must not contain: $text" \
        "$(grep -F -- "$text" "$MACHINE_RUN_DIR/report.txt")"
    fi
  done
}

# The patch log's bytes exactly: one byte-order mark, then each entry as
# UTF-16LE with its CR LF and its 0 unit. Entries are given as UTF-8 text
# without the CR LF (shell command substitution would cut its LF).
expect_patch_log() {
  local log=$1
  shift
  local unix expected entry
  unix=$(machine_unix_path "$log") || return
  expected=$MACHINE_DIR/.machine/expected-log
  {
    printf '\xff\xfe'
    for entry in "$@"; do
      printf '%s\r\n' "$entry" | iconv -f UTF-8 -t UTF-16LE
      printf '\0\0'
    done
  } >"$expected"
  if [[ ! -f $unix ]]; then
    _expect_fail "patch log $log is missing"
  elif ! cmp -s "$expected" "$unix"; then
    _expect_fail "patch log $log bytes" "expected:" "$(_expect_show_log "$expected")" \
      "actual:" "$(_expect_show_log "$unix")"
  fi
}

# The log of a patched product whose password manager was stopped, after
# "No" to the restart question (or a silent run), in the product folder $1.
expect_patched_log() {
  expect_outcome install 1160
  expect_patch_log "${1}patchlog8104.txt" \
    "$(line en 1122 "${1}password_manager.exe")" "$(entry en 1160 $NO)"
}

# The patch log as UTF-8 text without its byte-order mark; each entry's
# CR LF and 0 unit are kept. Read as little-endian whether or not the mark
# is there (iconv's "UTF-16" would take a log without one as big-endian).
patch_log_text() {
  iconv -f UTF-16LE -t UTF-8 "$1" 2>/dev/null | sed '1s/^\xef\xbb\xbf//'
}

# expect_log_ends LOG ENTRY...: the patch log's last entries are these.
expect_log_ends() {
  local log=$1 actual
  shift
  actual=$(patch_log_text "$(machine_unix_path "$log")" | tr -d '\r' |
    tr '\0' '\n' | sed '/^$/d' | tail -n $#)
  expect_eq "last entries of $log" "$(printf '%s\n' "$@")" "$actual"
}

# A log made readable: each 0 unit as <NUL>, CR and LF as \r and \n.
_expect_show_log() {
  patch_log_text "$1" | tr '\0\r\n' '\036\035\034' |
    sed 's/\x1c/\\n/g; s/\x1d/\\r/g; s/\x1e/<NUL>\n/g'
  echo
}

expect_no_file() {
  local unix
  unix=$(machine_unix_path "$1") || return
  [[ ! -e $unix ]] || _expect_fail "$1 must not exist"
}

# The last run lasted at least SECONDS (a pause it must make).
expect_run_took_at_least() {
  local took
  took=$(cat "$MACHINE_RUN_DIR/seconds")
  awk -v took="$took" -v least="$1" 'BEGIN { exit !(took >= least) }' ||
    _expect_fail "the run took $took s, less than $1 s"
}

# Ends the scenario: 0 when every expectation held.
expect_summary() {
  if ((_E2E_FAILURES == 0)); then
    echo "== all expectations held"
    return 0
  fi
  echo "== $_E2E_FAILURES expectation(s) failed"
  return 1
}

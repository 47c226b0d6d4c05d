# Simulated Windows machines for running the real patch8104.exe: each
# machine is a private clone of one of the bench's Wine prefixes (64-bit
# Windows 7 with WoW64, or 32-bit Windows 7) on which the product is
# installed, its password manager runs, the package is copied and the patch
# is run as a user would run it, with every message box answered by a helper
# that records what the box said. Source this file; do not run it.
#
#   MACHINE_BUILD=DIR   the build tree (default: build/ of this checkout);
#                       its wine64/ and wine32/ prefixes are the bases,
#                       unless MACHINE_BASE_WIN64 / MACHINE_BASE_WIN32 say
#                       otherwise. Machines live in $MACHINE_BUILD/machines
#                       (or MACHINE_ROOT). DISPLAY must name an X display
#                       (scripts/test and xvfb_start provide one).
#
#   machine_ensure_base win64|win32   make the base prefix if the build has
#                                     none yet (scripts/test makes both);
#                                     its server runs until wine_stop_all
#   machine_new NAME win64|win32      make the machine and make it current
#                                     (exports WINEPREFIX and WINEARCH)
#   machine_install_product [--version 8.30.0.1] [--views both|default|64]
#         [--installpath-without-backslash]
#         [--dlls installed|noversion|newer|payload|none] [--policy 1|none]
#                                     sets MACHINE_PRODUCT_DIR (the folder
#                                     the product model reads: 32-bit
#                                     libraries, password manager, patch
#                                     log) and MACHINE_PRODUCT_DIR64 (x64
#                                     libraries), both Windows paths ending
#                                     in a backslash
#   machine_start_password_manager [WINPATH [ARGUMENT]]
#                                     default: the product folder's copy
#   machine_copy_package [--from DIR] [--to WINDIR] [--without NAME]...
#                                     the package (build/package/, or the
#                                     release folder DIR), less the files
#                                     named, into a folder emptied first
#                                     (default C:\patch8104\); sets
#                                     MACHINE_PACKAGE_DIR
#   machine_set_windows_version winxp|vista|win7|win8|win10
#                                     the version patch8104.exe is told
#   machine_set_language LOCALE       e.g. de_DE.UTF-8, for later patch runs
#                                     (default en_US.UTF-8)
#   machine_app_setting EXE SUBKEY|- NAME VALUE
#                                     HKCU\Software\Wine\AppDefaults\EXE
#   machine_reg ARGUMENTS...          Wine's reg.exe on the machine (64-bit
#                                     on win64: /reg:32 for the view a
#                                     32-bit program sees)
#   machine_hold_file WINPATH         another process opens the file without
#                                     sharing it, until machine_release_files
#   machine_hold_library WINPATH      another process loads the library, as
#                                     above
#   machine_run_patch [--answer BUTTON]... [--box-delay MS] [--lang LOCALE]
#         [--from WINDIR] [--cwd WINDIR] [--station] [--] [ARGUMENTS...]
#                                     runs the package's patch8104.exe (or
#                                     the one in --from) in --cwd (default:
#                                     its own folder); --station runs it
#                                     (in its own folder) on a window
#                                     station nobody sees, as a distribution
#                                     tool's service does; boxes are answered in
#                                     order with the buttons given (1 OK,
#                                     6 Yes, 7 No), a box beyond them with
#                                     No or OK. Afterwards MACHINE_RUN_DIR
#                                     holds boxes.txt, stderr.txt (relay
#                                     trace of ExitWindowsEx), report.txt,
#                                     exit-code and seconds; MACHINE_EXIT is
#                                     the patch's whole Windows exit code
#                                     (from the relay trace). A --box-delay
#                                     leaves each box on screen that long
#                                     before it is answered (screenshots).
#   machine_boxes                     the last run's boxes, one a line:
#                                     "box: caption | text | button"
#   machine_restart_calls             the last run's ExitWindowsEx calls
#   machine_events [STDERR-FILE]      the events the last run reported,
#                                     one a line: "TYPE ID TEXT" (TYPE
#                                     information, warning or error; the
#                                     event's strings joined by " | ")
#   machine_report [--folder WINDIR]... what the machine looks like now
#   machine_tool COMMAND ARGUMENTS... the machine's own tool, run on it
#                                     (tests/tools/machine/machine_main.cpp
#                                     lists its commands); prints UTF-8
#   machine_unix_path WINPATH / machine_windows_path UNIXPATH
#   machine_save FILE                 what makes the machine current, into
#                                     FILE; machine_resume FILE makes it
#                                     current again in another shell (a
#                                     script's next job). Files held stay
#                                     held until machine_dispose.
#   machine_dispose                   end the machine's processes, remove it
#
# Every function returns non-zero (with a message on stderr) when the
# machine could not do what was asked; what the patch did is never an error
# here, it is for the caller to judge.

_MACHINE_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine.sh
source "$_MACHINE_LIB/wine.sh"
# shellcheck source=elapsed.sh
source "$_MACHINE_LIB/elapsed.sh"

MACHINE_BUILD=${MACHINE_BUILD:-$(cd "$_MACHINE_LIB/../.." && pwd)/build}
MACHINE_LANG=${MACHINE_LANG:-en_US.UTF-8}
MACHINE_DIR=
MACHINE_PRODUCT_DIR=
MACHINE_PRODUCT_DIR64=
MACHINE_PACKAGE_DIR=
MACHINE_RUN_DIR=
MACHINE_EXIT=
_MACHINE_RUNS=0
_MACHINE_HOLDERS=()

# Plain assignments, not readonly: the file may be sourced more than once.
_MACHINE_PATCH=patch8104.exe
_MACHINE_RUN_TIMEOUT=120

_machine_fail() {
  echo "machine: $*" >&2
  return 1
}

_machine_need() {
  [[ -n $MACHINE_DIR ]] || _machine_fail "no current machine (machine_new)"
}

machine_windows_path() {
  local path=${1:?machine_windows_path: path required}
  [[ $path == /* ]] || path=$PWD/$path
  printf 'Z:%s\n' "${path//\//\\}"
}

# Drive C: is the machine's own; Z: is the host's root.
machine_unix_path() {
  local path=${1:?machine_unix_path: path required} rest
  rest=${path:2}
  rest=${rest//\\//}
  case ${path:0:2} in
    [Cc]:) printf '%s/drive_c%s\n' "$MACHINE_DIR" "$rest" ;;
    [Zz]:) printf '%s\n' "${rest:-/}" ;;
    *) _machine_fail "no unix path for $path" ;;
  esac
}

machine_tool() {
  _machine_need || return
  wine "$MACHINE_BUILD/tests/e2e/machine.exe" "$@" </dev/null
}

_machine_standins() {
  machine_windows_path "$MACHINE_BUILD/standins"
}

_machine_base() {
  case $1 in
    win64) printf '%s\n' "${MACHINE_BASE_WIN64:-$MACHINE_BUILD/wine64}" ;;
    win32) printf '%s\n' "${MACHINE_BASE_WIN32:-$MACHINE_BUILD/wine32}" ;;
    *) _machine_fail "unknown machine kind '$1' (win64 or win32)" ;;
  esac
}

machine_ensure_base() {
  local arch=${1:?machine_ensure_base: win64 or win32} base
  base=$(_machine_base "$arch") || return
  [[ -f $base/system.reg ]] && return 0
  # The desktop process a new prefix leaves running keeps the display it
  # started with: without one, no box could ever appear on a machine.
  [[ -n ${DISPLAY:-} ]] || { _machine_fail "set DISPLAY before making $base"; return; }
  # Leaves WINEPREFIX alone: machine_new sets it for the machine.
  (wine_make_prefix "$base" "$arch") || return
  # The subshell's server list is lost with it; record the server here.
  wine_start_server "$base"
}

machine_new() {
  local name=${1:?machine_new: name required} arch=${2:?machine_new: win64 or win32}
  local base
  base=$(_machine_base "$arch") || return
  [[ -f $MACHINE_BUILD/tests/e2e/machine.exe ]] ||
    { _machine_fail "$MACHINE_BUILD has no machine tool (build it first)"; return; }
  [[ -z $MACHINE_DIR ]] || machine_dispose
  local dir=${MACHINE_ROOT:-$MACHINE_BUILD/machines}/$name
  wine_clone_prefix "$base" "$dir" || return
  MACHINE_DIR=$dir
  _MACHINE_RUNS=0
  MACHINE_PRODUCT_DIR='' MACHINE_PRODUCT_DIR64='' MACHINE_PACKAGE_DIR=''
  mkdir -p "$MACHINE_DIR/.machine"
  wine_use_prefix "$MACHINE_DIR" "$arch" || return
  wine_start_server "$MACHINE_DIR" || return
  machine_tool prepare
}

machine_install_product() {
  _machine_need || return
  local output line
  output=$(machine_tool install-product --standins "$(_machine_standins)" "$@") ||
    { _machine_fail "the product could not be installed"; return; }
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
      folder=*) MACHINE_PRODUCT_DIR=${line#folder=} ;;
      folder64=*) MACHINE_PRODUCT_DIR64=${line#folder64=} ;;
    esac
  done <<<"$output"
}

machine_start_password_manager() {
  _machine_need || return
  local path=${1:-${MACHINE_PRODUCT_DIR}password_manager.exe}
  machine_tool start "$path" ${2:+"$2"} >/dev/null ||
    _machine_fail "could not start $path"
}

machine_copy_package() {
  _machine_need || return
  local from=$MACHINE_BUILD/package to='C:\patch8104\' without=() file name skip
  while (($#)); do
    case $1 in
      --from) from=$2; shift 2 ;;
      --to) to=$2; shift 2 ;;
      --without) without+=("$2"); shift 2 ;;
      *) _machine_fail "machine_copy_package: unknown option $1"; return ;;
    esac
  done
  [[ $to == *\\ ]] || to+='\'
  [[ -d $from ]] || { _machine_fail "no package in $from"; return; }
  local target
  target=$(machine_unix_path "$to") || return
  # The folder holds the package and nothing else, as when it was unpacked.
  rm -rf "$target"
  mkdir -p "$target"
  for file in "$from"/*; do
    name=${file##*/}
    for skip in "${without[@]}"; do
      [[ $name == "$skip" ]] && continue 2
    done
    cp "$file" "$target/$name" || return
  done
  MACHINE_PACKAGE_DIR=$to
}

machine_app_setting() {
  _machine_need || return
  machine_tool app-setting "$@" ||
    _machine_fail "could not write the setting $3 for $1"
}

machine_reg() {
  _machine_need || return
  wine reg "$@" </dev/null >/dev/null 2>&1 || _machine_fail "reg $* failed"
}

machine_set_windows_version() {
  machine_app_setting "$_MACHINE_PATCH" - Version "${1:?machine_set_windows_version: version required}"
}

machine_set_language() {
  MACHINE_LANG=${1:?machine_set_language: locale required}
}

machine_hold_file() {
  _machine_hold hold-file "${1:?machine_hold_file: Windows path required}"
}

# machine_hold_library PATH: another program has the library loaded.
machine_hold_library() {
  _machine_hold hold-library "${1:?machine_hold_library: Windows path required}"
}

# machine_hold_object mutex|event|mutex-no-access NAME: another program
# holds a named object, as any user may make one.
machine_hold_object() {
  _machine_hold hold-object "${1:?machine_hold_object: kind required}" \
    "${2:?machine_hold_object: name required}"
}

# _machine_hold COMMAND ARGS...: the machine tool holds what ARGS name until
# machine_release_files.
_machine_hold() {
  _machine_need || return
  local n=${#_MACHINE_HOLDERS[@]}
  local ready=$MACHINE_DIR/.machine/held-$n stop=$MACHINE_DIR/.machine/release-$n
  rm -f "$ready" "$stop"
  machine_tool "$@" "$(machine_windows_path "$ready")" \
    "$(machine_windows_path "$stop")" >/dev/null 2>&1 &
  _MACHINE_HOLDERS+=("$!:$stop")
  local i
  for ((i = 0; i < 300; i++)); do
    if [[ -s $ready ]]; then
      grep -q '^held' "$ready" && return 0
      _machine_fail "could not hold ${*: -1}: $(cat "$ready")"
      return
    fi
    sleep 0.05
  done
  _machine_fail "the holder of ${*: -1} did not start"
}

machine_release_files() {
  local holder
  for holder in "${_MACHINE_HOLDERS[@]}"; do
    touch "${holder#*:}"
  done
  for holder in "${_MACHINE_HOLDERS[@]}"; do
    wait "${holder%%:*}" 2>/dev/null || true
  done
  _MACHINE_HOLDERS=()
}

machine_run_patch() {
  _machine_need || return
  local answers=() delay=0 lang=$MACHINE_LANG from=$MACHINE_PACKAGE_DIR cwd=
  local station=0
  while (($#)); do
    case $1 in
      --station) station=1; shift ;;
      --answer) answers+=(--answer "$2"); shift 2 ;;
      --box-delay) delay=$2; shift 2 ;;
      --lang) lang=$2; shift 2 ;;
      --from) from=$2; shift 2 ;;
      --cwd) cwd=$2; shift 2 ;;
      --) shift; break ;;
      *) break ;;
    esac
  done
  [[ -n $from ]] || { _machine_fail "no package copied (machine_copy_package)"; return; }
  [[ $from == *\\ ]] || from+='\'
  cwd=${cwd:-$from}

  local workdir
  workdir=$(machine_unix_path "$cwd") || return
  local program=("$from$_MACHINE_PATCH" "$@")
  ((!station)) || program=("$MACHINE_BUILD/tests/e2e/machine.exe" run-on-station "$from$_MACHINE_PATCH" "$*")

  _MACHINE_RUNS=$((_MACHINE_RUNS + 1))
  local run=$MACHINE_DIR/.machine/run-$_MACHINE_RUNS
  mkdir -p "$run"
  : >"$run/boxes.txt"
  machine_tool answer-boxes "$(machine_windows_path "$run/boxes.txt")" \
    "$(machine_windows_path "$run/stop")" "${answers[@]}" --delay "$delay" \
    >"$run/answerer.txt" 2>&1 &
  local answerer=$! started
  started=$(now_us)
  # The user language and the relay trace are the patch process's alone:
  # Wine takes the language from LC_ALL of the process it starts, and a
  # child would inherit neither from a Windows parent.
  MACHINE_EXIT=0
  (cd "$workdir" &&
    LC_ALL=$lang WINEDEBUG=-all,+relay,+eventlog,fixme+advapi \
      timeout -k 5 "$_MACHINE_RUN_TIMEOUT" wine "${program[@]}" \
      </dev/null >"$run/stdout.txt" 2>"$run/stderr.txt") || MACHINE_EXIT=$?
  MACHINE_EXIT=$(_machine_windows_exit_code "$run/stderr.txt" "$MACHINE_EXIT")
  echo "$MACHINE_EXIT" >"$run/exit-code"
  touch "$run/stop"
  wait "$answerer" || { _machine_fail "the box answerer failed: $(cat "$run/answerer.txt")"; return; }
  seconds_text "$(elapsed_us "$started")" 2 >"$run/seconds"
  echo >>"$run/seconds"
  MACHINE_RUN_DIR=$run
  # Taken while nothing else changes the machine: what the run left.
  machine_report --folder "$cwd" >"$run/report.txt"
}

# _machine_windows_exit_code TRACE FALLBACK: Wine hands Linux only the low
# byte of a Windows exit code (3010 arrives as 194); the relay trace has the
# whole code the patch's main thread (the trace's first) passed to
# ExitProcess. FALLBACK for a process that ended otherwise.
_machine_windows_exit_code() {
  local thread code
  thread=$(grep -a -m 1 -o '^[0-9a-f]*:' "$1" || true)
  code=$(grep -a -o "^${thread:-none}Call KERNEL32\.ExitProcess([0-9a-f]*)" "$1" |
    tail -n 1 | sed 's/.*(\(.*\))/\1/')
  if [[ -n $code ]]; then echo $((16#$code)); else echo "$2"; fi
}

machine_boxes() {
  [[ -n $MACHINE_RUN_DIR ]] || { _machine_fail "no patch run yet"; return; }
  tr -d '\r' <"$MACHINE_RUN_DIR/boxes.txt"
}

machine_restart_calls() {
  [[ -n $MACHINE_RUN_DIR ]] || { _machine_fail "no patch run yet"; return; }
  grep -a -o 'Call user32\.ExitWindowsEx([0-9a-f,]*)' "$MACHINE_RUN_DIR/stderr.txt" || true
}

# Wine stores no event, but traces each ReportEventW call: its type and ID
# on the advapi channel, then each string (err: for an error, warn: for a
# warning, trace: otherwise) as a C string, \xxxx for each character beyond
# ASCII, cut short with "..." after a few hundred.
machine_events() {
  local trace=${1:-${MACHINE_RUN_DIR:+$MACHINE_RUN_DIR/stderr.txt}}
  [[ -n $trace ]] || { _machine_fail "no patch run yet"; return; }
  perl -CO -ne '
    BEGIN { %name = (1, "error", 2, "warning", 4, "information") }
    sub flush { print "$type $id $text\n" if defined $type; undef $type }
    s/\r//g;
    if (/fixme:advapi:ReportEventW \(([^)]*)\)/) {
      flush();
      my @field = split /,/, $1;
      $type = $name{hex $field[1]} // "type-$field[1]";
      $id = hex($field[3]) & 0xffff;
      $text = "";
    } elsif (defined $type && /:eventlog:ReportEventW L"(.*)"(?:\.\.\.)?$/) {
      (my $string = $1) =~ s/\\(\\|"|[nrt]|[0-9a-f]{4})/
        length($1) == 4 ? chr(hex $1) : $1 =~ m{[nrt]} ? " " : $1/gex;
      $string =~ s/  +/ /g;
      $text .= ($text eq "" || $string eq "" ? "" : " | ") . $string;
    }
    END { flush() }' "$trace"
}

machine_save() {
  _machine_need || return
  local name
  for name in MACHINE_DIR MACHINE_PRODUCT_DIR MACHINE_PRODUCT_DIR64 \
      MACHINE_PACKAGE_DIR _MACHINE_RUNS WINEARCH; do
    printf '%s=%q\n' "$name" "${!name}"
  done >"${1:?machine_save: file required}"
}

machine_resume() {
  # shellcheck disable=SC1090
  source "${1:?machine_resume: file required}" || return
  wine_use_prefix "$MACHINE_DIR" "$WINEARCH" && wine_start_server "$MACHINE_DIR"
}

machine_report() {
  _machine_need || return
  local folders=()
  [[ -n $MACHINE_PACKAGE_DIR ]] && folders+=(--folder "$MACHINE_PACKAGE_DIR")
  machine_tool report --standins "$(_machine_standins)" "${folders[@]}" "$@" |
    tr -d '\r'
}

machine_dispose() {
  [[ -n $MACHINE_DIR ]] || return 0
  machine_release_files
  # Ends every process still running on the machine with its server.
  wine_stop_server "$MACHINE_DIR"
  rm -rf "$MACHINE_DIR"
  MACHINE_DIR=
}

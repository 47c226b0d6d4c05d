# Wine prefix, wineserver and Xvfb helpers. Source this file; do not run it.
#
#   wine_make_prefix DIR [win64|win32]   new prefix in DIR (absolute or not),
#                                        exported as WINEPREFIX/WINEARCH; its
#                                        server stays up until stopped
#   wine_use_prefix DIR [win64|win32]    export WINEPREFIX/WINEARCH for DIR
#   wine_start_server [DIR]              persistent wineserver for DIR
#   wine_stop_server [DIR]               end it (and any Wine process in DIR)
#   wine_stop_all                        end every server started here
#   wine_clone_prefix BASE CLONE         CLONE becomes a private copy of the
#                                        prefix BASE (whose server must have
#                                        written its registry to disk)
#   xvfb_start                           detached Xvfb on a free display;
#                                        exports DISPLAY
#   xvfb_stop
#
# Every function defaults DIR to the current WINEPREFIX.

export WINEDEBUG=${WINEDEBUG:--all}

# Wine needs a home directory; CI shells and `sudo -i` variants may not have
# one set.
if [[ -z ${HOME:-} ]]; then
  HOME=$(getent passwd "$(id -u)" | cut -d: -f6 || true)
  export HOME=${HOME:-/tmp}
fi

_WINE_SERVERS=()
_XVFB_PID=

_wine_abs() {
  local dir=$1
  [[ $dir == /* ]] || dir=$PWD/$dir
  printf '%s\n' "$dir"
}

wine_use_prefix() {
  local dir arch=${2:-win64}
  dir=$(_wine_abs "${1:?wine_use_prefix: prefix directory required}")
  case $arch in
    win32|win64) ;;
    *) echo "wine: unknown prefix arch '$arch'" >&2; return 1 ;;
  esac
  export WINEPREFIX=$dir WINEARCH=$arch
}

wine_start_server() {
  local dir
  dir=$(_wine_abs "${1:-${WINEPREFIX:?wine_start_server: no prefix}}")
  mkdir -p "$dir"
  # Left attached to our stdout the daemonised server keeps the pipe open and
  # a caller like $(...) or ctest's log capture never sees end of file.
  # Exit status 2: a server already runs for this prefix; reuse it.
  local rc=0
  WINEPREFIX=$dir wineserver -p </dev/null >/dev/null 2>&1 || rc=$?
  if ((rc != 0 && rc != 2)); then
    echo "wine: wineserver failed to start for $dir (status $rc)" >&2
    return 1
  fi
  local s
  for s in "${_WINE_SERVERS[@]}"; do [[ $s == "$dir" ]] && return 0; done
  _WINE_SERVERS+=("$dir")
}

wine_stop_server() {
  local dir
  dir=$(_wine_abs "${1:-${WINEPREFIX:?wine_stop_server: no prefix}}")
  # -k ends the server together with every Wine process still in the prefix,
  # so a hung test program cannot outlive the run. -w then waits for it to go.
  WINEPREFIX=$dir wineserver -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$dir wineserver -w </dev/null >/dev/null 2>&1 || true
  local keep=() s
  for s in "${_WINE_SERVERS[@]}"; do [[ $s == "$dir" ]] || keep+=("$s"); done
  _WINE_SERVERS=("${keep[@]}")
}

wine_stop_all() {
  local s
  for s in "${_WINE_SERVERS[@]}"; do
    WINEPREFIX=$s wineserver -k </dev/null >/dev/null 2>&1 || true
  done
  for s in "${_WINE_SERVERS[@]}"; do
    WINEPREFIX=$s wineserver -w </dev/null >/dev/null 2>&1 || true
  done
  _WINE_SERVERS=()
}

wine_clone_prefix() {
  local base clone hive
  base=$(_wine_abs "${1:?wine_clone_prefix: base prefix required}")
  clone=$(_wine_abs "${2:?wine_clone_prefix: clone directory required}")
  if [[ ! -f $base/system.reg ]]; then
    echo "wine: $base is not a prefix" >&2
    return 1
  fi
  rm -rf "$clone"
  mkdir -p "$(dirname "$clone")"
  # System files are shared as hard links (Wine replaces, never rewrites,
  # them); the registry files are real copies so that changes stay private.
  cp -al "$base" "$clone"
  for hive in system.reg user.reg userdef.reg; do
    if [[ -f $base/$hive ]]; then
      cp --remove-destination "$base/$hive" "$clone/$hive"
    fi
  done
  rm -f "$clone/wineserver"
}

wine_make_prefix() {
  local dir=${1:?wine_make_prefix: prefix directory required} arch=${2:-win64}
  wine_use_prefix "$dir" "$arch" || return 1
  dir=$WINEPREFIX

  # Wine refuses a prefix owned by another user (e.g. left by a sudo run).
  if [[ -e $dir && ! -O $dir ]]; then
    rm -rf "$dir"
  fi
  if [[ -e $dir/system.reg ]]; then
    echo "wine: $dir is already a prefix" >&2
    return 1
  fi
  mkdir -p "$dir"

  # The server comes first: a wineboot-started one would be the short-lived
  # kind, and a second `wineserver -p` beside it would just exit.
  wine_start_server "$dir"

  # Mono and Gecko cannot be downloaded here and would only slow the boot;
  # winemenubuilder would write menu entries into the real home. A stub HOME
  # keeps the prefix's Documents/Desktop real folders instead of links into
  # the user's home, so tests cannot touch files outside the prefix.
  local log=$dir/wineboot.log
  if ! HOME=$dir/.home-stub \
       WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
       wineboot -i </dev/null >"$log" 2>&1; then
    echo "wine: wineboot failed for $dir" >&2
    cat "$log" >&2
    return 1
  fi

  # A crashing program must end instead of waiting behind winedbg's dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
    /d 0 /f </dev/null >>"$log" 2>&1 || {
      echo "wine: could not configure $dir" >&2; cat "$log" >&2; return 1; }

  # The server keeps the registry in memory and writes it out only now and
  # then. Isolated tests clone the prefix from disk, so restart the server
  # once: its exit writes the complete registry (with the 32-bit view's
  # redirection) that every clone then starts from.
  wine_stop_server "$dir"
  wine_start_server "$dir"
  # Bring the prefix's own processes (services, the desktop on our display)
  # up again now, in one process, rather than in whichever tests start first
  # side by side; left to them, a test program was seen to hang at exit.
  HOME=$dir/.home-stub \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    wineboot </dev/null >>"$log" 2>&1 || {
      echo "wine: restart of $dir failed" >&2; cat "$log" >&2; return 1; }
}

xvfb_start() {
  [[ -n $_XVFB_PID ]] && return 0
  local fdfile n i
  fdfile=$(mktemp)
  # -displayfd lets Xvfb pick a free display itself and report it once it
  # accepts connections, which avoids racing other Xvfb instances.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$fdfile" </dev/null >/dev/null 2>&1 &
  _XVFB_PID=$!
  for ((i = 0; i < 100; i++)); do
    n=$(tr -dc 0-9 <"$fdfile")
    [[ -n $n ]] && break
    if ! kill -0 "$_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  rm -f "$fdfile"
  if [[ -z $n ]]; then
    echo "xvfb: did not start" >&2
    xvfb_stop
    return 1
  fi
  export DISPLAY=:$n
}

xvfb_stop() {
  [[ -n $_XVFB_PID ]] || return 0
  kill "$_XVFB_PID" 2>/dev/null || true
  wait "$_XVFB_PID" 2>/dev/null || true
  _XVFB_PID=
  unset DISPLAY
}

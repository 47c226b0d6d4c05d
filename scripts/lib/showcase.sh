# What scripts/demo, scripts/gallery and scripts/bench share: a build that
# is up to date, the base Wine prefix their machines are cloned from, an X
# display of their own, and patch runs whose message boxes are
# photographed. Source this file; do not run it.
#
#   showcase_prepare [--no-build] [--windows win64|win32]... [TARGET...]
#                                     installs what is missing, brings the
#                                     package, the machine tool and the
#                                     TARGETs of build/ (or SHOWCASE_BUILD)
#                                     up to date, configuring it the first
#                                     time, starts an Xvfb and makes its
#                                     wine64/ prefix (or those --windows
#                                     names) when it is missing;
#                                     --no-build takes the computer,
#                                     MACHINE_BUILD and MACHINE_BASE_WIN64
#                                     (or build/) as they are, as the test
#                                     suite does. Exports MACHINE_BUILD.
#   showcase_cleanup                  disposes of the machine and stops
#                                     everything showcase_prepare started
#   showcase_new_machine NAME [win64|win32]
#                                     machine_new, with Wine's fonts for
#                                     the screenshots
#   showcase_run_patch DIR STEM [machine_run_patch arguments...]
#                                     one patch run (scripts/lib/machine.sh)
#                                     with each box photographed before it
#                                     is answered: DIR/STEM-1.png and on,
#                                     one per box, listed in
#                                     SHOWCASE_SHOTS
#   showcase_step TEXT / showcase_note TEXT
#                                     progress lines, on stderr

_SHOWCASE_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SHOWCASE_ROOT=$(cd "$_SHOWCASE_LIB/../.." && pwd)
# shellcheck source=machine.sh
source "$_SHOWCASE_LIB/machine.sh"
# shellcheck source=screenshot.sh
source "$_SHOWCASE_LIB/screenshot.sh"

# Long enough for the screenshot watcher to see the box, let it draw
# (SCREENSHOT_SETTLE) and take it.
SHOWCASE_BOX_DELAY_MS=${SHOWCASE_BOX_DELAY_MS:-800}
SHOWCASE_SHOTS=()

# The median of whole numbers (of an even count, the mean of the middle two).
showcase_median() {
  printf '%s\n' "$@" | sort -n |
    awk '{v[NR] = $1} END {print int((v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2)}'
}

showcase_step() { printf '== %s\n' "$*" >&2; }
showcase_note() { printf '   %s\n' "$*" >&2; }

showcase_fail() {
  echo "${0##*/}: $*" >&2
  return 1
}

# Configured as scripts/test configures it, so that either may build after
# the other; built incrementally, so an up-to-date tree costs seconds.
_showcase_build() {
  local build=${SHOWCASE_BUILD:-$SHOWCASE_ROOT/build} log target targets=()
  for target in package machine "$@"; do
    targets+=(--target "$target")
  done
  mkdir -p "$build"
  log=$build/showcase-build.log
  showcase_step "building $build (log: $log)"
  {
    if [[ ! -f $build/CMakeCache.txt ]]; then
      cmake -S "$SHOWCASE_ROOT" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$SHOWCASE_ROOT/cmake/mingw-w64-i686.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$build" -j "${JOBS:-2}" "${targets[@]}"
  } >"$log" 2>&1 || {
    tail -n 30 "$log" >&2
    showcase_fail "the build failed (see $log)"
    return
  }
  MACHINE_BUILD=$build
}

# The machines' base: made once with the Xvfb of this run up (the desktop
# process of a new prefix keeps the display it started with), then its
# server is stopped, which also puts its whole registry on disk for clones.
_showcase_base_prefix() {
  local arch=$1 base
  base=$(_machine_base "$arch") || return
  [[ -f $base/system.reg ]] && return 0
  showcase_step "making the base Wine prefix $base (once)"
  wine_make_prefix "$base" "$arch" || return
  wine_stop_server "$base"
}

showcase_prepare() {
  local build=1 arches=() arch
  while (($#)); do
    case $1 in
      --no-build) build=0; shift ;;
      --windows) arches+=("${2:?}"); shift 2 ;;
      *) break ;;
    esac
  done
  # Only our own Xvfb and the machines' registries steer Wine.
  unset DISPLAY WINEDLLOVERRIDES WINEPREFIX WINEARCH WINELOADER WINESERVER
  export WINEDEBUG=-all
  if ((build)); then
    "$SHOWCASE_ROOT/scripts/setup" || return
    _showcase_build "$@" || return
  else
    MACHINE_BUILD=${MACHINE_BUILD:-${SHOWCASE_BUILD:-$SHOWCASE_ROOT/build}}
  fi
  export MACHINE_BUILD
  [[ -f $MACHINE_BUILD/package/patch8104.exe ]] ||
    { showcase_fail "$MACHINE_BUILD has no package"; return; }
  xvfb_start || return
  for arch in "${arches[@]:-win64}"; do
    _showcase_base_prefix "$arch" || return
  done
}

# Every step runs whatever the one before did: a machine left running would
# keep the caller's output open through its Wine server.
showcase_cleanup() {
  screenshot_watch_stop || true
  machine_dispose || true
  wine_stop_all || true
  xvfb_stop || true
}

showcase_new_machine() {
  machine_new "${1:?showcase_new_machine: name required}" "${2:-win64}" &&
    screenshot_prepare_prefix "$MACHINE_DIR"
}

showcase_run_patch() {
  local dir=${1:?showcase_run_patch: folder required}
  local stem=${2:?showcase_run_patch: name required}
  shift 2
  local shot n=0 rc=0
  SHOWCASE_SHOTS=()
  screenshot_watch_start patch8104.exe "$dir/.watch"
  machine_run_patch --box-delay "$SHOWCASE_BOX_DELAY_MS" "$@" || rc=$?
  screenshot_watch_stop
  for shot in "${SCREENSHOT_FILES[@]}"; do
    n=$((n + 1))
    mv -f "$shot" "$dir/$stem-$n.png"
    SHOWCASE_SHOTS+=("$dir/$stem-$n.png")
  done
  rmdir "$dir/.watch" 2>/dev/null || true
  return "$rc"
}

# Screenshots of Wine windows on the X display named by DISPLAY (an Xvfb
# of xvfb_start). Source this file; do not run it. Needs ImageMagick and
# xwininfo (scripts/setup installs both).
#
#   screenshot_prepare_prefix [DIR]      gives the prefix Wine's own fonts,
#                                        so boxes look as on Windows
#   screenshot_windows CLASS             ids of the visible top-level
#                                        windows of the program CLASS (its
#                                        file name, e.g. patch8104.exe)
#   screenshot_titled TITLE              ids of the visible top-level
#                                        windows whose title is TITLE
#   screenshot_window ID OUT.png         one window, cropped to its frame
#   screenshot_root OUT.png              the whole screen
#   screenshot_watch_start CLASS DIR     from now on, every new window of
#                                        CLASS is saved as DIR/box-N.png
#                                        (N from 1) as soon as it has drawn
#   screenshot_watch_stop                ends the watch; the files taken are
#                                        in SCREENSHOT_FILES, in order
#   screenshot_has_text PNG              true when the message area of a
#                                        box screenshot holds visible text
#
# Wine draws a window's caption and frame itself only where no window
# manager does; Xvfb has none, so the program must run with the X11 driver
# setting Managed=N (scripts/lib/machine.sh sets it for patch8104.exe) or
# its screenshots have no caption.

# How long a new window is given to draw before it is taken; the box must
# stay up at least this long (machine_run_patch --box-delay).
SCREENSHOT_SETTLE=${SCREENSHOT_SETTLE:-0.3}
# ImageMagick as Debian installs it, whatever else PATH may offer first.
SCREENSHOT_IM=${SCREENSHOT_IM:-/usr/bin}
_SCREENSHOT_WATCHER=
_SCREENSHOT_WATCH_DIR=
SCREENSHOT_FILES=()

# The Debian package puts Wine's fonts where a prefix does not look: without
# Tahoma the boxes are drawn in DejaVu, and without Marlett the close button
# shows a letter "r". Links keep the prefix small and its clones private.
screenshot_prepare_prefix() {
  local dir=${1:-${WINEPREFIX:?screenshot_prepare_prefix: no prefix}}
  local fonts=$dir/drive_c/windows/Fonts font
  mkdir -p "$fonts"
  for font in /usr/share/wine/fonts/*.ttf; do
    [[ -e $font ]] || continue
    [[ -e $fonts/${font##*/} ]] || ln -s "$font" "$fonts/${font##*/}"
  done
}

# xwininfo -tree lists each window as: id "name": ("res" "class") WxH+X+Y.
# Wine gives every program an invisible 1x1 IME window; only real ones count.
_screenshot_viewable() {
  local id
  while read -r id; do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' &&
      echo "$id"
  done
}

screenshot_windows() {
  local class=${1:?screenshot_windows: program name required}
  xwininfo -root -children 2>/dev/null |
    awk -v class="(\"$class\" \"$class\")" '
      index($0, class) && $0 !~ /"Default IME"/ && $0 !~ / 1x1\+/ { print $1 }' |
    _screenshot_viewable
}

screenshot_titled() {
  local title=${1:?screenshot_titled: title required}
  xwininfo -root -children 2>/dev/null |
    awk -v title="\"$title\":" 'index($0, " " title " ") { print $1 }' |
    _screenshot_viewable
}

screenshot_window() {
  local id=${1:?screenshot_window: window id required}
  local out=${2:?screenshot_window: output file required}
  "$SCREENSHOT_IM/import" -silent -window "$id" "$out" 2>/dev/null ||
    { echo "screenshot: cannot take window $id" >&2; return 1; }
}

screenshot_root() {
  local out=${1:?screenshot_root: output file required}
  "$SCREENSHOT_IM/import" -silent -window root "$out" 2>/dev/null ||
    { echo "screenshot: cannot take the screen" >&2; return 1; }
}

# Polls rather than listens: Xvfb without a window manager sends no event a
# shell could wait for, and a box stays up far longer than one poll.
# A window is new when it was not there at the last poll: the X server
# hands a closed program's window ids to the next program it serves, so the
# box of the next run often has the id of the one before.
_screenshot_watch() {
  local class=$1 dir=$2 n=0 id seen=" " now
  while [[ ! -e $dir/.stop ]]; do
    now=" "
    for id in $(screenshot_windows "$class"); do
      now+="$id "
      [[ $seen == *" $id "* ]] && continue
      sleep "$SCREENSHOT_SETTLE"
      n=$((n + 1))
      screenshot_window "$id" "$dir/box-$n.png" || true
    done
    seen=$now
    sleep 0.05
  done
}

screenshot_watch_start() {
  local class=${1:?screenshot_watch_start: program name required}
  local dir=${2:?screenshot_watch_start: folder required}
  screenshot_watch_stop
  mkdir -p "$dir"
  rm -f "$dir"/box-*.png "$dir/.stop"
  _SCREENSHOT_WATCH_DIR=$dir
  _screenshot_watch "$class" "$dir" &
  _SCREENSHOT_WATCHER=$!
}

screenshot_watch_stop() {
  SCREENSHOT_FILES=()
  [[ -n $_SCREENSHOT_WATCHER ]] || return 0
  mkdir -p "$_SCREENSHOT_WATCH_DIR"
  touch "$_SCREENSHOT_WATCH_DIR/.stop"
  wait "$_SCREENSHOT_WATCHER" 2>/dev/null || true
  _SCREENSHOT_WATCHER=
  rm -f "$_SCREENSHOT_WATCH_DIR/.stop"
  local n=1
  while [[ -f $_SCREENSHOT_WATCH_DIR/box-$n.png ]]; do
    SCREENSHOT_FILES+=("$_SCREENSHOT_WATCH_DIR/box-$n.png")
    n=$((n + 1))
  done
}

# The message sits between the caption bar (about 20 pixels with the frame)
# and the button row (the bottom 40): text there leaves dark pixels on the
# light dialog face, an empty text none. Empty squares in place of missing
# glyphs would pass too; those are for the eye (scripts/gallery).
_SCREENSHOT_CAPTION_ROWS=24
_SCREENSHOT_BUTTON_ROWS=40
_SCREENSHOT_MIN_TEXT_PIXELS=40

screenshot_has_text() {
  local png=${1:?screenshot_has_text: image required}
  local size width height rows dark
  size=$("$SCREENSHOT_IM/identify" -format '%w %h' "$png" 2>/dev/null) || return 1
  read -r width height <<<"$size"
  rows=$((height - _SCREENSHOT_CAPTION_ROWS - _SCREENSHOT_BUTTON_ROWS))
  ((width >= 100 && rows >= 10)) || return 1
  dark=$("$SCREENSHOT_IM/convert" "$png" -crop "$((width - 8))x${rows}+4+${_SCREENSHOT_CAPTION_ROWS}" \
           +repage -colorspace Gray -threshold 50% -negate \
           -format '%[fx:round(mean*w*h)]' info: 2>/dev/null) || return 1
  ((dark >= _SCREENSHOT_MIN_TEXT_PIXELS))
}

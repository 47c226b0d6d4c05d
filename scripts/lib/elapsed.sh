# Elapsed time for the scripts' reports. Source this file; do not run it.
#
#   now_us                  microseconds since the epoch
#   elapsed_us START_US     microseconds since START_US (a now_us value)
#   seconds_text US [N]     US as seconds with N decimals (default 1)

# EPOCHREALTIME is written with the locale's decimal point, "." or ",".
now_us() {
  local t=$EPOCHREALTIME
  echo "${t//[.,]/}"
}

elapsed_us() {
  echo $(( $(now_us) - ${1:?elapsed_us: start required} ))
}

seconds_text() {
  local us=${1:?seconds_text: microseconds required} decimals=${2:-1}
  local scale=$((10 ** (6 - decimals)))
  if ((decimals == 0)); then
    printf '%d' $((us / 1000000))
  else
    printf "%d.%0${decimals}d" $((us / 1000000)) $((us % 1000000 / scale))
  fi
}

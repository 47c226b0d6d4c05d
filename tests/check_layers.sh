#!/usr/bin/env bash
# Fails when a file of the class library includes a header of an area above
# its own. The areas, their order and their files are those of
# qbn/CMakeLists.txt (qbn_area calls, lowest first); a header belongs to the
# area of its source file, or to the area whose HEADERS name it.
#
#   check_layers.sh [QBN_DIR]     default: qbn/ beside this script's folder
set -euo pipefail

QBN=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../qbn" && pwd)}

declare -A AREA_OF_HEADER=() AREA_RANK=()
declare -a FILES=() FILE_AREAS=()
rank=0 area=

# Every qbn_* file named in the qbn_area calls, with its area.
while read -r word; do
  case $word in
    qbn_area\(*)
      area=${word#qbn_area(}
      AREA_RANK[$area]=$((rank++)) ;;
    qbn_*.cpp)
      AREA_OF_HEADER[${word%.cpp}.h]=$area
      FILES+=("$QBN/$word" "$QBN/include/${word%.cpp}.h")
      FILE_AREAS+=("$area" "$area") ;;
    qbn_*.h)
      AREA_OF_HEADER[${word%)}]=$area
      FILES+=("$QBN/include/${word%)}")
      FILE_AREAS+=("$area") ;;
  esac
done < <(sed 's/#.*//' "$QBN/CMakeLists.txt" | tr -s ' \t()' '\n' |
           sed '/^qbn_area$/{N;s/\n/(/}')

failures=0
for i in "${!FILES[@]}"; do
  file=${FILES[$i]} own=${FILE_AREAS[$i]}
  [[ -f $file ]] || continue
  while read -r header; do
    used=${AREA_OF_HEADER[$header]:-}
    if [[ -z $used ]]; then
      [[ -f $QBN/$header ]] && continue # a source's private header
      echo "${file#"$QBN"/}: includes $header, which belongs to no area"
      failures=$((failures + 1))
    elif ((AREA_RANK[$used] > AREA_RANK[$own])); then
      echo "${file#"$QBN"/} ($own) includes $header ($used, a higher area)"
      failures=$((failures + 1))
    fi
  done < <(grep -o '^#include "qbn_[a-z0-9_]*\.h"' "$file" | sed 's/.*"\(.*\)"/\1/')
done
if ((failures)); then
  echo "$failures include(s) against the order of the library's areas"
  exit 1
fi
echo "every include follows the order of the library's areas (${#FILES[@]} files)"

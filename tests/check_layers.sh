#!/usr/bin/env bash
# Fails when a file includes a header of a layer above its own.
#
#   check_layers.sh [qbn [DIR]]   the class library: its areas, their order
#                                 and their files are those of
#                                 qbn/CMakeLists.txt (qbn_area calls, lowest
#                                 first); a header belongs to the area of its
#                                 source file, or to the area whose HEADERS
#                                 name it
#   check_layers.sh patch [DIR]   the patch program: its groups are the
#                                 folders named by patch/CMakeLists.txt
#                                 (patch_group calls, lowest first); a file
#                                 belongs to the group of its folder
set -euo pipefail

MODE=${1:-qbn}
ROOT=${2:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../$MODE" && pwd)}

declare -A AREA_OF_HEADER=() AREA_RANK=()
declare -a FILES=() FILE_AREAS=()
rank=0 area=

read_qbn_areas() {
  while read -r word; do
    case $word in
      qbn_area\(*)
        area=${word#qbn_area(}
        AREA_RANK[$area]=$((rank++)) ;;
      qbn_*.cpp)
        AREA_OF_HEADER[${word%.cpp}.h]=$area
        FILES+=("$ROOT/$word" "$ROOT/include/${word%.cpp}.h")
        FILE_AREAS+=("$area" "$area") ;;
      qbn_*.h)
        AREA_OF_HEADER[${word%)}]=$area
        FILES+=("$ROOT/include/${word%)}")
        FILE_AREAS+=("$area") ;;
    esac
  done < <(sed 's/#.*//' "$ROOT/CMakeLists.txt" | tr -s ' \t()' '\n' |
             sed '/^qbn_area$/{N;s/\n/(/}')
}

read_patch_groups() {
  local file
  while read -r area; do
    AREA_RANK[$area]=$((rank++))
    for file in "$ROOT/$area"/*.cpp "$ROOT/$area"/*.h; do
      [[ $file == *.h ]] && AREA_OF_HEADER[${file##*/}]=$area
      FILES+=("$file")
      FILE_AREAS+=("$area")
    done
  done < <(sed -n 's/^patch_group(\([a-z]*\).*/\1/p' "$ROOT/CMakeLists.txt")
}

# A header of no layer is a source's private one (qbn) or one the build
# makes (patch); anything else is a mistake.
is_outside_layers() {
  if [[ $MODE == qbn ]]; then
    [[ -f $ROOT/$1 ]]
  else
    [[ -z $(find "$ROOT" -name "$1") ]]
  fi
}

case $MODE in
  qbn) read_qbn_areas ;;
  patch) read_patch_groups ;;
  *) echo "check_layers.sh: qbn or patch" >&2; exit 2 ;;
esac

failures=0
for i in "${!FILES[@]}"; do
  file=${FILES[$i]} own=${FILE_AREAS[$i]}
  [[ -f $file ]] || continue
  while read -r header; do
    used=${AREA_OF_HEADER[$header]:-}
    if [[ -z $used ]]; then
      is_outside_layers "$header" && continue
      echo "${file#"$ROOT"/}: includes $header, which belongs to no layer"
      failures=$((failures + 1))
    elif ((AREA_RANK[$used] > AREA_RANK[$own])); then
      echo "${file#"$ROOT"/} ($own) includes $header ($used, a higher layer)"
      failures=$((failures + 1))
    fi
  done < <(grep -o "^#include \"${MODE}_[a-z0-9_]*\\.h\"" "$file" | sed 's/.*"\(.*\)"/\1/')
done
if ((failures)); then
  echo "$failures include(s) against the order of the layers of $MODE/"
  exit 1
fi
echo "every include follows the order of the layers of $MODE/ (${#FILES[@]} files)"

#!/usr/bin/env bash
# Fails when a file includes a header of a layer above its own, or when the
# classes of one folder include each other in a circle.
#
#   check_layers.sh [qbn [DIR]]   the class library: its areas are the
#                                 folders named by qbn/CMakeLists.txt
#                                 (qbn_area calls, lowest first)
#   check_layers.sh patch [DIR]   the patch program: its groups are the
#                                 folders named by patch/CMakeLists.txt
#                                 (patch_group calls, lowest first)
#
# A file belongs to the layer of its folder. Inside a folder, a class (its
# header, its sources and its <class>_private.h) uses another when one of
# its files includes the other's header; a class that uses itself back
# through others of its folder is a cycle, reported with the includes that
# make it.
set -euo pipefail

MODE=${1:-qbn}
ROOT=${2:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../$MODE" && pwd)}
case $MODE in
  qbn) LAYER_CALL=qbn_area ;;
  patch) LAYER_CALL=patch_group ;;
  *) echo "check_layers.sh: qbn or patch" >&2; exit 2 ;;
esac

declare -A LAYER_OF_HEADER=() LAYER_RANK=() IN_LAYER=()
# USES[folder/class] lists the classes of the same folder it includes;
# VIA[folder/class>used] is one include that says so.
declare -A USES=() VIA=()
declare -a FILES=() FILE_LAYERS=()
rank=0

while read -r layer; do
  LAYER_RANK[$layer]=$((rank++))
  for file in "$ROOT/$layer"/*.cpp "$ROOT/$layer"/*.h; do
    [[ -f $file ]] || continue
    [[ $file == *.h ]] && LAYER_OF_HEADER[${file##*/}]=$layer
    FILES+=("$file")
    FILE_LAYERS+=("$layer")
    IN_LAYER[$file]=1
  done
done < <(sed -n "s/^$LAYER_CALL(\([a-z]*\).*/\1/p" "$ROOT/CMakeLists.txt")

failures=0
fail() {
  echo "$1"
  failures=$((failures + 1))
}

while read -r file; do
  [[ -n ${IN_LAYER[$file]:-} ]] || fail "${file#"$ROOT"/}: in no layer's folder"
done < <(find "$ROOT" -name "${MODE}_*.cpp" -o -name "${MODE}_*.h")

# The class a file or header belongs to.
class_of() {
  local name=${1##*/}
  name=${name%.*}
  echo "${name%_private}"
}

# The layers' order, and the uses inside each folder.
for i in "${!FILES[@]}"; do
  file=${FILES[$i]} own=${FILE_LAYERS[$i]}
  class=$(class_of "$file")
  while read -r header; do
    used=${LAYER_OF_HEADER[$header]:-}
    if [[ -z $used ]]; then
      # A header found nowhere in the tree is one the build makes.
      [[ -z $(find "$ROOT" -name "$header") ]] ||
        fail "${file#"$ROOT"/}: includes $header, which belongs to no layer"
    elif ((LAYER_RANK[$used] > LAYER_RANK[$own])); then
      fail "${file#"$ROOT"/} ($own) includes $header ($used, a higher layer)"
    elif [[ $used == "$own" && $(class_of "$header") != "$class" ]]; then
      to=$(class_of "$header")
      [[ -n ${VIA[$own/$class>$to]:-} ]] || USES[$own/$class]+=" $to"
      VIA[$own/$class>$to]="${file##*/} includes $header"
    fi
  done < <(grep -o "^#include \"${MODE}_[a-z0-9_]*\\.h\"" "$file" |
             sed 's/.*"\(.*\)"/\1/')
done

# The shortest way from class $2 back to class $3 in folder $1, as the
# includes that make it; fails when there is none.
way_back() {
  local folder=$1 from=$2 to=$3 class next way
  local -A came_from=([$from]="")
  local -a queue=("$from")
  while ((${#queue[@]})); do
    class=${queue[0]} && queue=("${queue[@]:1}")
    for next in ${USES[$folder/$class]:-}; do
      [[ -v came_from[$next] ]] && continue
      came_from[$next]=$class
      if [[ $next == "$to" ]]; then
        way=
        while [[ $next != "$from" ]]; do
          way="${VIA[$folder/${came_from[$next]}>$next]}${way:+, $way}"
          next=${came_from[$next]}
        done
        echo "$way"
        return 0
      fi
      queue+=("$next")
    done
  done
  return 1
}

# Each cycle once, whichever of its classes it was found from.
declare -A REPORTED=()
for key in "${!USES[@]}"; do
  folder=${key%/*} class=${key#*/}
  for used in ${USES[$key]}; do
    way=$(way_back "$folder" "$used" "$class") || continue
    way="${VIA[$key>$used]}, $way"
    classes=$(grep -o "includes [a-z0-9_]*\.h" <<<"$way" |
                while read -r _ header; do class_of "$header"; done |
                LC_ALL=C sort | tr '\n' ' ')
    [[ -z ${REPORTED[$folder/$classes]:-} ]] || continue
    REPORTED[$folder/$classes]=1
    fail "$folder/: a cycle: $way"
  done
done

if ((failures)); then
  echo "$failures include(s) against the layers of $MODE/"
  exit 1
fi
echo "every include follows the order of the layers of $MODE/" \
  "(${#FILES[@]} files), no cycle in a folder"

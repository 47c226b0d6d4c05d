#!/usr/bin/env bash
# Installs the class library from the build tree into a scratch prefix,
# builds tests/package_example against that prefix alone and runs it.
#
#   check_package.sh BUILD_DIR TOOLCHAIN_FILE
set -euo pipefail
build=${1:?build tree required} toolchain=${2:?toolchain file required}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/qbn-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build/qbn" --prefix "$scratch/prefix" >/dev/null
cmake -S "$here/package_example" -B "$scratch/build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -Dqbn_DIR="$scratch/prefix/lib/cmake/qbn" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$scratch/build" >/dev/null
wine "$scratch/build/qbn_example.exe" </dev/null
echo "the example built against $scratch/prefix alone ran and answered 0"

#!/usr/bin/env bash
# The README's table of messages quotes the English texts: each quote must be
# the text the program ships (support/message_texts.tsv, through the
# scenarios' own reader).
set -euo pipefail
TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=e2e/texts.sh
source "$TESTS/e2e/texts.sh"

rows=0
wrong=0
while IFS='|' read -r _ id quoted _; do
  id=${id// /}
  [[ $id =~ ^1[0-9]{3}$ ]] || continue
  quoted=${quoted# }
  quoted=${quoted% }
  rows=$((rows + 1))
  if [[ $quoted != "$(text en "$id")" ]]; then
    echo "README, message $id: \"$quoted\" is not \"$(text en "$id")\""
    wrong=1
  fi
done <"$TESTS/../README.md"
if ((rows == 0)); then
  echo "README: no table of messages found"
  exit 1
fi
echo "README: $rows messages quoted as shipped"
exit "$wrong"

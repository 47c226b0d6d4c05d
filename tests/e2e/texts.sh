# What the patch says, in the four user languages the scenarios run in
# (tests/support/message_texts.tsv), and the box and patch log lines built
# from it. Languages: en (en_US.UTF-8), de (de_DE.UTF-8), zh (zh_CN.UTF-8),
# pt_br (pt_BR.UTF-8). 1121 and 1122 exist in English and Simplified Chinese
# only; elsewhere they are empty.

declare -A TEXT=()
while IFS=$'\t' read -r _language _id _text; do
  [[ -z $_language || $_language == '#'* ]] || TEXT[$_language:$_id]=$_text
done <"$(dirname "${BASH_SOURCE[0]}")/../support/message_texts.tsv"
unset _language _id _text

declare -A LOCALE_OF=(
  [en]=en_US.UTF-8 [de]=de_DE.UTF-8 [zh]=zh_CN.UTF-8 [pt_br]=pt_BR.UTF-8
)

readonly OK=1 YES=6 NO=7

readonly RECORD_DESCRIPTION="Resolve the problem that Password Manager cause that text can not be highlighted by cursor in Office 2007."

# text LANG ID: the string, empty where the language lacks it.
text() {
  printf '%s' "${TEXT[$1:$2]-}"
}

# box LANG ID BUTTON: a box as the answerer records it.
box() {
  printf 'box: %s | %s | %s' "$(text "$1" 1140)" "$(text "$1" "$2")" "$3"
}

# entry LANG ID ANSWER: the patch log entry of a message and its answer,
# without the CR LF every entry ends with (expect_patch_log adds it).
entry() {
  printf '%s User select: %s' "$(text "$1" "$2")" "$3"
}

# line LANG ID PATH: a 1121 or 1122 patch log line naming PATH, without its
# CR LF; empty in a language that lacks the string.
line() {
  local template
  template=$(text "$1" "$2")
  [[ -n $template ]] || return 0
  printf '%s%s%s' "${template%%"%s"*}" "$3" "${template#*"%s"}"
}

# A script's usage is the comment block at its head, right after the #!
# line; every script prints it for --help. Source this file; do not run it.
#
#   usage_of FILE      prints that block without its comment marks

usage_of() {
  sed -n '2,/^[^#]/{/^#/s/^# \{0,1\}//p}' "${1:?usage_of: script required}"
}

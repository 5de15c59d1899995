#!/usr/bin/env bash
# Checks that a manual page documents everything that the program's --help shows: every command
# and nested command, every option of each, and every exit status.
#
#   tools/check-manual.sh PROGRAM MANUAL
#
# The manual names a command at the start of a line as \fBcommand\fR or \fBgroup command\fR,
# an option anywhere as \fB\-\-option\fR (or \fB\-x\fR), and an exit status N on a line ".B N".
# Exit status 1 lists what is missing.
set -euo pipefail

if [ $# -ne 2 ]; then
  sed -n '5p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
program=$1
manual=$2
missing=()

documents() {
  grep -qF -- "$1" "$manual"
}

# True when a line of the manual starts with the text.
starts_a_line() {
  TEXT=$1 awk 'index($0, ENVIRON["TEXT"]) == 1 { found = 1 } END { exit !found }' "$manual"
}

# The roff form of a name in bold: every hyphen escaped.
roff_bold() {
  printf '\\fB%s\\fR' "${1//-/\\-}"
}

# Checks the command named by the arguments (none: the program itself), then its subcommands.
check_command() {
  local help line section="" name
  local subcommands=()
  help=$("$program" "$@" --help)
  if [ $# -gt 0 ]; then
    starts_a_line "$(roff_bold "$*")" || missing+=("command: $*")
  fi
  while IFS= read -r line; do
    case "$line" in
      Options:) section=options ;;
      Subcommands:) section=subcommands ;;
      Positionals:) section=positionals ;;
      "") ;;
      *)
        if [ "$section" = options ] && [[ $line =~ ^\ +(-[-a-zA-Z0-9,]+) ]]; then
          local option
          IFS=, read -ra names <<< "${BASH_REMATCH[1]}"
          for option in "${names[@]}"; do
            [ "$option" = -h ] || [ "$option" = --help ] && continue
            documents "$(roff_bold "$option")" || missing+=("option of '${*:-$(basename "$program")}': $option")
          done
        elif [ "$section" = subcommands ] && [[ $line =~ ^\ +([a-z][-a-z0-9]*) ]]; then
          subcommands+=("${BASH_REMATCH[1]}")
        fi
        ;;
    esac
  done <<< "$help"
  for name in "${subcommands[@]}"; do
    check_command "$@" "$name"
  done
  if [ $# -eq 0 ]; then
    local statuses
    statuses=$(grep -o 'Exit status:.*' <<< "$help" | grep -oE '(^|, |: )[0-9]+ ' | grep -oE '[0-9]+')
    [ -n "$statuses" ] || missing+=("the exit statuses (--help names none)")
    for name in $statuses; do
      grep -qx "\\.B $name" "$manual" || missing+=("exit status $name")
    done
  fi
}

check_command
if [ ${#missing[@]} -gt 0 ]; then
  echo "$manual does not document what '$program --help' shows:"
  printf '  %s\n' "${missing[@]}"
  exit 1
fi
echo "check-manual: $manual documents every command, option and exit status"

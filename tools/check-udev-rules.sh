#!/usr/bin/env bash
# Checks the syntax of udev rules files, for machines whose udevadm has no "verify" (systemd
# before 254, as in Debian 12), and that no rule makes a node writable for every user.
#
#   tools/check-udev-rules.sh FILE...    check the files; exit status 1 names the bad lines
#   tools/check-udev-rules.sh --self-test
#
# A line is empty, a comment, or comma-separated KEY OP "VALUE" pairs, where KEY is a key udev
# knows (with {attribute} where it takes one) and OP an operator that the key allows: matches
# (==, !=) only on keys that match, assignments (=, +=, -=, :=) only on keys that assign. A line
# that ends in a backslash continues on the next. Where udevadm verify exists, it checks too.
set -euo pipefail

# Keys without and with an {attribute}. PROGRAM and IMPORT match, but udev takes = for == there.
match_only='ACTION|DEVPATH|KERNEL|KERNELS|SUBSYSTEM|SUBSYSTEMS|DRIVER|DRIVERS|TAGS|RESULT|TEST'
match_only_attr='ATTRS|CONST|TEST'
assign_only='OWNER|GROUP|MODE|LABEL|GOTO|OPTIONS|RUN'
assign_only_attr='SECLABEL|RUN'
either='NAME|SYMLINK|TAG|PROGRAM'
either_attr='ATTR|SYSCTL|ENV|IMPORT'
pair_re="^[[:space:]]*([A-Z_]+)(\{[^}\"]+\})?[[:space:]]*(==|!=|\+=|-=|:=|=)[[:space:]]*\"(([^\"\\\\]|\\\\.)*)\"[[:space:]]*(,|$)"

# Prints why the rule is wrong, or nothing.
check_rule() {
  local rest=$1 key attr op value
  while [[ -n "${rest//[[:space:]]/}" ]]; do
    if [[ ! $rest =~ $pair_re ]]; then
      echo "not a KEY OP \"VALUE\" pair: ${rest#"${rest%%[![:space:]]*}"}"
      return
    fi
    key=${BASH_REMATCH[1]}
    attr=${BASH_REMATCH[2]}
    op=${BASH_REMATCH[3]}
    value=${BASH_REMATCH[4]}
    rest=${rest:${#BASH_REMATCH[0]}}
    if [[ ${BASH_REMATCH[6]} == "," && -z "${rest//[[:space:]]/}" ]]; then
      echo "a comma after the last pair"
      return
    fi
    local kind
    if [[ -z $attr && $key =~ ^($match_only)$ ]] || [[ -n $attr && $key =~ ^($match_only_attr)$ ]]; then
      kind=match
    elif [[ -z $attr && $key =~ ^($assign_only)$ ]] ||
      [[ -n $attr && $key =~ ^($assign_only_attr)$ ]]; then
      kind=assign
    elif [[ -z $attr && $key =~ ^($either)$ ]] || [[ -n $attr && $key =~ ^($either_attr)$ ]]; then
      kind=either
    else
      echo "unknown key: $key$attr"
      return
    fi
    if [[ $kind == match && $op != "==" && $op != "!=" ]]; then
      echo "$key$attr only matches, with == or !=, not $op"
      return
    fi
    if [[ $kind == assign && ($op == "==" || $op == "!=") ]]; then
      echo "$key$attr only assigns, with = += -= :=, not $op"
      return
    fi
    # The last octal digit of a mode is the rights of every other user.
    if [[ $key == MODE && $value =~ [2367]$ ]]; then
      echo "MODE=\"$value\" makes the node writable for every user"
      return
    fi
  done
}

# Checks one file; prints "FILE:LINE: why" for each bad rule and fails when there is one.
check_file() {
  local file=$1 number=0 start=0 rule="" line problem status=0
  while IFS= read -r line || [[ -n $line ]]; do
    number=$((number + 1))
    ((start)) || start=$number
    if [[ $line == *\\ ]]; then
      rule+="${line%\\} "
      continue
    fi
    rule+=$line
    if [[ ! $rule =~ ^[[:space:]]*(#|$) ]]; then
      problem=$(check_rule "$rule")
      if [[ -n $problem ]]; then
        echo "$file:$start: $problem"
        status=1
      fi
    fi
    rule=""
    start=0
  done < "$file"
  if [[ -n $rule ]]; then
    echo "$file:$start: the last line continues past the end of the file"
    status=1
  fi
  return $status
}

self_test() {
  local good=(
    '# a comment'
    ''
    'SUBSYSTEM=="hidraw", ATTRS{idVendor}=="258a", ATTRS{idProduct}=="002a", TAG+="uaccess"'
    'KERNEL!="hidraw*", GOTO="end"'
    'ACTION=="add", ENV{ID_X}="1", MODE="0660", GROUP="plugdev"'
    'LABEL="end"'
    'SUBSYSTEM=="hidraw", \'
    '  TAG+="uaccess"'
    'ATTR{power/control}="auto", RUN+="/bin/echo \"quoted\""'
  )
  local bad=(
    'SUBSYSTEM="hidraw", TAG+="uaccess"'
    'SUBSYSTEM=="hidraw" TAG+="uaccess"'
    'SUBSYSTEM=="hidraw", TAG+="uaccess",'
    'SUBSYSTEM=="hidraw", MODE=="0660"'
    'SUBSYSTEM=="hidraw", MODE="0666"'
    'SUBSYSTEM=="hidraw", ATTR{idVendor}=="258a", TAGG+="uaccess"'
    'SUBSYSTEM=="hidraw, TAG+="uaccess"'
    'ATTRS=="x"'
    'SUBSYSTEM=="hidraw", \'
  )
  local dir status=0 line
  dir=$(mktemp -d)
  printf '%s\n' "${good[@]}" > "$dir/good.rules"
  if ! check_file "$dir/good.rules"; then
    echo "self-test: good rules were refused"
    status=1
  fi
  for line in "${bad[@]}"; do
    printf '%s\n' "$line" > "$dir/bad.rules"
    if check_file "$dir/bad.rules" > /dev/null; then
      echo "self-test: a bad rule was accepted: $line"
      status=1
    fi
  done
  rm -rf "$dir"
  ((status)) || echo "self-test: ${#good[@]} good lines accepted, ${#bad[@]} bad rules refused"
  return $status
}

if [[ $# -eq 0 ]]; then
  sed -n '5,6p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
if [[ $1 == --self-test ]]; then
  self_test
  exit
fi

status=0
for file in "$@"; do
  check_file "$file" || status=1
done
if command -v udevadm > /dev/null && udevadm verify --help > /dev/null 2>&1; then
  udevadm verify "$@" || status=1
fi
((status)) || echo "check-udev-rules: $# file(s) valid"
exit $status

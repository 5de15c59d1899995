# bash completion for keyloomctl: commands, options, key names, macro groups, media keys,
# function-key chords and lighting effects. The names come from `keyloomctl complete KIND`,
# with the --config and --data-dir of the command line being completed.

# Offers the lines of standard input (not a pipe, which would set COMPREPLY in a subshell) that begin with the word being completed (ignoring case),
# quoted for the shell.
_keyloomctl_offer() {
  local word=${cur//\\/} candidate
  COMPREPLY=()
  while IFS= read -r candidate; do
    if [[ ${candidate,,} == "${word,,}"* ]]; then
      COMPREPLY+=("$(printf '%q' "$candidate")")
    fi
  done
}

_keyloomctl_words() {
  _keyloomctl_offer < <(printf '%s\n' "$@")
}

_keyloomctl() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  local command="" sub="" word i
  local -a files=() positionals=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    case $word in
      --config | --data-dir)
        files+=("$word" "${COMP_WORDS[i + 1]}")
        ((i++))
        ;;
      --profile | --repeat | --macro | --media | --chord | --key | --brightness | --speed | \
        --colour | --color | --direction | --areas | --text | --delay | --append | --delete | \
        --class | --exe | --at)
        ((i++))
        ;;
      --insert | --move | --set-delay) ((i += 2)) ;;
      -*) ;;
      *)
        if [[ -z $command ]]; then
          command=$word
        elif [[ -z $sub && ($command == macros || $command == auto-profile) ]]; then
          sub=$word
        else
          positionals+=("$word")
        fi
        ;;
    esac
  done
  _keyloomctl_names() {
    _keyloomctl_offer < <(keyloomctl "${files[@]}" complete "$1" 2>/dev/null)
  }

  case $prev in
    --config) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
    --data-dir) mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
    --macro) _keyloomctl_names groups; return ;;
    --media) _keyloomctl_names media; return ;;
    --chord) _keyloomctl_names chords; return ;;
    --key) _keyloomctl_names keys; return ;;
    --profile) _keyloomctl_words 1 2 3; return ;;
    --direction) _keyloomctl_words left right; return ;;
    --brightness | --speed) _keyloomctl_words 0 1 2 3; return ;;
    --colour | --color) _keyloomctl_words 0 1 2 3 4 5 6 7; return ;;
  esac

  local options=""
  case $command in
    "")
      if [[ $cur == -* ]]; then
        _keyloomctl_words --simulate --config --data-dir --trace --json --verbose --help --version
      else
        _keyloomctl_words devices config profile slots light remap clear factory-reset assign \
          backup restore copy-profile macros auto-profile
      fi
      return
      ;;
    devices) options="--all" ;;
    slots) options="--profile" ;;
    light) options="--brightness --speed --colour --direction --areas" ;;
    remap | clear) options="--profile" ;;
    assign) options="--macro --repeat --media --chord --key --profile" ;;
    factory-reset) options="--yes" ;;
    restore) options="--profile" ;;
    macros)
      case $sub in
        add) options="--text --delay" ;;
        edit) options="--append --insert --delete --move --set-delay --delay" ;;
      esac
      ;;
    auto-profile)
      [[ $sub == add ]] && options="--class --exe --profile --at"
      ;;
  esac
  if [[ $cur == -* ]]; then
    _keyloomctl_words $options --json --help
    return
  fi
  case $command in
    light) ((${#positionals[@]} == 0)) && _keyloomctl_names effects ;;
    remap) ((${#positionals[@]} < 2)) && _keyloomctl_names keys ;;
    clear | assign) ((${#positionals[@]} == 0)) && _keyloomctl_names keys ;;
    backup | restore) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
    macros)
      case $sub in
        "") _keyloomctl_words list show import export add rename edit delete ;;
        show | delete | rename | edit) ((${#positionals[@]} == 0)) && _keyloomctl_names groups ;;
        add) ((${#positionals[@]} > 0)) && _keyloomctl_names keys ;;
        import | export) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
      esac
      ;;
    auto-profile)
      [[ -z $sub ]] && _keyloomctl_words list add remove default on off
      ;;
  esac
  return 0
}

complete -F _keyloomctl keyloomctl

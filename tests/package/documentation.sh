#!/usr/bin/env bash
# Checks that the man page renders without warnings and that it and every shell completion know every command
# the executable's --help lists.
#   usage: documentation.sh STOWLINE DATA_DIR
set -euo pipefail
stowline=$1
data=$2
failed=0
fail() {
    echo "$*"
    failed=1
}

warnings=$(MANWIDTH=100 man --warnings -l "$data/man/stowline.1" 2>&1 >/dev/null) || fail "man could not render the page"
[ -z "$warnings" ] || fail "man page warnings: $warnings"
bash -n "$data/completions/stowline.bash" || fail "the bash completion does not parse"
zsh -n "$data/completions/_stowline" || fail "the zsh completion does not parse"
fish --no-execute "$data/completions/stowline.fish" || fail "the fish completion does not parse"

# The commands are the first words after the executable's name in the synopsis at the top of --help.
mapfile -t commands < <("$stowline" --help | sed -n '/^Usage:/,/^$/p' | sed -n 's/^\(Usage:\)\? *stowline \([a-z|]*\).*/\2/p' |
    tr '|' '\n' | sed '/^$/d')
[ ${#commands[@]} -ge 5 ] || fail "found only ${#commands[@]} commands in --help: ${commands[*]}"
page=$(cat "$data/man/stowline.1")
for command in "${commands[@]}"; do
    awk 'previous == ".TP" { print } { previous = $0 }' <<<"$page" | sed 's/\\f[BIRP]//g' | tr -d '",' |
        grep -Eq "(^| )$command( |\$)" || fail "the man page does not describe $command"
    grep -Eq "^stowline $command( |\$)" <<<"$page" || fail "the man page has no example of $command"
    grep -Eq "commands=\".*\\b$command\\b" "$data/completions/stowline.bash" || fail "bash does not complete $command"
    grep -q "'$command:" "$data/completions/_stowline" || fail "zsh does not complete $command"
    grep -q "\-a $command " "$data/completions/stowline.fish" || fail "fish does not complete $command"
done

# bash offers the commands and a command's own options as a person types them.
complete_in_bash() {
    bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _stowline stowline "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"; echo "${COMPREPLY[*]}"' \
        _ "$data/completions/stowline.bash" "$@"
}
for typed in "to:toggle" "copy --pa:--paste" "list --filter li:links" "search --limit 3 --js:--json"; do
    read -ra words <<<"stowline ${typed%%:*}"
    offered=$(complete_in_bash "${words[@]}")
    [ "$offered" = "${typed#*:}" ] || fail "bash completes '${typed%%:*}' as '$offered'"
done

[ $failed -eq 0 ] && echo "man page and completions cover ${#commands[@]} commands: ${commands[*]}"
exit $failed

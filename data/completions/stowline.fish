# fish completion for stowline

set -l commands show toggle quit status list copy export import

complete -c stowline -f
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -l background -d 'Start in the tray without showing the history panel'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the commands and options'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'

complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a show -d 'Show the history panel'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a toggle -d 'Show or hide the history panel'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a quit -d 'Save the history and end Stowline'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a status -d 'Tell whether Stowline runs'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a list -d 'One line per clip, newest first'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a copy -d 'Put a clip back on the clipboard'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a export -d 'Write the history as unencrypted JSON'
complete -c stowline -n "not __fish_seen_subcommand_from $commands" -a import -d 'Merge an exported history into the history'

complete -c stowline -n "__fish_seen_subcommand_from copy" -l paste -d 'Also paste into the window in front'
complete -c stowline -n "__fish_seen_subcommand_from export import" -F

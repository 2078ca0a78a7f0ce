# fish completion for stowline

set -l commands show toggle settings quit status list search copy pause resume clear favorite delete export import
set -l none "not __fish_seen_subcommand_from $commands"

complete -c stowline -f
complete -c stowline -n $none -l background -d 'Start in the tray without showing the history panel'
complete -c stowline -n $none -s h -l help -d 'Show the commands and options'
complete -c stowline -n $none -l version -d 'Show the version'

complete -c stowline -n $none -a show -d 'Show the history panel'
complete -c stowline -n $none -a toggle -d 'Show or hide the history panel'
complete -c stowline -n $none -a settings -d 'Open the settings window'
complete -c stowline -n $none -a quit -d 'Save the history and end Stowline'
complete -c stowline -n $none -a status -d 'Tell whether Stowline runs'
complete -c stowline -n $none -a list -d 'The clips, newest first'
complete -c stowline -n $none -a search -d 'The clips that hold the words'
complete -c stowline -n $none -a copy -d 'Put a clip back on the clipboard'
complete -c stowline -n $none -a pause -d 'Stop taking in what you copy'
complete -c stowline -n $none -a resume -d 'Take in what you copy again'
complete -c stowline -n $none -a clear -d 'Delete every clip'
complete -c stowline -n $none -a favorite -d 'Mark or unmark a clip as a favourite'
complete -c stowline -n $none -a delete -d 'Delete one clip'
complete -c stowline -n $none -a export -d 'Write the history as unencrypted JSON'
complete -c stowline -n $none -a import -d 'Merge an exported history into the history'

complete -c stowline -n "__fish_seen_subcommand_from list search" -l filter -x -a 'all text links images files credentials' -d 'Only clips of one kind'
complete -c stowline -n "__fish_seen_subcommand_from list search" -l limit -x -d 'At most this many clips'
complete -c stowline -n "__fish_seen_subcommand_from list search" -l json -d 'One JSON object per clip'
complete -c stowline -n "__fish_seen_subcommand_from list search" -l show-secrets -d 'Show the text of credentials'
complete -c stowline -n "__fish_seen_subcommand_from copy" -l plain -d 'Plain text only'
complete -c stowline -n "__fish_seen_subcommand_from copy" -l paste -d 'Also paste into the window in front'
complete -c stowline -n "__fish_seen_subcommand_from clear" -l keep-favorites -d 'Keep the favourites'
complete -c stowline -n "__fish_seen_subcommand_from clear" -l yes -d 'Delete every clip'
complete -c stowline -n "__fish_seen_subcommand_from export import" -F
complete -c stowline -n "__fish_seen_subcommand_from export" -l force -d 'Replace an existing file'

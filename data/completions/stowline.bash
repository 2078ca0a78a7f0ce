# bash completion for stowline

_stowline() {
    local cur prev words cword
    _init_completion || return

    local commands="show toggle quit status list copy export import"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $command in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--background --help --version" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            fi
            ;;
        copy)
            [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--paste" -- "$cur"))
            ;;
        export | import)
            _filedir
            ;;
    esac
} && complete -F _stowline stowline

# bash completion for stowline

_stowline() {
    local cur prev words cword
    _init_completion || return

    local commands="show toggle settings quit status list search copy pause resume clear favorite delete export import"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --filter | --limit) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        --filter)
            COMPREPLY=($(compgen -W "all text links images files credentials" -- "$cur"))
            return
            ;;
        --limit)
            return
            ;;
    esac

    case $command in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--background --help --version" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            fi
            ;;
        list | search)
            [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--filter --limit --json --show-secrets" -- "$cur"))
            ;;
        copy)
            [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--plain --paste" -- "$cur"))
            ;;
        clear)
            [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--keep-favorites --yes" -- "$cur"))
            ;;
        export)
            if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "--force" -- "$cur")); else _filedir; fi
            ;;
        import)
            _filedir
            ;;
    esac
} && complete -F _stowline stowline

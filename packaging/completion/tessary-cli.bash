# bash completion for tessary-cli: commands, options, configuration names, device names, files.
_tessary_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="devices ports probe load-ram store-ram load-flash store-flash erase blank-check help"
    local global="--device --serial --baud --window --config --register-base -q --quiet --json -h --help -V --version"
    local command="" word
    for word in "${words[@]:1:cword-1}"; do
        case " $commands " in *" $word "*) command=$word; break ;; esac
    done

    case $prev in
        --device)
            local names
            names=$(tessary-cli devices 2>/dev/null | awk '{print $1}')
            COMPREPLY=($(compgen -W "$names" -- "$cur"))
            return ;;
        --serial)
            local lines
            lines=$(tessary-cli ports 2>/dev/null | awk '{print $1}')
            COMPREPLY=($(compgen -W "$lines" -- "$cur"))
            return ;;
        --config)
            COMPREPLY=($(compgen -W "q0 q1 q2 q3 parvel4 parvel16" -- "$cur"))
            return ;;
        --mode)
            COMPREPLY=($(compgen -W "append replace overwrite" -- "$cur"))
            return ;;
        --format)
            COMPREPLY=($(compgen -W "bin ihex srec" -- "$cur"))
            return ;;
        --verify)
            COMPREPLY=($(compgen -W "auto readback" -- "$cur"))
            return ;;
        --register-base | --address | --length | --offset | --blocks)
            return ;;
    esac

    local options
    case $command in
        "") options=$global ;;
        load-ram) options="--address --length --offset --format --no-verify --verify -h --help" ;;
        load-flash) options="--address --length --offset --format --no-erase --no-preserve --no-skip --no-verify --verify -h --help" ;;
        store-ram | store-flash) options="--address --length --offset --mode --format -h --help" ;;
        erase | blank-check) options="--blocks -h --help" ;;
        devices | ports | probe) options="-h --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ -z $command || $command == help ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ $command == *-ram || $command == *-flash ]]; then
        _filedir
    fi
}
complete -F _tessary_cli tessary-cli

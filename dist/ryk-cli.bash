# bash completion for ryk-cli: its options, then file and directory names. Installed as
# /usr/share/bash-completion/completions/ryk-cli, where bash-completion loads it on first use;
# it needs nothing of that package, so `source` works as well.

_ryk_cli()
{
    # bash also breaks words at '=' and '@', which would split the options -= and -@: the
    # words are taken again from the line up to the cursor, split at white space only.
    local line=${COMP_LINE:0:COMP_POINT}
    local -a words
    read -ra words <<<"$line"
    local cur=
    if [[ -n $line && $line != *[[:space:]] && ${#words[@]} -gt 0 ]]; then
        cur=${words[${#words[@]} - 1]}
        unset 'words[${#words[@]}-1]'
    fi
    # After "--" every argument is a path, however it begins.
    local word options=yes
    for word in "${words[@]:1}"; do
        [[ $word == -- ]] && options=
    done

    local -a found
    if [[ -n $options && $cur == -* ]]; then
        mapfile -t found < <(compgen -W '--run --create-destination --explorer
            --skip-unchanged --trash --verify --hard-links --json --help --version
            -s -sd -m -@ -= -r -rm -e -e0 -u -u0 -x -w -? -i --' -- "$cur")
        # The patterns of -w follow without a space.
        [[ ${#found[@]} -eq 1 && ${found[0]} == -w ]] && compopt -o nospace 2>/dev/null
    else
        compopt -o filenames 2>/dev/null
        mapfile -t found < <(compgen -f -- "$cur")
    fi

    # Each answer takes the place of what readline holds to be the word: the end of `cur`
    # after its last word-break character.
    local cut=0 i
    for ((i = ${#cur} - 1; i >= 0; i--)); do
        if [[ $COMP_WORDBREAKS == *"${cur:i:1}"* ]]; then
            cut=$((i + 1))
            break
        fi
    done
    COMPREPLY=()
    for word in "${found[@]}"; do
        COMPREPLY+=("${word:cut}")
    done
}
complete -F _ryk_cli ryk-cli

# bash completion for murel: its options, cache folders after -c, folders for the export.
_murel() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  if [[ $prev == --warc ]]; then
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
    return
  fi
  if [[ $prev == -c ]]; then
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*index.dat' -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    if ((COMP_CWORD == 1)); then
      COMPREPLY=($(compgen -W '-h --help --version --list-caches -l -e -nm -c --raw --warc' -- "$cur"))
    else
      COMPREPLY=($(compgen -W '-l -e -nm -c --raw --warc' -- "$cur"))
    fi
    return
  fi
  compopt -o filenames 2>/dev/null
  COMPREPLY=($(compgen -d -- "$cur"))
}
complete -F _murel murel

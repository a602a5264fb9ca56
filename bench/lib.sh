# shellcheck shell=bash
# What the benchmarks share: timing, a fresh file system for every timed run, and for
# bench/run-firefox and bench/run-chromium, timing a browser's cache folder exported by murel
# against cp of the same folder, and writing the rows to docs/benchmarks.md. Sourced.

# Seconds of wall time of one command, to the millisecond. The clock is bash's own: a "date"
# before and after would add the start of two processes, some 10 ms, to every figure.
seconds() {
  local start end
  start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1
  end=$EPOCHREALTIME
  printf '%.3f' "$(echo "$end - $start" | bc -l)"
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
# "lowest to highest" of the numbers given.
spread() { printf '%s\n' "$@" | sort -g | awk 'NR == 1 {low = $1} {high = $1} END {print low " to " high}'; }
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }
# The ratio of each pair: ratios A... -- B... gives A1/B1, A2/B2, ...
ratios() {
  local -a a=() b=()
  while [[ "$1" != -- ]]; do a+=("$1"); shift; done
  shift
  b=("$@")
  local i
  for i in "${!a[@]}"; do ratio "${a[$i]}" "${b[$i]}"; echo; done
}
# Peak memory (maximum resident set, KB) of one command.
peak_kb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
}

# Every timed run writes into a file system of its own, made for it and removed after: ext4 keeps
# the inodes of deleted files from reuse for minutes and scans past them at each allocation, so
# after the deletion of a tree of 10,000 files creating files on the same file system is up to ten
# times slower, for murel and cp alike. As root with loop devices, a new ext4 image is mounted per
# run (fresh_mode=loop). Elsewhere (fresh_mode=settle) each run writes new folders under $work,
# and the timing starts 370 s after a deletion there (see settle_after_deletion).
fresh_mode=settle
if [[ $(id -u) == 0 ]] && command -v mkfs.ext4 >/dev/null && losetup -f >/dev/null 2>&1; then
  fresh_mode=loop
fi

# fresh_folder DIR: DIR, a new empty folder on a new ext4 file system (loop mode) or a new
# folder (settle mode).
fresh_folder() {
  local dir="$1"
  mkdir -p "$dir"
  [[ $fresh_mode == loop ]] || return 0
  truncate -s 2G "$dir.img"
  mkfs.ext4 -q -F -E lazy_itable_init=1 "$dir.img"
  mount -o loop "$dir.img" "$dir"
}

# drop_folder DIR: in loop mode, unmounts DIR and deletes its file system; in settle mode the
# folder stays until the next settle_after_deletion.
drop_folder() {
  local dir="$1"
  [[ $fresh_mode == loop ]] || return 0
  umount "$dir"
  rm -f "$dir.img"
  rmdir "$dir"
}

# settle_after_deletion PATH...: deletes what of PATH exists; in settle mode then waits until file
# creation runs at its usual speed. ext4 without a journal does not reuse an inode freed in the last
# 60 s, 5 minutes more while its inode table block has unwritten changes (as new files beside it
# give it): the timing starts 370 s after a deletion here, or 65 s after any other work's.
settle_after_deletion() {
  local path settle=65
  for path in "$@"; do
    # A run that was stopped may have left its file systems mounted, below the path or at it.
    { findmnt -rno TARGET | grep -F "$path" || true; } | sort -r | xargs -r -n 1 umount
    if [[ -e "$path" ]]; then
      rm -rf "$path"
      settle=370
    fi
  done
  sync
  [[ $fresh_mode == settle ]] || return 0
  echo "== waiting ${settle} s for the file system to settle"
  sleep "$settle"
}

# time_exports MUREL CACHE SOURCE WORK RUNS: fills first, cpfirst, second and cpsecond with the
# seconds of each run of murel's first export of CACHE into a fresh folder, cp -r of SOURCE (the
# cache folder, or a finished export tree) into another, murel's second export onto its own, and
# cp -r -u onto the copy. Which program goes first alternates from run to run, so that the file
# system's background work (writeback of the earlier runs) weighs on both alike. murel keeps its
# memo in a user cache folder of the run's own (XDG_CACHE_HOME), so that every first export is one.
# Also sets files, dirs and megabytes to what the first run's export holds. Run from the rules
# folder.
time_exports() {
  local murel="$1" cache="$2" source="$3" work="$4" runs="$5" run order
  settle_after_deletion "$work"/out* "$work"/copy*
  first=() cpfirst=() second=() cpsecond=()
  for run in $(seq "$runs"); do
    echo "== run $run of $runs ($fresh_mode)"
    local out="$work/out$run" copy="$work/copy$run"
    fresh_folder "$out"
    fresh_folder "$copy"
    export XDG_CACHE_HOME="$out/user-cache"
    for order in $((run % 2)) $(((run + 1) % 2)) $((run % 2)) $(((run + 1) % 2)); do
      sync
      if ((order)); then
        if ((${#first[@]} < run)); then
          first+=("$(seconds "$murel" -nm -c "$cache" "$out/export")")
        else
          second+=("$(seconds "$murel" -nm -c "$cache" "$out/export")")
        fi
      elif ((${#cpfirst[@]} < run)); then
        cpfirst+=("$(seconds cp -r --preserve=timestamps "$source" "$copy/tree")")
      else
        cpsecond+=("$(seconds cp -r -u --preserve=timestamps "$source/." "$copy/tree/")")
      fi
    done
    unset XDG_CACHE_HOME
    # shellcheck disable=SC2034  # for the sourcing script
    if ((run == 1)); then
      files=$(find "$out/export" -type f | wc -l)
      dirs=$(find "$out/export" -type d | wc -l)
      megabytes=$(du -sm "$out/export" | cut -f1)
    fi
    drop_folder "$out"
    drop_folder "$copy"
  done
}

# export_memory MUREL CACHE WORK: sets memfirst and memsecond to the peak memory (KB) of murel's
# first and second export of CACHE into a fresh folder.
export_memory() {
  local murel="$1" cache="$2" out="$3/outmem"
  settle_after_deletion "$out"
  fresh_folder "$out"
  export XDG_CACHE_HOME="$out/user-cache"
  # shellcheck disable=SC2034  # for the sourcing script
  memfirst=$(peak_kb "$murel" -nm -c "$cache" "$out/export")
  # shellcheck disable=SC2034  # for the sourcing script
  memsecond=$(peak_kb "$murel" -nm -c "$cache" "$out/export")
  unset XDG_CACHE_HOME
  drop_folder "$out"
}

# figures_table NAME...: the rows of the figures that time_exports measured, under the names given
# for the first export, the re-run, and cp's two commands: median times, their ratio, and the
# spread of the times and of the runs' own ratios.
figures_table() {
  local firstName="$1" secondName="$2" cpFirstName="$3" cpSecondName="$4" limitFirst="$5" limitSecond="$6"
  local a ca b cb
  a=$(median "${first[@]}") ca=$(median "${cpfirst[@]}")
  b=$(median "${second[@]}") cb=$(median "${cpsecond[@]}")
  # The ratios are split into words on purpose: one argument each.
  # shellcheck disable=SC2046
  cat <<TABLE
| Figure | murel (s) | cp (s) | ratio | limit | murel spread (s) | cp spread (s) | ratio per run |
|---|---|---|---|---|---|---|---|
| $firstName | $a | $ca ($cpFirstName) | $(ratio "$a" "$ca") | <= $limitFirst | $(spread "${first[@]}") | $(spread "${cpfirst[@]}") | $(spread $(ratios "${first[@]}" -- "${cpfirst[@]}")) |
| $secondName | $b | $cb ($cpSecondName) | $(ratio "$b" "$cb") | <= $limitSecond | $(spread "${second[@]}") | $(spread "${cpsecond[@]}") | $(spread $(ratios "${second[@]}" -- "${cpsecond[@]}")) |
TABLE
}

# write_results DOC NAME HEADING TEXT: TEXT between "<!-- NAME results -->" and
# "<!-- end of NAME results -->" in DOC, or appended to it under "## HEADING" the first time.
write_results() {
  local doc="$1" name="$2" heading="$3" text="$4"
  if grep -q "<!-- $name results -->" "$doc"; then
    awk -v results="$text" -v first="<!-- $name results -->" -v last="<!-- end of $name results -->" '
      $0 == first { print; print results; skip = 1; next }
      $0 == last { skip = 0 }
      !skip { print }' "$doc" >"$doc.new"
    mv "$doc.new" "$doc"
  else
    printf '\n## %s\n\n<!-- %s results -->\n%s\n<!-- end of %s results -->\n' \
      "$heading" "$name" "$text" "$name" >>"$doc"
  fi
  echo "written to $doc"
}

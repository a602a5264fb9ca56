# shellcheck shell=bash
# What the benchmarks share: timing and waiting for the file system to settle, and for
# bench/run-firefox and bench/run-chromium, timing a browser's cache folder exported by
# murel against cp of the same folder, and writing the rows to docs/benchmarks.md. Sourced.

# Seconds of wall time of one command, to the millisecond.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  printf '%.3f' "$(echo "($end - $start) / 1000000000" | bc -l)"
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }
peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }

# delete_and_settle PATH...: deletes what of PATH exists, then waits until file creation runs
# at its usual speed. ext4 without a journal (this machine's) does not reuse an inode freed in
# the last 60 s, 5 minutes more while its inode table block has unwritten changes (as new files
# beside it give it), and scans past every such inode at each allocation: after the deletion of
# a tree of 10,000 files, creating files is up to ten times slower, for murel and cp alike. So
# nothing is deleted while the clock runs, and the timing starts 370 s after a deletion here, or
# 65 s after any other work's.
delete_and_settle() {
  local path settle=65
  for path in "$@"; do
    if [[ -e "$path" ]]; then
      rm -rf "$path"
      settle=370
    fi
  done
  sync
  echo "== waiting ${settle} s for the file system to settle"
  sleep "$settle"
}

# time_exports MUREL CACHE WORK RUNS: fills first, cpfirst, second and cpsecond with the seconds of
# each run of murel's first export of CACHE into WORK/out<n>, cp -r of CACHE into WORK/copy<n>,
# murel's second export onto the same, and cp -r -u onto the copy. Run from the rules folder.
time_exports() {
  local murel="$1" cache="$2" work="$3" runs="$4" run
  # The trees of the last run stay until here.
  delete_and_settle "$work"/out* "$work"/copy*
  first=() cpfirst=() second=() cpsecond=()
  for run in $(seq "$runs"); do
    echo "== run $run of $runs"
    # Which program goes first alternates: the file system's background work (writeback, the
    # discards of deleted trees) then weighs on both alike.
    if ((run % 2)); then
      sync
      first+=("$(seconds "$murel" -nm -c "$cache" "$work/out$run")")
      sync
      cpfirst+=("$(seconds cp -r --preserve=timestamps "$cache" "$work/copy$run")")
    else
      sync
      cpfirst+=("$(seconds cp -r --preserve=timestamps "$cache" "$work/copy$run")")
      sync
      first+=("$(seconds "$murel" -nm -c "$cache" "$work/out$run")")
    fi
    sync
    if ((run % 2)); then
      second+=("$(seconds "$murel" -nm -c "$cache" "$work/out$run")")
      cpsecond+=("$(seconds cp -r -u --preserve=timestamps "$cache/." "$work/copy$run/")")
    else
      cpsecond+=("$(seconds cp -r -u --preserve=timestamps "$cache/." "$work/copy$run/")")
      second+=("$(seconds "$murel" -nm -c "$cache" "$work/out$run")")
    fi
  done
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

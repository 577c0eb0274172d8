#!/usr/bin/env bash
# Runs a libFuzzer target for the tests of the fuzz build.
#   run-fuzzer.sh time   BINARY CORPUS REGRESSIONS ARTIFACTS SECONDS [FLAG...]
#     fuzzes for SECONDS from the seeds; new inputs go to a temporary folder,
#     so the committed corpus never changes; a failing input is saved in
#     ARTIFACTS (commit it under REGRESSIONS). FLAGs go to libFuzzer as they are.
#   run-fuzzer.sh replay BINARY CORPUS REGRESSIONS
#     runs every seed and every regression input once.
set -euo pipefail
mode=$1 binary=$2 corpus=$3 regressions=$4

# Limits of one input: a slow or memory-hungry input is a finding too.
limits=(-timeout=10 -rss_limit_mb=2048)

inputs=()
for dir in "$corpus" "$regressions"; do
  [ -d "$dir" ] && inputs+=("$dir")
done

case $mode in
time)
  artifacts=$5 seconds=$6
  shift 6
  mkdir -p "$artifacts"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  args=("${limits[@]}" -max_total_time="$seconds" -print_final_stats=1
        -artifact_prefix="$artifacts/" "$@")
  "$binary" "${args[@]}" "$work" "${inputs[@]}"
  ;;
replay)
  files=()
  for dir in "${inputs[@]}"; do
    while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$dir" -type f -print0 | sort -z)
  done
  [ ${#files[@]} -eq 0 ] && { echo "no inputs"; exit 1; }
  exec "$binary" "${limits[@]}" "${files[@]}"
  ;;
*)
  echo "usage: $0 time|replay ..." >&2
  exit 2
  ;;
esac

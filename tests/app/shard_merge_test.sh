#!/bin/sh
# Runs a small study whole and as three shards side by side under GNU parallel, as a user spreads
# one over machines, and checks that merging the shards gives the whole study's battles and its
# summary: finished and unfinished battles, wins per side and kills, exactly; and that --verify
# plays the shards' battles again to the same fingerprints.
# Usage: shard_merge_test.sh PATH/TO/battlesim-headless   (from the project root)
set -eu
headless=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$headless" --seeds 1-6 --battles 1 --json > "$work/whole.jsonl" 2> /dev/null
parallel --will-cite --jobs 3 \
  "'$headless' --seeds 1-6 --battles 1 --shard {}/3 --json > '$work/shard-{}.jsonl' 2> /dev/null" ::: 0 1 2
"$headless" --merge "$work/shard-0.jsonl" "$work/shard-1.jsonl" "$work/shard-2.jsonl" --json > "$work/merged.json"

# The same battle lines, whichever process ran them.
grep -hv '"summary"' "$work"/shard-*.jsonl | sort > "$work/shard-battles"
grep -v '"summary"' "$work/whole.jsonl" | sort > "$work/whole-battles"
if ! cmp -s "$work/shard-battles" "$work/whole-battles"; then
  echo "the shards' battle lines differ from the whole study's:" >&2
  diff "$work/shard-battles" "$work/whole-battles" >&2 || true
  exit 1
fi
test "$(wc -l < "$work/whole-battles")" -eq 6 || { echo "expected 6 battle lines" >&2; exit 1; }

# The whole study's counts and kills, from "finished" to the end of "kills", stand unchanged in
# the merged summary.
counts=$(sed -n 's/.*\("finished":.*"kills":{[^}]*}\).*/\1/p' "$work/whole.jsonl")
test -n "$counts" || { echo "no counts in the whole study's summary" >&2; exit 1; }
if ! grep -qF "$counts" "$work/merged.json"; then
  echo "merged summary: $(cat "$work/merged.json")" >&2
  echo "whole study's counts: $counts" >&2
  exit 1
fi
grep -q '"seeds_merged":6,' "$work/merged.json" || { echo "the merge did not count 6 seeds" >&2; exit 1; }

# A set with a shard missing is refused, naming the shard, with exit status 2.
status=0
"$headless" --merge "$work/shard-0.jsonl" "$work/shard-2.jsonl" > /dev/null 2> "$work/refusal" || status=$?
test "$status" -eq 2 || { echo "a merge without shard 1/3 ended with status $status" >&2; exit 1; }
grep -q '"shard" 1/3 of seeds 1-6 is missing' "$work/refusal" || { cat "$work/refusal" >&2; exit 1; }

# Every machine computed the same battles: the shards play again here, on two threads, to the
# same fingerprints.
"$headless" --verify "$work/shard-0.jsonl" "$work/shard-1.jsonl" "$work/shard-2.jsonl" --jobs 2 > "$work/verified" 2> /dev/null ||
  { cat "$work/verified" >&2; exit 1; }
grep -qx 'verified 6 battles of 6 seeds: all match' "$work/verified" || { cat "$work/verified" >&2; exit 1; }

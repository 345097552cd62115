#!/bin/sh
# tools/plot-tournament on standings without a single finished game says that no game finished,
# not that the tournament should be run with --json, which it was.
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/table.jsonl" <<'JSON'
{"seed":1,"game":1,"red":"a.lua","blue":"b.lua","winner":null,"unfinished":true,"seconds":5.008}
{"seed":1,"game":2,"red":"b.lua","blue":"a.lua","winner":null,"unfinished":true,"seconds":5.008}
{"rank":1,"strategy":"a.lua","games":2,"wins":0,"losses":0,"forfeits":0,"unfinished":2,"win_rate":null,"win_ci95":null}
{"rank":1,"strategy":"b.lua","games":2,"wins":0,"losses":0,"forfeits":0,"unfinished":2,"win_rate":null,"win_ci95":null}
JSON
status=0
tools/plot-tournament "$work/table.jsonl" "$work/chart.png" 2> "$work/said" || status=$?
test "$status" -eq 1 || { echo "exit status $status" >&2; exit 1; }
grep -q "no game in $work/table.jsonl finished (each ran out of time)" "$work/said" || { cat "$work/said" >&2; exit 1; }
test ! -e "$work/chart.png" || { echo "a chart was drawn" >&2; exit 1; }

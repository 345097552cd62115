#!/bin/sh
# A strategy script with a syntax error: the headless program exits 2 before any battle and says
# where, on one line.
set -u
program="$1"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
printf 'function on_squad_ready(battle, squad)\n  return {x = 1 z = 2}\nend\n' >"$folder/bad.lua"
"$program" --seed 1 --blue-general "$folder/bad.lua" >"$folder/out" 2>"$folder/err"
status=$?
[ "$status" -eq 2 ] || { echo "exit status $status, not 2"; exit 1; }
[ ! -s "$folder/out" ] || { echo "a battle ran:"; cat "$folder/out"; exit 1; }
[ "$(wc -l <"$folder/err")" -eq 1 ] || { echo "not one line:"; cat "$folder/err"; exit 1; }
grep -q "^battlesim-headless: $folder/bad.lua:2: '}' expected near 'z'$" "$folder/err" || { cat "$folder/err"; exit 1; }
echo "refused: $(cat "$folder/err")"

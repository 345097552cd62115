#!/usr/bin/env bash
# Runs a command against a private virtual display. Xvfb picks a free display number itself
# (-displayfd), so runs started side by side never race for the same one, and it does not reset
# when its last client leaves (-noreset): a test starting during such a reset would be refused.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r display_number <"$fifo"
export DISPLAY=":$display_number"
"$@"

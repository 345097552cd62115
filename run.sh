#!/usr/bin/env bash
# Installs what is missing, builds, and starts the battle window with the options given.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-packages.sh
# What the set-up and the build say goes to standard error: standard output is the program's own,
# which `--report --json` makes pure JSON lines.
ensure_packages "${BUILD_PACKAGES[@]}" >&2

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBATTLESIM_TESTS=OFF -DBATTLESIM_BENCH=OFF >/dev/null
# The headless program shares nearly all of its code with the window's: building it too costs a
# link, and the lab commands in README find it ready.
cmake --build build -j "$(nproc)" --target battlesim battlesim-headless >&2

# The help and a bad option need no display; the program answers them before opening its window.
needs_display=1
for argument in "$@"; do
  case "$argument" in -h | --help) needs_display=0 ;; esac
done
if [ "$needs_display" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "battlesim needs a display: none is set (DISPLAY is empty). On a machine without one, run it" \
       "under a virtual display: xvfb-run -a -s \"-screen 0 1280x1024x24\" ./run.sh" >&2
  exit 1
fi
exec build/battlesim "$@"

#!/usr/bin/env bash
# Makes the README's pictures from the project's own programs: the window in mid-battle with a
# unit selected (battlesim-shot, the end-to-end helpers, on a private Xvfb), the timeline chart
# of a seeded headless battle (tools/plot-timeline) and the Lanchester fit of it (tools/fit-lanchester).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBATTLESIM_TESTS=ON >/dev/null
cmake --build build -j "$(nproc)" --target battlesim battlesim-headless battlesim-shot
mkdir -p docs

timeline=$(mktemp --suffix=.csv)
trap 'rm -f "$timeline"' EXIT
build/battlesim-headless --seed 1 --timeline "$timeline" >/dev/null 2>&1
tools/plot-timeline "$timeline" docs/timeline.png 1
tools/fit-lanchester --plot docs/lanchester.png "$timeline" 1 >/dev/null

# Seed 1 at four times the speed: after 8 wall seconds the armies are locked in battle.
build/tests/battlesim-shot docs/window.png 8 auto auto --seed 1 --speed 4 >/dev/null 2>&1
# The editor on a shipped scenario, a squad placed by a click near the window's middle.
build/tests/battlesim-shot docs/editor.png 4 auto auto --edit "$PWD/scenarios/berserker-rush.toml" >/dev/null 2>&1
echo "wrote docs/window.png, docs/editor.png, docs/timeline.png and docs/lanchester.png"

#!/bin/sh
# Takes the scripted runs' golden captures again after a change to the screens
# that is meant: refresh_goldens.sh BUILD_DIR [FOLDER...]. Each run is the very
# test ctest runs (its settings file, seeds, hidden files, what it leaves
# behind), told by QUEN_REFRESH_GOLDENS=1 to copy its captures over the goldens
# rather than compare them; every other check of the run still holds. FOLDER
# names the folders under tests/e2e whose goldens are taken (game, frontend,
# design, ...), all of them by default; the whole game has its own script
# (wholegame/refresh_goldens.sh: it plays twice and keeps more than captures).
# The runs go one at a time, so the two-player runs' port is free. LOOK at
# every changed PNG before committing it.
set -e
build=$(cd "${1:?usage: refresh_goldens.sh BUILD_DIR [FOLDER...]}" && pwd)
shift
folders=${*:-"[a-z0-9_]*"}
# The default is a pattern for awk, not a file name for the shell to expand.
set -f
pattern=$(echo $folders | sed 's/ /|/g')
set +f
# The tests whose command line names a golden folder of those asked for, or a
# script of such a folder that compares its captures itself (the e-mail turns).
names=$(ctest --test-dir "$build" -N -V | awk -v want="/e2e/($pattern)/(golden[\"/ ]|[a-z_]+\\.sh)" '
  /^[0-9]+: Test command:/ { split($1, n, ":"); if ($0 ~ want) picked[n[1]] = 1 }
  /^ *Test +#[0-9]+:/ { split($2, n, "#"); sub(":", "", n[2]); if (picked[n[2]]) print $3 }')
if [ -z "$names" ]; then
  echo "no scripted run keeps goldens in: $folders" >&2
  exit 1
fi
regex="^($(echo $names | sed 's/\./\\./g; s/ /|/g'))\$"
QUEN_REFRESH_GOLDENS=1 ctest --test-dir "$build" -R "$regex" -E "^Quenbar\.WholeGame" -j1 --output-on-failure

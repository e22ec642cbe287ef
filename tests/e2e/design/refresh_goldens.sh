#!/bin/sh
# Writes the design chamber runs' golden captures again from a build folder,
# after a change to the screen that is meant: refresh_goldens.sh BUILD_DIR
set -e
build=$(cd "${1:?usage: refresh_goldens.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work="$build/gamedata/c/QUENBAR"
cd "$work"
run() {
  cp "$here/../game/UserInfo.dat" UserInfo.dat
  # The runs end in play and are told to quit.
  QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 QUENBAR_SEED=7 "$build/Game/quenbar" --headless \
    --script "$here/$1.txt" || true
  rm -f SAVE/autosave.* SAVE/asavebak.*
}
rm -f chamber_*.png late_*.png
run chamber_pages
run chamber_fitting
cp chamber_*.png "$here/golden/"
"$build/tools/lategame/quenlategame" "$build/data/rules" "$build/Game/quenbar.dll" "$build/lategame" 150
cp "$build/lategame/Late Game.scn" "$build/lategame/Late Game.svr" SCENARIO/
run late_chamber
rm -f "SCENARIO/Late Game.scn" "SCENARIO/Late Game.svr"
cp late_chamber.png late_upgrade*.png late_research_*.png late_chooser_*.png "$here/golden/"
echo "refreshed: $(ls "$here/golden")"

#!/bin/sh
# Writes the late-game run's golden captures again from a build folder, after
# a change to the screen that is meant: refresh_goldens.sh BUILD_DIR
set -e
build=$(cd "${1:?usage: refresh_goldens.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
out="$build/lategame"
"$build/tools/lategame/quenlategame" "$build/data/rules" "$build/Game/quenbar.dll" "$out" 150
cd "$build/gamedata/c/QUENBAR"
cp "$out/Late Game.scn" "$out/Late Game.svr" SCENARIO/
rm -f late_*.png
cp "$here/../game/UserInfo.dat" UserInfo.dat
# The run ends in play and is told to quit.
QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 QUENBAR_SEED=7 "$build/Game/quenbar" --headless \
  --script "$here/late_game.txt" || true
rm -f "SCENARIO/Late Game.scn" "SCENARIO/Late Game.svr" SAVE/autosave.* SAVE/asavebak.*
mkdir -p "$here/golden"
cp late_*.png "$here/golden/"
echo "refreshed: $(ls "$here/golden")"

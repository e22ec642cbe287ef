#!/bin/sh
# Writes the game screen's golden captures again from a build folder, after a
# change to the screen that is meant: refresh_goldens.sh BUILD_DIR
set -e
build=${1:?usage: refresh_goldens.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
cd "$build/gamedata/c/QUENBAR"
rm -f game_*.png notify_*.png
cp "$here/UserInfo.dat" UserInfo.dat
# The run ends in play and is told to quit.
QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 "$build/Game/quenbar" --headless \
  --script "$here/game_screen.txt" || true
rm -f SAVE/autosave.* SAVE/asavebak.*
QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 "$build/Game/quenbar" --headless \
  --script "$here/notify_panel.txt" || true
# The played turn leaves autosaves the other runs must not find.
rm -f SAVE/autosave.* SAVE/asavebak.*
cp game_*.png notify_*.png "$here/golden/"
echo "refreshed: $(ls "$here/golden")"

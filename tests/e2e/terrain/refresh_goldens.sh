#!/bin/sh
# Writes the terrain runs' golden captures again from a build folder, after a
# change to the screen that is meant: refresh_goldens.sh BUILD_DIR
set -e
build=$(cd "${1:?usage: refresh_goldens.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cd "$build/gamedata/c/QUENBAR"
for run in "atv_landing:terrain_facility.png terrain_zone_built.png terrain_pickup_bar.png terrain_landing_bar.png terrain_replay_landing.png terrain_replay_end.png terrain_landed.png terrain_battle_start.png terrain_battle_fire.png terrain_battle_end.png terrain_battle_end_filter.png terrain_home_held.png"; do
  script=${run%%:*}
  captures=${run#*:}
  rm -f $captures
  cp "$here/../game/UserInfo.dat" UserInfo.dat
  # The runs end in play and are told to quit.
  QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 QUENBAR_SEED=7 "$build/Game/quenbar" --headless \
    --script "$here/$script.txt" || true
  rm -f SAVE/autosave.* SAVE/asavebak.*
  cp $captures "$here/golden/"
done
echo "refreshed: $(ls "$here/golden")"

#!/bin/sh
# Writes the game runs' golden captures again from a build folder, after a
# change to the screen that is meant: refresh_goldens.sh BUILD_DIR
set -e
build=$(cd "${1:?usage: refresh_goldens.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cd "$build/gamedata/c/QUENBAR"
# Each run: its script and the captures it makes.
for run in "game_screen:game_*.png" "order_menus:order_menu_*.png" "notify_panel:notify_*.png" "info_pages:info_*.png" \
  "save_and_load:saved_game.png load_screen.png" "data_panel:data_*.png" "solar_view:solar_*.png" \
  "solar_orders:solar_orders_*.png" "order_notice_offer:played_*.png" "terrain_surface:terrain_*.png" "asteroid_space:space_*.png" \
  "design_chamber:design_*.png" "asteroid_orders:scan_*.png" \
  "asteroid_builds:build_*.png scrap_*.png" "solar_positions:solar_positions.png" \
  "context_help:context_help_*.png" "reviewdesign_chamber:reviewdesign_*.png" \
  "review10_filters:review10_*.png" "faults5_tooltip:faults5_tip_*.png" \
  "politics_pages:politics_*.png" "research_in_play:research_*.png" \
  "dialogs_in_play:dialogs_*.png"; do
  script=${run%%:*}
  captures=${run#*:}
  rm -f $captures
  cp "$here/UserInfo.dat" UserInfo.dat
  # The runs end in play and are told to quit.
  QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 QUENBAR_SEED=7 "$build/Game/quenbar" --headless \
    --script "$here/$script.txt" || true
  # The played turns and saves leave files the other runs must not find.
  rm -f SAVE/autosave.* SAVE/asavebak.* SAVE/midgame.* SAVE/positions.* TEMPLATE/reviewdesign.tpl
  cp $captures "$here/golden/"
done
echo "refreshed: $(ls "$here/golden")"

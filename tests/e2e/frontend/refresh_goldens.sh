#!/bin/sh
# Writes the front end's golden captures again from a build folder, after a
# change to the screens that is meant: refresh_goldens.sh BUILD_DIR
set -e
build=${1:?usage: refresh_goldens.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work="$build/gamedata/c/QUENBAR"
cd "$work"
rm -f fe_*.png
for script in screens email serial refused quickstart quickstart_game quickstart_resume quickstart_damaged scenario_list tutorial first_start setup_walk prefs_load; do
  if [ "$script" = first_start ]; then rm -f UserInfo.dat; else cp "$here/UserInfo.dat" UserInfo.dat; fi
  # The runs into a loaded game run as the game screen's run does, without
  # the frame's animations; the refused quick start without the scenario.
  seed=
  case $script in quickstart_game|quickstart_resume|quickstart_damaged|scenario_list) cp "$here/../game/UserInfo.dat" UserInfo.dat; seed=7 ;; esac
  if [ "$script" = quickstart ]; then for f in SCENARIO/QikStart.clt SCENARIO/QikStart.svr; do mv "$f" "$f.hidden"; done; fi
  # The quick start after a save remembers the save in the registry file.
  cp "$build/gamedata/config/registry.reg" registry.before
  if [ "$script" = quickstart_damaged ]; then
    printf 'not a saved game' > SAVE/damaged.clt
    sed -i 's/"QUICKSTARTFILE"=""/"QUICKSTARTFILE"="damaged.clt"/' "$build/gamedata/config/registry.reg"
  fi
  # The walk into a started game is told to quit at its end.
  QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=$seed QUENBAR_SEED=$seed "$build/Game/quenbar" --headless \
    --script "$here/$script.txt" || [ "$script" = setup_walk ]
  if [ "$script" = quickstart ]; then for f in SCENARIO/QikStart.clt SCENARIO/QikStart.svr; do mv "$f.hidden" "$f"; done; fi
  mv registry.before "$build/gamedata/config/registry.reg"
  rm -f SAVE/autosave.* SAVE/asavebak.* "SAVE/my game".* SAVE/damaged.clt
done
cp fe_*.png "$here/golden/"
echo "refreshed: $(ls "$here/golden")"

#!/bin/sh
# Writes the front end's golden captures again from a build folder, after a
# change to the screens that is meant: refresh_goldens.sh BUILD_DIR
set -e
build=${1:?usage: refresh_goldens.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work="$build/gamedata/c/QUENBAR"
cd "$work"
rm -f fe_*.png
for script in screens email serial refused quickstart tutorial first_start setup_walk prefs_load; do
  if [ "$script" = first_start ]; then rm -f UserInfo.dat; else cp "$here/UserInfo.dat" UserInfo.dat; fi
  # The walk into a started game is told to quit at its end.
  QUENBAR_CONFIG_DIR="$build/gamedata/config" "$build/Game/quenbar" --headless --script "$here/$script.txt" ||
    [ "$script" = setup_walk ]
done
cp fe_*.png "$here/golden/"
echo "refreshed: $(ls "$here/golden")"

#!/bin/sh
# Writes the whole-game run's golden captures and "hiscore.dat" again from a
# build folder, after a change to the screens that is meant:
# refresh_goldens.sh BUILD_DIR. The game is played twice; nothing is written
# unless both runs end well and leave the same bytes. Then once more over the
# damaged "hiscore.dat" for that variant's table and file, and once with the
# battle's replay file deleted for that variant's view. LOOK at every changed
# PNG before committing it.
set -e
build=$(cd "${1:?usage: refresh_goldens.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cd "$build/gamedata/c/QUENBAR"
captures=$(sed -n 's/^capture //p' "$here/wholegame.txt")
models=$(sed -n 's/^model //p' "$here/wholegame.txt")
for run in 1 2; do
  rm -f SAVE/autosave.* SAVE/asavebak.* SAVE/wholegame.* hiscore.dat $captures $models
  cp "$here/../game/UserInfo.dat" UserInfo.dat
  if ! QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 QUENBAR_SEED=7 "$build/Game/quenbar" --headless \
    --script "$here/wholegame.txt" 2>"run$run.err" || grep -q "script line\|told to quit" "run$run.err"; then
    cat "run$run.err"
    echo "run $run did not end well: nothing refreshed" >&2
    exit 1
  fi
  rm -rf "refresh_run$run" && mkdir "refresh_run$run"
  mv $captures $models hiscore.dat "refresh_run$run/"
  rm -f "run$run.err"
done
for file in $captures $models hiscore.dat; do
  if ! cmp -s "refresh_run1/$file" "refresh_run2/$file"; then
    echo "$file differs between two runs: nothing refreshed" >&2
    exit 1
  fi
done
rm -f SAVE/autosave.* SAVE/asavebak.* SAVE/wholegame.* $captures $models
cp "$here/../game/UserInfo.dat" UserInfo.dat
cp "$here/data/hiscore_damaged.dat" hiscore.dat
if ! QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 QUENBAR_SEED=7 "$build/Game/quenbar" --headless \
  --script "$here/wholegame.txt" 2>damaged.err || grep -q "script line\|told to quit" damaged.err; then
  cat damaged.err
  echo "the game over the damaged table did not end well: nothing refreshed" >&2
  exit 1
fi
rm -f damaged.err
rm -rf refresh_damaged && mkdir refresh_damaged
mv wg_hiscore.png hiscore.dat refresh_damaged/
rm -f SAVE/autosave.* SAVE/asavebak.* SAVE/wholegame.* hiscore.dat $captures $models
cp "$here/../game/UserInfo.dat" UserInfo.dat
if ! QUENBAR_CONFIG_DIR="$build/gamedata/config" QUENSRVR_SEED=7 QUENBAR_SEED=7 sh "$here/delete_replays_at.sh" \
  wg_rpl_marker.png "$build/Game/quenbar" --headless --script "$here/without_replay.txt" 2>no_replay.err ||
  grep -q "script line\|told to quit" no_replay.err; then
  cat no_replay.err
  echo "the game without its replay file did not end well: nothing refreshed" >&2
  exit 1
fi
rm -f no_replay.err wg_rpl_marker.png
cp refresh_run1/*.png "$here/golden/"
cp refresh_run1/hiscore.dat "$here/golden/hiscore.dat"
# The game data the views' benchmark draws (bench/wholegame_views.cpp).
cp refresh_run1/wg_model_saved.bin "$here/data/wg_model.bin"
cp refresh_damaged/wg_hiscore.png refresh_damaged/hiscore.dat "$here/golden/damaged_hiscore/"
mv wg_no_replay.png "$here/golden/"
rm -rf refresh_run1 refresh_run2 refresh_damaged SAVE/autosave.* SAVE/asavebak.* SAVE/wholegame.* hiscore.dat $captures $models
echo "refreshed: $captures hiscore.dat, damaged_hiscore/wg_hiscore.png and hiscore.dat, data/wg_model.bin, wg_no_replay.png"

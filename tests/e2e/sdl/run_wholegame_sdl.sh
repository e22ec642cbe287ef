#!/bin/sh
# The whole-game script played once through scripts/play in a real SDL window
# on a virtual X display, on the real clock, for a person to check by eye and
# ear: run_wholegame_sdl.sh OUT_DIR [DISPLAY_NUMBER] [SHOT_EVERY_S].
# It leaves in OUT_DIR: the script's captures and how each differs from the
# headless goldens (compare -metric AE, 0 = equal, and a picture of the
# difference), screenshots of the display taken every SHOT_EVERY_S seconds
# while the game runs (shot_*.png, named by their second), the sound the game
# played (sound.raw from SDL's disk driver, 44100 Hz, stereo, signed 16-bit,
# and sound.wav), and sound.txt: levels and the stretches of sound, placed
# against the captures' moments. Between two captures, the battles' replays by
# default, screenshots are taken faster, every BURST_EVERY seconds (0.2), to
# see the motion: replay/shot_SSSS.S.jpg; BURST_FROM and BURST_TO name the
# captures (wg_terrain_attack.png and wg_terrain_battle_end.png). Ends 0 when
# the script met every wait and every capture equals its golden, 1 otherwise.
set -u
out=$(mkdir -p "${1:?usage: run_wholegame_sdl.sh OUT_DIR [DISPLAY_NUMBER] [SHOT_EVERY_S]}" && cd "$1" && pwd)
number=${2:-77}
every=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
wholegame=$root/tests/e2e/wholegame
install=$root/build/default/gamedata/c/QUENBAR
captures=$(sed -n 's/^capture //p' "$wholegame/wholegame.txt")
models=$(sed -n 's/^model //p' "$wholegame/wholegame.txt")
burst_from=${BURST_FROM:-wg_terrain_attack.png}
burst_to=${BURST_TO:-wg_terrain_battle_end.png}
burst_every=${BURST_EVERY:-0.2}

# The same start as the headless runs: no saves of this game, the game runs'
# settings file, no high-score file, no captures left over.
lay_out() {
  [ -d "$install" ] || return 0
  (cd "$install" && rm -f SAVE/autosave.* SAVE/asavebak.* SAVE/wholegame.* hiscore.dat $captures $models)
}

rm -rf "$out"/shot_*.png "$out"/*.diff.png "$out"/sound.* "$out"/run.log "$out/replay"
mkdir -p "$out/replay"
Xvfb ":$number" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game=
burst=
trap 'kill $xvfb 2>/dev/null; [ -n "$game" ] && kill $game 2>/dev/null; [ -n "$burst" ] && kill $burst 2>/dev/null; lay_out' EXIT
export DISPLAY=":$number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/sound.raw"
export QUENSRVR_SEED=7 QUENBAR_SEED=7
# scripts/play builds what is missing first: the run's clock starts after.
"$root/scripts/play" --help >/dev/null || exit 1
lay_out
cp "$root/tests/e2e/game/UserInfo.dat" "$install/UserInfo.dat"
started=$(date +%s.%N)
"$root/scripts/play" --windowed --script "$wholegame/wholegame.txt" >"$out/run.log" 2>&1 &
game=$!
# The sound file starts when the game opens its audio: the moments count from there.
for _ in $(seq 600); do
  [ -e "$out/sound.raw" ] && break
  kill -0 $game 2>/dev/null || break
  sleep 0.1
done
started=$(date +%s.%N)
# The fast shots: from the moment the first capture is written until the
# second is (or the game ends). Each waits out what is left of its period.
(
  while [ ! -e "$install/$burst_from" ]; do
    kill -0 $game 2>/dev/null || exit 0
    sleep 0.1
  done
  while [ ! -e "$install/$burst_to" ] && kill -0 $game 2>/dev/null; do
    shot=$(date +%s.%N)
    second=$(echo "$shot $started" | awk '{ printf "%06.1f", $1 - $2 }')
    import -window root -quality 85 "$out/replay/shot_$second.jpg" 2>/dev/null
    rest=$(echo "$(date +%s.%N) $shot $burst_every" | awk '{ r = $3 - ($1 - $2); printf "%.3f", (r > 0 ? r : 0) }')
    sleep "$rest"
  done
) &
burst=$!
while kill -0 $game 2>/dev/null; do
  sleep "$every"
  second=$(echo "$(date +%s.%N) $started" | awk '{ printf "%04d", $1 - $2 }')
  import -window root "$out/shot_$second.png" 2>/dev/null
done
wait $game
status=$?
game=
wait $burst
burst=
echo "$(ls "$out/replay" | wc -l) fast shots in $out/replay" | tee -a "$out/run.log"
ended=$(date +%s.%N)
echo "the game ended with $status after $(echo "$ended $started" | awk '{ printf "%.0f", $1 - $2 }') s" | tee -a "$out/run.log"
failed=0
if [ $status -ne 0 ] || grep -q "script line\|told to quit" "$out/run.log"; then
  echo "the script did not end well:"
  grep "script line\|told to quit" "$out/run.log"
  failed=1
fi

# Each capture against its golden, and its moment for the sound report.
: >"$out/moments.txt"
for file in $captures; do
  if [ ! -f "$install/$file" ]; then
    echo "$file: not written"
    failed=1
    continue
  fi
  mv "$install/$file" "$out/$file"
  echo "$(stat -c %.3Y "$out/$file" | awk -v s="$started" '{ printf "%.1f", $1 - s }') $file" >>"$out/moments.txt"
  golden=$wholegame/golden/$file
  [ -f "$golden" ] || { echo "$file: no golden"; continue; }
  differing=$(compare -metric AE "$out/$file" "$golden" "$out/${file%.png}.diff.png" 2>&1 >/dev/null)
  echo "$file: $differing pixels differ"
  if [ "$differing" = 0 ]; then
    rm -f "$out/${file%.png}.diff.png"
  else
    failed=1
  fi
done

if [ -s "$out/sound.raw" ]; then
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$out/sound.raw" "$out/sound.wav"
  python3 "$here/sound_report.py" "$out/sound.raw" "$out/moments.txt" >"$out/sound.txt"
  cat "$out/sound.txt"
else
  echo "no sound was written"
  failed=1
fi
exit $failed

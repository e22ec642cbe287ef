#!/bin/sh
# A short script played in a real SDL window on a virtual X display:
#   run_window_script.sh QUENBAR INSTALL_FOLDER USERINFO GOLDEN_DIR
# The run must end by itself with every wait met; its captures must equal the
# headless goldens; the display, looked at while the single-player screen
# stands, must show that capture (all but the game's cursor drawn over it);
# and what the game played (SDL's disk driver) must be heard: the screens'
# sounds reach the audio output.
quenbar=$1 install=$2 userinfo=$3 golden=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/own_display.sh"
work=$(mktemp -d)
game=
trap 'kill $xvfb $game 2>/dev/null; rm -f "$install/fe_title.png" "$install/fe_single.png" "$install/window_look.png"; rm -rf "$work"' EXIT
own_display 800x600 || { echo "no virtual display answered"; exit 1; }
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw"
unset SDL_VIDEODRIVER
cp "$userinfo" "$install/UserInfo.dat"
rm -f "$install/fe_title.png" "$install/fe_single.png" "$install/window_look.png"
cd "$install" || exit 1
"$quenbar" --windowed --script "$here/window_script.txt" >"$work/log" 2>&1 &
game=$!
# The display while the single-player screen stands: the script waits until
# it has been looked at. The cursor (at most 32 x 32) is the only thing the
# window adds.
await '[ -f window_look.png ] || ! kill -0 $game 2>/dev/null' 600
looks_alike() {
  import -window root "$work/display.png" 2>/dev/null || return 1
  shown=$(compare -metric AE "$work/display.png" fe_single.png null: 2>&1)
  case "$shown" in ''|*[!0-9]*) return 1 ;; esac
  [ "$shown" -le 1024 ]
}
[ -f window_look.png ] && await looks_alike 300
rm -f window_look.png
await '! kill -0 $game 2>/dev/null' 300
if kill -0 $game 2>/dev/null; then
  echo "the program did not end by itself"; cat "$work/log"; exit 1
fi
wait $game
status=$?
game=
if [ $status -ne 0 ] || grep -q "script line\|told to quit\|no window could be opened" "$work/log"; then
  echo "the run ended with $status:"; cat "$work/log"; exit 1
fi
failed=0
for file in fe_title.png fe_single.png; do
  differing=$(compare -metric AE "$file" "$golden/$file" null: 2>&1)
  echo "$file: $differing pixels differ from the headless golden"
  [ "$differing" = 0 ] || failed=1
done
echo "the display differs from the capture in ${shown:-all} pixels"
case "$shown" in
  ''|*[!0-9]*) failed=1 ;;
  *) [ "$shown" -le 1024 ] || failed=1 ;;
esac
level=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$work/sound.raw" -n stat 2>&1 | sed -n 's/^Maximum amplitude: *//p')
echo "the sound's peak: ${level:-none} of full scale"
echo "${level:-0}" | awk '{ exit !($1 > 0.1) }' || failed=1
[ $failed -eq 0 ] && echo "played in a window as headless"
exit $failed

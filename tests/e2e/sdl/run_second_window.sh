#!/bin/sh
# Two windows of the game on a virtual X display with no window manager:
#   run_second_window.sh QUENBAR INSTALL_FOLDER USERINFO
# A second window opens over the first one's title, takes the keyboard and
# quits. Nobody gives the keyboard back: a click in the first window must take
# it, so that Escape typed then ends the first program.
quenbar=$1 install=$2
. "$(cd "$(dirname "$0")" && pwd)/own_display.sh"
work=$(mktemp -d)
trap 'kill $xvfb $first 2>/dev/null; rm -f "$install"/keys_?.png; rm -rf "$work"' EXIT
own_display 800x600 || { echo "no virtual display answered"; exit 1; }
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
cp "$3" "$install/UserInfo.dat"
cd "$install" || exit 1
# A capture tells that a program's title is up; the second then quits.
printf 'wait dialog IDD_MAIN 60000\ncapture keys_1.png\n' >"$work/first.txt"
printf 'wait dialog IDD_MAIN 60000\ncapture keys_2.png\nkey ESCAPE\n' >"$work/second.txt"
QUENBAR_SCRIPT_GRACE=600000 "$quenbar" --windowed --script "$work/first.txt" >"$work/log" 2>&1 &
first=$!
await '[ -f keys_1.png ]' || { echo "the first window showed no title"; cat "$work/log"; exit 1; }
window=$(xdotool search --name '^Quenbar$')
"$quenbar" --windowed --script "$work/second.txt" >/dev/null 2>&1 || { echo "the second program failed"; exit 1; }
xdotool mousemove 700 100 click 1
await '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]' ||
  { echo "a click did not give the first window the keyboard"; exit 1; }
xdotool key Escape
await '! kill -0 $first 2>/dev/null' || { echo "Escape typed into the first window did not end it"; exit 1; }
wait $first
status=$?
first=
if [ $status -ne 0 ] || grep -q "script line\|told to quit" "$work/log"; then
  echo "the first program ended with $status:"; cat "$work/log"; exit 1
fi
echo "the keyboard came back to the first window with a click"

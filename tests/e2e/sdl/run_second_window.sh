#!/bin/sh
# Two windows of the game on a virtual X display with no window manager:
#   run_second_window.sh QUENBAR INSTALL_FOLDER USERINFO DISPLAY_NUMBER
# The first stands at the title; a second opens over it, takes the keyboard
# and quits. Nobody gives the keyboard back, so a click in the first window
# must take it, and Escape typed then must end the first program.
quenbar=$1 install=$2 userinfo=$3 number=$4
work=$(mktemp -d)
Xvfb ":$number" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
first= second=
trap 'kill $xvfb 2>/dev/null; for p in $first $second; do kill $p 2>/dev/null; done
  rm -f "$install/keys_first.png" "$install/keys_second.png"; rm -rf "$work"' EXIT
export DISPLAY=":$number" SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cp "$userinfo" "$install/UserInfo.dat"
rm -f "$install/keys_first.png" "$install/keys_second.png"
printf 'wait dialog IDD_MAIN 60000\ncapture keys_first.png\n' >"$work/first.txt"
printf 'wait dialog IDD_MAIN 60000\ncapture keys_second.png\nkey ESCAPE\n' >"$work/second.txt"
cd "$install" || exit 1

# Until FILE exists (the program of PID still running), at most a minute.
await_file() {
  for _ in $(seq 600); do
    [ -f "$1" ] && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# Until the program of PID has ended, at most TENTHS tenths of a second.
await_end() {
  for _ in $(seq "$2"); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# The first program stays after its script until Escape ends it.
QUENBAR_SCRIPT_GRACE=600000 "$quenbar" --windowed --script "$work/first.txt" >"$work/first.log" 2>&1 &
first=$!
await_file keys_first.png $first || { echo "the first window showed no title"; cat "$work/first.log"; exit 1; }
window=$(xdotool search --name '^Quenbar$' | head -n 1)
[ -n "$window" ] || { echo "the first program has no window"; exit 1; }

"$quenbar" --windowed --script "$work/second.txt" >"$work/second.log" 2>&1 &
second=$!
await_file keys_second.png $second || { echo "the second window showed no title"; cat "$work/second.log"; exit 1; }
await_end $second 600 || { echo "the second program did not end with Escape"; exit 1; }
second=

# The second window is gone; the click lands in the first.
xdotool mousemove 700 100 click 1
focused=
for _ in $(seq 100); do
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && { focused=1; break; }
  sleep 0.1
done
[ -n "$focused" ] || { echo "a click did not give the first window the keyboard"; exit 1; }
xdotool key Escape
if ! await_end $first 300; then
  echo "Escape typed into the first window did not end it"; cat "$work/first.log"; exit 1
fi
wait $first
status=$?
first=
if [ $status -ne 0 ] || grep -q "script line\|told to quit" "$work/first.log"; then
  echo "the first program ended with $status:"; cat "$work/first.log"; exit 1
fi
echo "the keyboard came back to the first window with a click"

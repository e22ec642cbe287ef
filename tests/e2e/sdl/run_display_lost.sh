#!/bin/sh
# A game in a window whose X server ends under it, and one told SIGTERM at the
# title: each must end within 10 s, say why on standard error and exit with
# its code (6, 143), with no sanitizer report and its game server ended too.
#   run_display_lost.sh QUENBAR INSTALL_FOLDER USERINFO
quenbar=$1 install=$2 userinfo=$3
. "$(cd "$(dirname "$0")" && pwd)/own_display.sh"
work=$(mktemp -d)
trap 'kill -9 $game $xvfb 2>/dev/null; rm -rf "$work"; cd "$install" && rm -f lost.png SAVE/autosave.* SAVE/asavebak.*' EXIT
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
# At the title, or in the quick start's game on a server of its own.
printf 'wait dialog IDD_MAIN\nsleep 300\ncapture lost.png\nsleep 600000 real\n' >"$work/title.txt"
printf 'wait dialog IDD_MAIN\nsleep 300\nclick 140 370\nwait packet 0 120000\nwait closed IDD_INITIALIZING 120000
wait frames 30\ncapture lost.png\nsleep 600000 real\n' >"$work/play.txt"
cp "$userinfo" "$install/UserInfo.dat"
cd "$install" || exit 1

# Starts the program in a window of a display of its own under SCRIPT and
# waits for its capture: the window shows it.
start() {
  rm -f lost.png
  own_display 800x600 || { echo "no virtual display answered"; exit 1; }
  "$quenbar" --windowed --script "$work/$1" >"$work/log" 2>&1 &
  game=$!
  await '[ -f lost.png ] || ! kill -0 $game 2>/dev/null' 1800
  [ -f lost.png ] || { echo "$1 did not reach its capture:"; cat "$work/log"; exit 1; }
}

# The program has ended within 10 s with CODE, having said WORDS.
ended() {
  await '! kill -0 $game 2>/dev/null' 100
  kill -9 $game 2>/dev/null && { echo "still running 10 s later"; cat "$work/log"; exit 1; }
  wait $game
  status=$? game=
  cat "$work/log"
  [ $status -eq "$1" ] && grep -q "$2" "$work/log" && ! grep -q "Sanitizer\|runtime error" "$work/log" ||
    { echo "the program ended with $status"; exit 1; }
}

start play.txt
server=$(pgrep -P $game)
kill $xvfb
ended 6 "the connection to the display :[0-9]* was lost"
case "${server:-none} $(ps -o stat= -p "${server:-1}")" in
  none*|*[RSD]*) echo "the game server ${server:-none} was not ended with the game"; exit 1 ;;
esac
echo "the lost display ended the game and its server"
start title.txt
kill -TERM $game
ended 143 "ended by SIGTERM"
echo "SIGTERM ended the program at the title"

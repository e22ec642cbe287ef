#!/bin/sh
# A game in a window whose X server ends under it, and one told SIGTERM at the
# title: each must end at once, say why on standard error and exit with its
# code (6 for the lost display, 143 for the signal), with no sanitizer report
# and no game server of its own left running. Usage:
#   run_display_lost.sh QUENBAR INSTALL_FOLDER USERINFO
quenbar=$1 install=$2 userinfo=$3
work=$(mktemp -d)
xvfb= game=
trap '[ -n "$game" ] && kill -9 $game 2>/dev/null; [ -n "$xvfb" ] && kill $xvfb 2>/dev/null
  rm -f "$install/lost_title.png" "$install/lost_play.png" "$install"/SAVE/autosave.* "$install"/SAVE/asavebak.*
  rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
cat >"$work/title.txt" <<'EOF'
wait dialog IDD_MAIN
sleep 300
capture lost_title.png
sleep 600000 real
EOF
# The quick start into the instant-action scenario, on a server of its own.
cat >"$work/play.txt" <<'EOF'
wait dialog IDD_MAIN
sleep 300
click 140 370
wait packet 0 120000
wait closed IDD_INITIALIZING 120000
wait frames 30
capture lost_play.png
sleep 600000 real
EOF
cp "$userinfo" "$install/UserInfo.dat"
cd "$install" || exit 1

# Starts the program on a display of its own under SCRIPT and waits for its
# capture CAPTURE, which the window shows too.
start() {
  rm -f "$work/display" "$2"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  DISPLAY=":$(cat "$work/display")" "$quenbar" --windowed --script "$work/$1" >"$work/log" 2>&1 &
  game=$!
  for _ in $(seq 1800); do
    [ -f "$2" ] && return 0
    kill -0 $game 2>/dev/null || break
    sleep 0.1
  done
  echo "$2 was not captured:"; cat "$work/log"; exit 1
}

# Waits at most 10 s for the program to end with CODE, having said WORDS.
ended() {
  for _ in $(seq 100); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
  if kill -0 $game 2>/dev/null; then
    echo "$3: the program still runs 10 s later"; cat "$work/log"; exit 1
  fi
  wait $game
  status=$?
  game=
  cat "$work/log"
  if [ $status -ne "$1" ] || ! grep -q "$2" "$work/log" || grep -q "Sanitizer\|runtime error" "$work/log"; then
    echo "$3: the program ended with $status"; exit 1
  fi
}

start play.txt lost_play.png
servers=$(pgrep -P $game)
[ -n "$servers" ] || { echo "no game server runs under the game"; exit 1; }
kill $xvfb
xvfb=
ended 6 "the connection to the display :[0-9]* was lost" "display lost"
for pid in $servers; do
  case "$(ps -o stat= -p "$pid")" in
    ''|Z*) ;;
    *) echo "the game server $pid outlived the program"; exit 1 ;;
  esac
done
echo "the lost display ended the game and its server"

start title.txt lost_title.png
kill -TERM $game
ended 143 "ended by SIGTERM" "SIGTERM"
echo "SIGTERM ended the program at the title"

#!/bin/sh
# Full screen on a desktop larger than the game's 800 x 600: under Xvfb with no
# window manager, the picture must fill the display (scaled whole, its shape
# kept) and a click must land where the button is drawn. Usage:
#   run_fullscreen.sh QUENBAR INSTALL_FOLDER USERINFO WIDTH HEIGHT DISPLAY_NUMBER
# The Quit button (400, 444 on the 800 x 600 screen) is clicked where it is
# shown on the display; the program must end by itself.
quenbar=$1 install=$2 userinfo=$3 width=$4 height=$5 number=$6
work=$(mktemp -d)
Xvfb ":$number" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "$game" ] && kill $game 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=":$number" SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cp "$userinfo" "$install/UserInfo.dat"
cd "$install" || exit 1
"$quenbar" --fullscreen >"$work/log" 2>&1 &
game=$!
# Where the picture lies: as large as fits, centred.
scale=$(echo "$width $height" | awk '{ s = $1 / 800; if ($2 / 600 < s) s = $2 / 600; print s }')
left=$(echo "$width $scale" | awk '{ print int(($1 - 800 * $2) / 2) }')
top=$(echo "$height $scale" | awk '{ print int(($1 - 600 * $2) / 2) }')
# The picture's bottom right corner shows the title, not the black outside it,
# once the title is up (a loaded machine takes its time: up to a minute and a
# half, each look at a large display costing a second or more there).
shown=
for _ in $(seq 180); do
  sleep 0.5
  import -window root "$work/shot.png" 2>/dev/null || continue
  corner=$(convert "$work/shot.png" -format "%[pixel:p{$((width - left - 5)),$((height - top - 5))}]" info:)
  case "$corner" in
    *"black"*|"srgb(0,0,0)") ;;
    *) shown=1; break ;;
  esac
done
[ -n "$shown" ] || { echo "the picture does not fill the display: $corner at its corner"; exit 1; }
sleep 1
x=$(echo "$left $scale" | awk '{ print int($1 + 400 * $2) }')
y=$(echo "$top $scale" | awk '{ print int($1 + 444 * $2) }')
xdotool mousemove "$x" "$y"
sleep 0.5
xdotool click 1
for _ in $(seq 100); do
  if ! kill -0 $game 2>/dev/null; then
    wait $game
    game=
    echo "quit by a click at $x $y on a ${width} x ${height} display"
    exit 0
  fi
  sleep 0.1
done
echo "a click on Quit at $x $y did not end the program"; cat "$work/log"
exit 1

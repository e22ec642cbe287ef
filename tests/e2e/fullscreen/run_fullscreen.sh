#!/bin/sh
# Full screen on a desktop larger than the game's 800 x 600: under Xvfb with no
# window manager, the picture must fill the display (scaled whole, its shape
# kept) and a click must land where the button is drawn. Usage:
#   run_fullscreen.sh QUENBAR INSTALL_FOLDER USERINFO WIDTH HEIGHT
# The Quit button (400, 444 on the 800 x 600 screen) is clicked where it is
# shown on the display once the title shows it; the program must end by itself
# with 0 and no sanitizer report.
quenbar=$1 install=$2 userinfo=$3 width=$4 height=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../sdl/own_display.sh"
work=$(mktemp -d)
game=
trap 'kill $xvfb $game 2>/dev/null; rm -f "$install/fs_title.png"; rm -rf "$work"' EXIT
own_display "${width}x${height}" || { echo "no virtual display answered"; exit 1; }
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
cp "$userinfo" "$install/UserInfo.dat"
cd "$install" || exit 1
rm -f fs_title.png
# The script's capture tells that the title is up with its buttons drawn; the
# program then waits for the click.
printf 'wait dialog IDD_MAIN 120000 real\ncapture fs_title.png\n' >"$work/title.txt"
QUENBAR_SCRIPT_GRACE=600000 "$quenbar" --fullscreen --script "$work/title.txt" >"$work/log" 2>&1 &
game=$!
await '[ -f fs_title.png ] || ! kill -0 $game 2>/dev/null' 1800
[ -f fs_title.png ] || { echo "the title never came up"; cat "$work/log"; exit 1; }
# Where the picture lies: as large as fits, centred.
scale=$(echo "$width $height" | awk '{ s = $1 / 800; if ($2 / 600 < s) s = $2 / 600; print s }')
left=$(echo "$width $scale" | awk '{ print int(($1 - 800 * $2) / 2) }')
top=$(echo "$height $scale" | awk '{ print int(($1 - 600 * $2) / 2) }')
# The display shows the title to the picture's bottom right corner, not the
# black outside it (each look at a large display takes a second or more on a
# loaded machine).
corner_shown() {
  import -window root "$work/shot.png" 2>/dev/null || return 1
  corner=$(convert "$work/shot.png" -format "%[pixel:p{$((width - left - 5)),$((height - top - 5))}]" info:)
  case "$corner" in *"black"*|"srgb(0,0,0)") return 1 ;; esac
}
await corner_shown 300 || { echo "the picture does not fill the display: $corner at its corner"; exit 1; }
x=$(echo "$left $scale" | awk '{ print int($1 + 400 * $2) }')
y=$(echo "$top $scale" | awk '{ print int($1 + 444 * $2) }')
xdotool mousemove "$x" "$y" click 1
if await '! kill -0 $game 2>/dev/null' 100; then
  wait $game
  status=$? game=
  # Quit from the title, the run ends cleanly: 0, with no sanitizer report.
  if [ $status -ne 0 ] || grep -q "Sanitizer\|runtime error" "$work/log"; then
    echo "quit by a click, the program ended with $status:"; cat "$work/log"; exit 1
  fi
  echo "quit by a click at $x $y on a ${width} x ${height} display"
  exit 0
fi
echo "a click on Quit at $x $y did not end the program"; cat "$work/log"
exit 1

#!/bin/sh
# The X server ended while the program opens its window, at moments spread
# over its first second: each try must end within 10 s with 5 (no window was
# open yet) or 6 (the window was lost), say why on standard error, with no
# sanitizer report and no crash, and leave nothing it started running.
#   run_display_lost_early.sh QUENBAR INSTALL_FOLDER USERINFO
quenbar=$1 install=$2 userinfo=$3
. "$(cd "$(dirname "$0")" && pwd)/own_display.sh"
work=$(mktemp -d)
game=
trap 'kill -9 $game $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
cp "$userinfo" "$install/UserInfo.dat"
cd "$install" || exit 1

failed=0
for after in 0.05 0.1 0.15 0.2 0.25 0.3 0.4 0.6 0.8 1.0; do
  own_display 800x600 || { echo "no virtual display answered"; exit 1; }
  # Whatever the program starts inherits the mark, and is found by it.
  mark="QUEN_LOST_EARLY=$$.$after"
  env "$mark" "$quenbar" --windowed >"$work/log" 2>&1 &
  game=$!
  sleep "$after"  # the moment of the loss is what each try is about
  kill $xvfb
  await '! kill -0 $game 2>/dev/null' 100
  hung=no
  kill -9 $game 2>/dev/null && hung=yes
  wait $game
  status=$? game=
  left=$(grep -las "$mark" /proc/[0-9]*/environ | cut -d/ -f3)
  echo "lost ${after} s after the start: ended with $status"
  if [ $hung = yes ] || [ -n "$left" ] || { [ $status -ne 5 ] && [ $status -ne 6 ]; } ||
    ! grep -q "the connection to the display :[0-9]* was lost\|no window could be opened" "$work/log" ||
    grep -q "Sanitizer\|runtime error" "$work/log"; then
    echo "  still running 10 s later: $hung; left running: ${left:-nothing}"
    cat "$work/log"
    [ -n "$left" ] && kill -9 $left 2>/dev/null
    failed=1
  fi
done
[ $failed -eq 0 ] && echo "every early loss ended the program with its code"
exit $failed

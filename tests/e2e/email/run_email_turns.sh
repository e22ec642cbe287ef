#!/bin/sh
# Two players' e-mail game over two turns: the game created; the first
# chapter's turn played with a research allocation, the second chapter's turn
# ended at once; the host's processing; the first chapter's next turn, whose
# files must be named after turn 1 and the turn after it; then an input file cut short,
# which must be told and not played. Captures are compared with their goldens
# (QUEN_REFRESH_GOLDENS=1 takes them again); each run is bounded in time.
# Usage: run_email_turns.sh QUENBAR WORKDIR USERINFO
here=$(cd "$(dirname "$0")" && pwd)
. "$here/email_run.sh"
rm -f EMAIL/EMail_Game-* EMAIL/EMail_Game.esv EMAIL/Damaged-0.*
# The load list shows the newest first: the file to play is made the newest,
# each a minute later than the one before, however fast the runs go.
ahead=60
newest() {
  ahead=$((ahead + 60))
  touch -d "@$(($(date +%s) + ahead))" "EMAIL/$1" || exit 1
}
run() {
  timeout -k 5 60 "$quenbar" --headless --script "$here/$1" 2>"$log"
  rc=$?
  grep -q "script line" "$log" && fail "$1 ended with $rc:"
  [ $rc -eq 0 ] || grep -q "told to quit" "$log" || fail "$1 ended with $rc:"
}

run create_game.txt
newest EMail_Game-0.s00
run turn_research.txt
newest EMail_Game-0.s01
run end_turn.txt
run process_turn.txt
tail -n 1 SAVE/QuenSrvr.log | grep -q 'turn 0 processed with 2 turn files' ||
  fail "the host's processing took other than both turn files: $(tail -n 3 SAVE/QuenSrvr.log)"
newest EMail_Game-1.s00
run next_turn.txt
# The second turn's state is kept under the turn the host writes next, and
# its turn file names the turn played.
[ -f EMAIL/EMail_Game-2-00.ecl ] || fail "no EMail_Game-2-00.ecl after the second turn: $(ls EMAIL | grep -v '\.s')"
[ "$(od -An -tu4 -N4 EMAIL/EMail_Game-1.c00 | tr -d ' ')" = 1 ] || fail "EMail_Game-1.c00 does not name turn 1:"
# The header of a first turn, then a record's length with nothing after it,
# listed alone.
rm -f EMAIL/EMail_Game-* EMAIL/EMail_Game.esv
printf '\376\377\377\377\000\000\000\000\040\000\000\000' >EMAIL/Damaged-0.s00
newest Damaged-0.s00
run damaged_input.txt
rm -f EMAIL/Damaged-0.*

for capture in email_t0_hint.png email_t0_research.png email_damaged.png; do
  if [ -n "${QUEN_REFRESH_GOLDENS:-}" ]; then
    cp "$capture" "$here/golden/$capture"
  else
    cmp -s "$capture" "$here/golden/$capture" || fail "$capture differs from $here/golden/$capture:"
  fi
done

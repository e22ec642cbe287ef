#!/bin/sh
# An e-mail game from creation to the host's processing of a turn:
# create_game.txt creates the game, play_turn.txt plays the first chapter's
# turn from its input file, which must leave that chapter's turn file (the turn played, then records of
# length and packet, the first a chapter packet 13); process_turn.txt then has
# the server process the turn, and its success box is compared with its
# golden capture. Each run is bounded in time; a failure shows the run's log.
# Usage: run_email_turn.sh QUENBAR WORKDIR USERINFO
here=$(cd "$(dirname "$0")" && pwd)
. "$here/email_run.sh"
rm -f EMAIL/EMail_Game-0.*

timeout -k 5 120 "$quenbar" --headless --script "$here/create_game.txt" 2>"$log" ||
  fail "create_game.txt ended with $?:"
# The load list shows the newest first, and the server writes forty input
# files, maybe across a second's turn: the first chapter's is made the newest.
touch -d "@$(($(date +%s) + 2))" EMAIL/EMail_Game-0.s00 || exit 1
timeout -k 5 120 "$quenbar" --headless --script "$here/play_turn.txt" 2>"$log"
rc=$?
# Nothing in a started game answers Escape yet: the run is told to quit.
grep -q "script line" "$log" && fail "play_turn.txt ended with $rc:"
[ $rc -eq 0 ] || grep -q "told to quit" "$log" || fail "play_turn.txt ended with $rc:"
turn=EMAIL/EMail_Game-0.c00
[ -f $turn ] || fail "no turn file $turn after play_turn.txt:"
# u32 turn 0, u32 record length, then the packet with its u16 type 13.
words=$(od -An -tu4 -N8 $turn | tr -s ' ')
type=$(od -An -tu2 -j8 -N2 $turn | tr -d ' ')
[ "$words" = " 0 44" ] && [ "$type" = 13 ] || fail "$turn starts with \"$words\" and packet $type:"
cat "$log"

timeout -k 5 120 "$quenbar" --headless --script "$here/process_turn.txt" 2>"$log"
rc=$?
[ $rc -eq 0 ] || fail "process_turn.txt ended with $rc:"
# The box must be the success box ("EMAILPRO"), over the load screen.
cmp -s fe_email_processed.png "$here/fe_email_processed.png" ||
  fail "fe_email_processed.png differs from $here/fe_email_processed.png (refresh it by hand if intended):"
tail -n 1 SAVE/QuenSrvr.log | grep -q 'turn 0 processed with 1 turn files' ||
  fail "the server's log does not tell of the turn processed: $(tail -n 3 SAVE/QuenSrvr.log)"
cat "$log"

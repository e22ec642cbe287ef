#!/bin/sh
# Runs SCRIPT headless in WORKDIR from the settings file USERINFO and deletes
# the battle's replay file (SAVE/35.rpl) once the script's capture
# replay_written.png says it is written whole, and then the capture: the
# script waits for the capture to go. The run fails unless every wait of
# the script was met, the file was found and deleted, and each capture in
# CAPTURES (comma-separated) equals its copy in GOLDEN; with
# QUEN_REFRESH_GOLDENS=1 the captures are copied into GOLDEN instead.
# Usage: run_without_replay.sh QUENBAR WORKDIR USERINFO SCRIPT GOLDEN CAPTURES
set -u
quenbar=$1 workdir=$2 userinfo=$3 script=$4 golden=$5 captures=$6
replay=SAVE/35.rpl
here=$(cd "$(dirname "$0")" && pwd)
err=$(mktemp) || exit 1
cd "$workdir" || exit 1
trap 'rm -f "$err" replay_written.png SAVE/autosave.* SAVE/asavebak.* SAVE/*.rpl SAVE/*.tlg' EXIT
. "$here/../compare_captures.sh"
cp "$userinfo" UserInfo.dat || exit 1
old_ifs=$IFS
IFS=,
set -- $captures
IFS=$old_ifs
rm -f "$@" "$replay"
QUENBAR_SCRIPT_GRACE=0 "$quenbar" --headless --script "$script" 2>"$err" &
pid=$!
# The marker comes with the fourth turn's results, a few seconds in.
deleted=
tries=0
while [ $tries -lt 1200 ] && kill -0 $pid 2>/dev/null; do
  if [ -f replay_written.png ]; then
    [ -f "$replay" ] && rm -f "$replay" && deleted=1
    rm -f replay_written.png
    break
  fi
  sleep 0.1
  tries=$((tries + 1))
done
[ -n "$deleted" ] || kill $pid 2>/dev/null
wait $pid
rc=$?
failed=
[ -n "$deleted" ] || failed="the replay file never appeared"
if grep -q "script line" "$err"; then failed="a wait of the script was not met"; fi
# A run into a started game is told to quit at its end.
[ $rc -eq 0 ] || grep -q "told to quit" "$err" || failed="quenbar ended with $rc"
compare_captures "$golden" "$@"
cat "$err"
if [ -n "$failed" ]; then
  echo "$failed"
  exit 1
fi

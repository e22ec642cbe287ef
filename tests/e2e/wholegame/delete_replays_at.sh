#!/bin/sh
# delete_replays_at.sh MARKER PROGRAM ARGUMENTS...
# Runs the program in the game's folder and deletes every battle replay file
# (SAVE/*.rpl) as soon as the file MARKER (a capture the script takes once the
# battle's turn has come in) appears, and then the marker, which the script
# waits to see go. Ends with the program's status, or with 3 when the marker
# never came or there was no replay file to delete.
marker=$1
shift
rm -f "$marker"
"$@" &
client=$!
deleted=""
# A program that ended stays a zombie until waited for: its state says so.
while state=$(cut -d' ' -f3 "/proc/$client/stat" 2>/dev/null) && [ "$state" != Z ]; do
  if [ -z "$deleted" ] && [ -f "$marker" ]; then
    deleted=$(ls SAVE/*.rpl 2>/dev/null)
    if [ -n "$deleted" ]; then
      rm -f $deleted
      echo "deleted at \"$marker\":" $deleted >&2
    else
      deleted=none
    fi
    rm -f "$marker"
  fi
  sleep 0.05
done
wait "$client"
status=$?
if [ -z "$deleted" ] || [ "$deleted" = none ]; then
  echo "no replay file was deleted (marker \"$marker\" ${deleted:+seen, but no SAVE/*.rpl}${deleted:-never written})" >&2
  exit 3
fi
exit "$status"

#!/bin/sh
# kill_server_at.sh LOG OFFSET PATTERN PROGRAM ARGUMENTS...
# Runs the program and kills the server program it started (at once, with no
# chance to say goodbye) when LOG, past its first OFFSET bytes, first holds a
# line matching PATTERN. Ends with the program's status, or with 3 when the
# line never came and nothing was killed.
log=$1
offset=$2
pattern=$3
shift 3
"$@" &
client=$!
killed=""
# A program that ended stays a zombie until waited for: its state says so.
while state=$(cut -d' ' -f3 "/proc/$client/stat" 2>/dev/null) && [ "$state" != Z ]; do
  if [ -z "$killed" ] && tail -c +"$((offset + 1))" "$log" 2>/dev/null | grep -q "$pattern"; then
    server=$(pgrep -P "$client" -x quensrvr)
    if [ -n "$server" ]; then
      kill -KILL $server
      killed=$server
      echo "the server ($server) was killed at \"$pattern\"" >&2
    fi
  fi
  sleep 0.05
done
wait "$client"
status=$?
if [ -z "$killed" ]; then
  echo "the server's log never showed \"$pattern\": nothing was killed" >&2
  exit 3
fi
exit "$status"

#!/bin/sh
# Runs two headless players at once in the installation folder: the host
# under host.txt and, half a second later, the joining player under join.txt.
# Each is bounded in time; the run fails, showing both logs, unless both meet
# every wait of their scripts (nothing in a started game ends the program yet:
# each is told to quit) and the server tells of the game started.
# Usage: run_two_players.sh QUENBAR WORKDIR USERINFO
set -u
quenbar=$1 workdir=$2 userinfo=$3
here=$(cd "$(dirname "$0")" && pwd)
logs=$(mktemp -d) || exit 1
trap 'rm -rf "$logs"' EXIT
cd "$workdir" || exit 1
cp "$userinfo" UserInfo.dat || exit 1
rm -f SAVE/QuenSrvr.log
timeout -k 5 120 "$quenbar" --headless --script "$here/host.txt" 2>"$logs/host" &
host=$!
sleep 0.5
timeout -k 5 120 "$quenbar" --headless --script "$here/join.txt" 2>"$logs/join"
join_rc=$?
wait $host
host_rc=$?
ended() { [ "$1" -eq 0 ] || grep -q "told to quit" "$2"; }
if grep -q "script line" "$logs/host" "$logs/join" || ! ended $host_rc "$logs/host" || ! ended $join_rc "$logs/join" ||
  ! grep -q "game started" SAVE/QuenSrvr.log; then
  echo "host ended with $host_rc:"; cat "$logs/host"
  echo "joining player ended with $join_rc:"; cat "$logs/join"
  echo "the server's log:"; cat SAVE/QuenSrvr.log
  exit 1
fi
# Sanitizer reports end up in the logs without changing the exit code.
cat "$logs/host" "$logs/join"

#!/bin/sh
# Runs two headless players at once in the installation folder: the host
# under host.txt and, half a second later, the joining player under join.txt.
# The run fails, showing both logs, unless both meet every wait of their
# scripts and the server tells of the game started.
# Usage: run_two_players.sh QUENBAR WORKDIR USERINFO
set -u
quenbar=$1 workdir=$2 userinfo=$3
here=$(cd "$(dirname "$0")" && pwd)
logs=$(mktemp -d) || exit 1
trap 'rm -rf "$logs"' EXIT
. "$here/two_players.sh"
cd "$workdir" || exit 1
cp "$userinfo" UserInfo.dat || exit 1
run_pair "$here/host.txt" "$here/join.txt" 120
if ! pair_ended || ! grep -q "game started" SAVE/QuenSrvr.log; then
  show_pair
  exit 1
fi
# Sanitizer reports end up in the logs without changing the exit code.
cat "$logs/host" "$logs/join"

#!/bin/sh
# Two headless players into a started game that both play: each goes through
# the waiting room as in host.txt and join.txt, then on under NAME_host.txt
# and NAME_join.txt (the line numbers of a failed step count from the start
# of the room's script). The run fails, showing both logs, unless both meet
# every wait of their scripts, each capture in CAPTURES (comma-separated)
# equals its copy in GOLDEN, the server's log matches every pattern of
# NAME.log and the server refused no packet. With QUEN_REFRESH_GOLDENS=1 the
# captures are copied into GOLDEN instead (a change of the screen meant).
# The joining player saves into a folder of its own, as on a machine of its
# own: two players autosaving the same files at the same moment would make
# one of them fail.
# A run whose joining player goes through the room otherwise (another chapter
# name, say) has its own NAME_room_join.txt in place of join.txt.
# With JOIN_AFTER, a pattern, the joining player comes into a game already
# in play once the server's log has a matching line; NAME_host.txt and
# NAME_join.txt then hold every step, the front end's included.
# Usage: run_two_players_game.sh QUENBAR WORKDIR USERINFO NAME GOLDEN CAPTURES [JOIN_AFTER]
set -u
quenbar=$1 workdir=$2 userinfo=$3 name=$4 golden=$5 captures=$6 join_after=${7:-}
here=$(cd "$(dirname "$0")" && pwd)
logs=$(mktemp -d) || exit 1
cd "$workdir" || exit 1
# The played turns leave autosaves the other runs must not find, and a run
# that saves names its saves after itself.
trap 'rm -rf "$logs" SAVEJOIN; rm -f SAVE/autosave.* SAVE/asavebak.* "SAVE/$name".*' EXIT
. "$here/two_players.sh"
. "$here/../compare_captures.sh"
rm -rf SAVEJOIN
mkdir "$logs/config" SAVEJOIN || exit 1
sed 's/QUENBAR\\\\SAVE\\\\/QUENBAR\\\\SAVEJOIN\\\\/' "$QUENBAR_CONFIG_DIR/registry.reg" >"$logs/config/registry.reg" || exit 1
grep -q SAVEJOIN "$logs/config/registry.reg" || exit 1
cp "$userinfo" UserInfo.dat || exit 1
if [ -n "$join_after" ]; then
  cp "$here/${name}_host.txt" "$logs/host.txt" || exit 1
  cp "$here/${name}_join.txt" "$logs/join.txt" || exit 1
else
  cat "$here/host.txt" "$here/${name}_host.txt" >"$logs/host.txt" || exit 1
  room_join=$here/join.txt
  [ -f "$here/${name}_room_join.txt" ] && room_join=$here/${name}_room_join.txt
  cat "$room_join" "$here/${name}_join.txt" >"$logs/join.txt" || exit 1
fi
old_ifs=$IFS
IFS=,
set -- $captures
IFS=$old_ifs
rm -f "$@"
run_pair "$logs/host.txt" "$logs/join.txt" 240 "$logs/config" "$join_after"
failed=
pair_ended || failed="a player did not meet its script"
while IFS= read -r pattern; do
  [ -z "$pattern" ] || grep -Eq "$pattern" SAVE/QuenSrvr.log || failed="the server's log lacks \"$pattern\""
done <"$here/$name.log"
if grep -q "refused packet" SAVE/QuenSrvr.log; then failed="the server refused a packet"; fi
compare_captures "$golden" "$@"
if [ -n "$failed" ]; then
  echo "$failed"
  show_pair
  exit 1
fi
# Sanitizer reports end up in the logs without changing the exit code.
cat "$logs/host" "$logs/join"

# Shared by the two-player runners (sourced, not run): two headless players at
# once in the installation folder, the host first and the joining player as
# soon as the host's server is in the session. Each is bounded in time.
# Needs: quenbar (the program), logs (a folder for the players' error output).

# The session's port is the machine's: two-player runs of other checkouts wait
# for this one to end (at most 15 minutes) rather than meet its players.
exec 9>"${TMPDIR:-/tmp}/quenbar-session-port.lock"
flock -w 900 9 || { echo "another checkout's two-player run held the session's port for 15 minutes"; exit 1; }

# run_pair HOST_SCRIPT JOIN_SCRIPT SECONDS [JOIN_CONFIG_DIR [JOIN_AFTER]]: sets
# host_rc and join_rc; the players' error output goes to $logs/host and
# $logs/join. The joining player reads its registry from JOIN_CONFIG_DIR when
# given (empty: the default), and comes once the server's log has a line
# matching JOIN_AFTER (by default, once the host's server is in the session).
run_pair() {
  rm -f SAVE/QuenSrvr.log
  # The server of a run just ended may hold the session's port a moment
  # longer; the host could not create its session then (at most 20 s).
  for wait in $(seq 200); do
    ss -ltn 2>/dev/null | grep -q ":47310 " || break
    sleep 0.1
  done
  timeout -k 5 "$3" "$quenbar" --headless --script "$1" 2>"$logs/host" 9>&- &
  host=$!
  # By default the joining player comes once the host's server is in the
  # session, and takes its chapter while the host is still choosing: in the
  # other orders the game has been seen to start with another set-up (other
  # starting stocks). A later cue is waited for at most 60 s.
  for wait in $(seq 600); do
    grep -Eq "${5:-joined the session}" SAVE/QuenSrvr.log 2>/dev/null && break
    sleep 0.1
  done
  QUENBAR_CONFIG_DIR=${4:-${QUENBAR_CONFIG_DIR:-}} timeout -k 5 "$3" "$quenbar" --headless --script "$2" 2>"$logs/join" 9>&-
  join_rc=$?
  wait $host
  host_rc=$?
}

# Nothing in a started game ends the program: a player that met every wait
# of its script is told to quit.
ended() { [ "$1" -eq 0 ] || grep -q "told to quit" "$2"; }

# Both met every wait of their scripts and ended.
pair_ended() {
  ! grep -q "script line" "$logs/host" "$logs/join" && ended $host_rc "$logs/host" && ended $join_rc "$logs/join"
}

show_pair() {
  echo "host ended with $host_rc:"; cat "$logs/host"
  echo "joining player ended with $join_rc:"; cat "$logs/join"
  echo "the server's log:"; cat SAVE/QuenSrvr.log
}

# Sourced by the runs in a real window (not run): a virtual X display of the
# run's own, on a number no other display holds, so that runs of other
# checkouts on the same machine never meet it.

# own_display WIDTHxHEIGHT: starts Xvfb, exports DISPLAY and sets xvfb to its
# process; fails when no display answers within 10 s.
own_display() {
  _number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$_number" >/dev/null 2>&1 &
  xvfb=$!
  await '[ -s "$_number" ]' 100
  DISPLAY=":$(cat "$_number")"
  rm -f "$_number"
  export DISPLAY
  await 'xdpyinfo >/dev/null 2>&1' 100
}

# await CHECK [TENTHS]: until the shell condition CHECK holds, looked at every
# tenth of a second for at most TENTHS tenths (a minute by default).
await() {
  _tries=${2:-600}
  while [ "$_tries" -gt 0 ]; do
    eval "$1" && return 0
    sleep 0.1
    _tries=$((_tries - 1))
  done
  return 1
}

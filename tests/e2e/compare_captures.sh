# Sourced by the run scripts. compare_captures GOLDEN CAPTURE...: each
# capture must equal its copy in GOLDEN, else the difference is told and
# `failed` set; with QUEN_REFRESH_GOLDENS=1 the captures are copied into
# GOLDEN instead (a change of the screen meant).
compare_captures() {
  golden_dir=$1
  shift
  for capture in "$@"; do
    if [ "${QUEN_REFRESH_GOLDENS:-0}" = 1 ]; then
      cp "$capture" "$golden_dir/" || failed="no capture $capture"
    elif ! cmp -s "$capture" "$golden_dir/$capture"; then
      echo "$capture differs from $golden_dir/$capture (if the change is meant, run again with QUEN_REFRESH_GOLDENS=1)"
      failed="captures differ"
    fi
  done
}

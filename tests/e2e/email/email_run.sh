# Shared by the e-mail runners (sourced, not run), given their arguments
# QUENBAR WORKDIR USERINFO: the settings file put in place in WORKDIR, a log
# for each run of the program and fail() to show it. Each player plays alone:
# nobody needs its server once its script has ended.
set -u
quenbar=$1 workdir=$2 userinfo=$3
export QUENBAR_SCRIPT_GRACE=0
log=$(mktemp) || exit 1
trap 'rm -f "$log"' EXIT
fail() { echo "$1"; cat "$log"; exit 1; }
cd "$workdir" || exit 1
cp "$userinfo" UserInfo.dat || exit 1

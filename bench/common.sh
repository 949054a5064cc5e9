# Shared by the run_*_bench scripts: locates the build and its log server settings.
set -euo pipefail
BUILD=${BUILD:-${1:-build}}
BUILD=$(cd "$BUILD" && pwd)
BIN="$BUILD/bin"
CONFIG="$BUILD/src/config/include/config/BuildConfig.h"
config_value() { sed -n "s/.*$1 = \"\(.*\)\";/\1/p" "$CONFIG"; }
HOST=$(config_value kLogServerHost)
CA_FILE=$(config_value kLogServerCaFile)
peak_rss_mib() { awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$1"; }

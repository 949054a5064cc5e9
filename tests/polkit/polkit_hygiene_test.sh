#!/usr/bin/env bash
# polkit_test.sh as a careless surrounding meets it: a work folder named in the environment, and a
# TERM once the account has its copy of the keys. Run where /run and /tmp are fresh (a mount
# namespace of this test's), so that whatever it makes or leaves there shows. Exit status 77: skipped.
# Usage: polkit_hygiene_test.sh BUILD_DIR TEST_GUI PKI_DIR LOG_SERVER_HOST
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "SKIPPED: needs root"; exit 77; }
if [ "${1:-}" != --watching ]; then
  unshare -m --propagation private true 2>/dev/null || { echo "SKIPPED: no private mount namespace"; exit 77; }
  exec unshare -m --propagation private "$0" --watching "$@"
fi
shift
fail() { echo "FAIL: $*" >&2; cat /tmp/run.log >&2; exit 1; }
mount -t tmpfs -o mode=0755 tmpfs /run
# A checkout or build below /tmp stays reachable at its path, bound from the /tmp it hides.
kept=()
for path in "$0" "$@"; do
  case "$path" in /tmp/?*) top=${path#/tmp/}; top=${top%%/*}; [[ " ${kept[*]} " == *" $top "* ]] || kept+=("$top") ;; esac
done
exec 9</tmp
mount -t tmpfs -o mode=1777 tmpfs /tmp
for top in "${kept[@]}"; do
  mkdir "/tmp/$top"
  mount --no-canonicalize --bind "/proc/self/fd/9/$top" "/tmp/$top"
done
exec 9<&-
mkdir -m 0700 /tmp/decoy
echo keep > /tmp/decoy/marker
mkdir -m 0700 /run/tarvix-test-locks
before=$(ls -A /run)

TARVIX_POLKIT_WORK=/tmp/decoy setsid "${0%/*}/polkit_test.sh" "$@" > /tmp/run.log 2>&1 &
runner=$!
copied() { [ "$(stat -c %u /tmp/tarvix-polkit.*/pki/server-key.pem 2>/dev/null)" = 65534 ]; }
until copied || ! kill -0 "$runner" 2>/dev/null; do sleep 0.1; done
# The log server's lock file appears there once it starts (sooner than this look under load).
copy=$(ls -A /tmp/tarvix-polkit.*/pki 2>/dev/null | grep -v -x -e .lock | tr '\n' ' ' || true)
kill -TERM "$runner" 2>/dev/null || true
status=0
wait "$runner" || status=$?
grep -q SKIPPED /tmp/run.log && { cat /tmp/run.log; exit 77; }
left=$(ps -o pid=,args= -s "$runner" || true)
[ -z "$left" ] || { kill -KILL $(ps -o pid= -s "$runner") 2>/dev/null || true; fail "left running: $left"; }
[ "$copy" = "ca.pem server-key.pem server.pem " ] || fail "the account's copy of the keys: '$copy'"
[ "$(ls -A /tmp/decoy)" = marker ] || fail "the folder named in the environment was used: $(ls -A /tmp/decoy)"
[ "$(ls -A /tmp | grep -v -x -e decoy -e run.log "${kept[@]/#/-e}" || true)" = "" ] || fail "left in /tmp: $(ls -A /tmp)"
[ "$(ls -A /run)" = "$before" ] || fail "made in /run: $(ls -A /run)"
echo "polkit hygiene test passed (the run ended with $status on TERM)"

#!/usr/bin/env bash
# The data dump's password prompt for real: Tarvix as an unprivileged account through the real
# pkexec and polkitd, on a system bus of the test's own. All of it lives in a private mount
# namespace (the bus socket, the installed action, the rules), so the machine's own bus, polkit and
# files stay as they are and nothing leaks to tests running beside it. Exit status 77: skipped.
# Usage: polkit_test.sh BUILD_DIR TEST_GUI PKI_DIR LOG_SERVER_HOST
set -euo pipefail
build=$1 test_gui=$2 pki=$3 host=$4
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DBUS_SYSTEM_BUS_ADDRESS  # pkexec, being set-user-id, ignores it: every client takes the fixed path

# The part inside the private mount namespace: a function handed to the namespace's shell, so that
# no way into it skips making the namespace. The mounts end with the namespace, the processes with
# the cleanup.
in_namespace() {
  local work=$1 test_gui=$2 pki=$3 account=65534
  exec 8>&-  # the turn stays the runner's: no process of the account's may hold it
  tool=$work/prefix/libexec/tarvix/spindump
  pids=()
  cleanup() { for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done; wait; }
  trap cleanup EXIT
  trap 'exit 143' TERM INT HUP

  # A /run of the namespace's own: the bus socket's folder is made there, never in the machine's.
  mount -t tmpfs -o mode=0755 tmpfs /run
  mkdir /run/dbus
  mkdir "$work/actions"
  cp /usr/share/polkit-1/actions/*.policy "$work/prefix/share/polkit-1/actions/com.norvane.Tarvix.policy" "$work/actions/"
  mount --bind "$work/actions" /usr/share/polkit-1/actions
  mkdir -m 0700 "$work/rules" && chown polkitd "$work/rules"
  mount --bind "$work/rules" /etc/polkit-1/rules.d
  # The account runs the local log server too: it gets a copy of what the server and its clients
  # read, the CA's key left out.
  mkdir -m 0700 "$work/pki"
  cp "$pki/ca.pem" "$pki/server.pem" "$pki/server-key.pem" "$work/pki/"
  chown -R "$account" "$work/pki"
  mount --bind "$work/pki" "$pki"

  cat > "$work/bus.conf" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
  </policy>
  <include>/usr/share/dbus-1/system.d/org.freedesktop.PolicyKit1.conf</include>
</busconfig>
CONF
  dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile > "$work/dbus.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -S /run/dbus/system_bus_socket ] && break; sleep 0.1; done
  [ -S /run/dbus/system_bus_socket ] || fail "the bus did not start: $(cat "$work/dbus.log")"

  # Started afresh for each set of rules, so no rule change is waited for.
  polkitd=
  start_polkitd() {
    if [ -n "$polkitd" ]; then kill "$polkitd" && wait "$polkitd" || true; fi
    /usr/lib/polkit-1/polkitd --no-debug >> "$work/polkitd.log" 2>&1 &
    polkitd=$!
    pids+=($polkitd)
    for _ in $(seq 100); do pkaction --action-id com.norvane.Tarvix.spindump > /dev/null 2>&1 && return; sleep 0.1; done
    fail "polkitd did not come up with Tarvix's action: $(cat "$work/polkitd.log")"
  }

  mkdir -m 0700 "$work/home" "$work/tmp" "$work/xdg" "$work/out"
  chown "$account:$account" "$work/home" "$work/tmp" "$work/xdg" "$work/out"
  # In a session of its own, without a terminal: pkexec finds no agent of any kind.
  as_account=(setpriv --reuid=$account --regid=$account --clear-groups env -i -C "$work" PATH=/usr/bin:/bin
              HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/xdg" QT_QPA_PLATFORM=offscreen setsid -w)

  session() { # granted|refused: a Stop with "Advanced logs" through pkexec, then a share
    local out=$work/session-$1.log
    timeout 50 "${as_account[@]}" env TARVIX_TEST_CHILD=SessionFlowChild.AdvancedStopThroughPkexecThenShare \
      TARVIX_TEST_ELEVATION="$1" TARVIX_TEST_LIBEXEC="${tool%/*}" "$test_gui" > "$out" 2>&1 &
    pids+=($!)
    wait $! || true
    grep -q '^\[  SKIPPED \] 1 test' "$out" && { cat "$out"; skip "the session cannot run here"; }
    grep -q '^\[  PASSED  \] 1 test\.' "$out" || { cat "$out"; fail "the session with the elevation $1"; }
    echo "session, elevation $1: passed"
    grep '^INFO: ' "$out" || true
  }

  # The shipped defaults (auth_admin) and no agent: the data dump fails, the session goes on and shares.
  start_polkitd
  session refused

  # A rule grants this one account this one action.
  cat > "$work/rules/50-tarvix-test.rules" <<RULES
polkit.addRule(function (action, subject) {
  if (action.id == "com.norvane.Tarvix.spindump" && subject.user == "$(id -nu $account)") return polkit.Result.YES;
});
RULES
  start_polkitd
  session granted

  # Under the same rule the account runs nothing else as root: not a shell, not env, not a copy of
  # the tool elsewhere; and the tool itself reads none of root's processes.
  install -D -m 0755 "$tool" "$work/copy/spindump"
  "${as_account[@]}" sleep 60 &
  target=$!
  pids+=($target)
  refused() { # WHAT PROGRAM ARGUMENT...
    local what=$1 output status=0
    shift
    output=$("${as_account[@]}" /usr/bin/pkexec "$@" 2>&1) || status=$?
    [ "$status" -ne 0 ] || fail "pkexec ran $what for the account: $output"
    echo "refused: $what, pkexec exit $status: ${output##*$'\n'}"
  }
  refused "a shell" /bin/sh -c "touch $work/out/shell"
  refused "env" /usr/bin/env touch "$work/out/env"
  refused "a copy of the tool" "$work/copy/spindump" "$target" -file "$work/out/copy.txt"
  refused "the tool on root's process" "$tool" 1 -file "$work/out/root.txt"
  [ -z "$(ls -A "$work/out")" ] || fail "something ran as root: $(ls -l "$work/out")"
  echo "polkit test passed (${SECONDS}s in the namespace)"
}

[ "$(id -u)" -eq 0 ] || skip "needs root to start a system bus and polkitd"
for program in /usr/lib/polkit-1/polkitd /usr/bin/pkaction /usr/bin/dbus-daemon; do
  [ -x "$program" ] || skip "$program is not installed (scripts/bootstrap installs it)"
done
[ -u /usr/bin/pkexec ] || skip "/usr/bin/pkexec is missing or not set-user-id"
unshare -m --propagation private true 2>/dev/null || skip "cannot make a private mount namespace"
# Under /tmp, root's and not writable by others, as the tool's folder must be for Tarvix to elevate it.
work=$(mktemp -d -p /tmp tarvix-polkit.XXXXXX)
inner=
# On TERM too: the namespace's processes end first, then the folder with the server's key goes.
trap 'if [ -n "$inner" ]; then kill -TERM "$inner" 2>/dev/null; wait "$inner" || true; fi; rm -rf "$work"' EXIT
trap 'exit 143' TERM INT HUP
chmod 755 "$work"
# The port's turn, which the offscreen tests on it take too (tests/support/LogServer.cpp).
install -d -m 0700 /run/tarvix-test-locks
[ -O /run/tarvix-test-locks ] && [ ! -L /run/tarvix-test-locks ] || fail "/run/tarvix-test-locks is not root's"
exec 8>> "/run/tarvix-test-locks/logserver-${host##*:}.lock"
flock 8
cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
[ -x "$work/prefix/libexec/tarvix/spindump" ] || fail "the build installs no spindump"
status=0
unshare -m --propagation private /bin/bash -c "set -euo pipefail; $(declare -f skip fail in_namespace)
  in_namespace \"\$@\"" polkit-namespace "$work" "$test_gui" "$pki" &
inner=$!
wait "$inner" || status=$?
inner=
echo "${SECONDS}s in all, the install included"
exit $status

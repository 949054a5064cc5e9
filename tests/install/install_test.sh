#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves it, starts it offscreen (a second start hands
# over to the first, whatever another account listens on at the socket's old place /tmp/tarvix-<uid>),
# validates the desktop files and the polkit action, and checks the Debian package's files and needs.
set -euo pipefail
build=$1
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" > "$work/install.log"
mv "$work/first" "$work/moved"   # a relocated install must still find its tools
prefix=$work/moved

expected_files=(
  bin/tarvix libexec/tarvix/spindump libexec/tarvix/system_profiler share/doc/tarvix/README.md share/doc/tarvix/LICENSE
  share/applications/com.norvane.Tarvix.desktop share/icons/hicolor/scalable/apps/com.norvane.Tarvix.svg
  share/metainfo/com.norvane.Tarvix.metainfo.xml share/polkit-1/actions/com.norvane.Tarvix.policy
)
wanted=$(printf '%s\n' "${expected_files[@]}" | sort)
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$actual" = "$wanted" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$wanted") <(echo "$actual"))"

desktop-file-validate "$prefix/share/applications/com.norvane.Tarvix.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/com.norvane.Tarvix.metainfo.xml" > "$work/appstream.log" \
  || { cat "$work/appstream.log"; fail "metainfo does not validate"; }

# The password prompt's action: valid against polkit's DTD, for the installed tool only.
policy=share/polkit-1/actions/com.norvane.Tarvix.policy
check_policy() { # FILE TOOL
  xmllint --noout --nonet --dtdvalid /usr/share/polkit-1/policyconfig-1.dtd "$1" || fail "$1 is no valid polkit action"
  local xpath='/policyconfig/action[@id="com.norvane.Tarvix.spindump"]'
  [ "$(xmllint --xpath "string($xpath/annotate[@key='org.freedesktop.policykit.exec.path'])" "$1")" = "$2" ] \
    || fail "$1 does not name $2 as the program it authorises"
  for d in allow_any allow_inactive allow_active; do
    [ "$(xmllint --xpath "string($xpath/defaults/$d)" "$1")" = auth_admin ] || fail "$1: $d is not auth_admin"
  done
}
check_policy "$prefix/$policy" "$work/first/libexec/tarvix/spindump"

# One start-up, offscreen, in a private home and a private runtime folder.
home=$work/home
mkdir -p "$home" "$work/run" && mkdir -m 0700 "$work/xdg"
export HOME=$home TMPDIR=$work/run XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=offscreen
unset XDG_CACHE_HOME XDG_DATA_HOME

# The attacker (nobody) answers every request at the old, shared place, as the running Tarvix would.
chmod 755 "$work" && chmod 1777 "$work/run"
planted=$work/run/tarvix-$(id -u)
setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 -c '
import socket, sys
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
server.listen(8)
while True:
    connection, _ = server.accept()
    connection.recv(64)
    connection.sendall(b"ok\n")
    connection.close()' "$planted" &
pids+=($!)
for _ in $(seq 1 50); do [ -S "$planted" ] && break; sleep 0.1; done
[ -S "$planted" ] || fail "could not plant the socket"
"$prefix/bin/tarvix" > "$work/first.out" 2>&1 &
pids+=($!)
log=$home/Library/Tarvix/System/TarvixDebugOutput.log
for _ in $(seq 1 100); do
  grep -q 'Directory created: temp' "$log" 2>/dev/null && [ -S "$XDG_RUNTIME_DIR/tarvix.socket" ] && break
  sleep 0.1
done
grep -q -- '----------------------------Application Started----------------------------' "$log" \
  || { cat "$work/first.out"; fail "no start banner in $log"; }
[ -d "$home/Library/Tarvix/temp" ] || fail "workspace not created"
[ ! -e "$home/.cache/Logs/TarvixDebugOutput.log" ] || fail "the log was not moved out of the caches folder"
kill -0 "${pids[1]}" || fail "the program ended after start-up"
[ -S "$XDG_RUNTIME_DIR/tarvix.socket" ] || fail "no single-instance socket in XDG_RUNTIME_DIR: $(ls -la "$XDG_RUNTIME_DIR")"

# A second start hands over to the running process and ends; no second start-up happens.
timeout 20 "$prefix/bin/tarvix" > "$work/second.out" 2>&1 || fail "second start did not end cleanly"
[ "$(grep -c 'Application Started' "$log")" -eq 1 ] || fail "the second start ran its own start-up"
kill -0 "${pids[1]}" || fail "the first process died when asked for a window"

# The Debian package: our files only, and what the program needs at run time.
cpack -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/pkg/tarvix_*.deb)
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort)
[ "$listed" = "$wanted" ] || fail "package files differ:"$'\n'"$(diff <(echo "$wanted") <(echo "$listed"))"
dpkg-deb -x "$deb" "$work/unpacked"
check_policy "$work/unpacked/usr/$policy" /usr/libexec/tarvix/spindump
depends=$(dpkg-deb -f "$deb" Depends)
for d in qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtqml-workerscript zip \
         fonts-dejavu-core pkexec qt6-wayland libqt6quick6 libcurl4 libplist3; do
  [[ ", $depends," == *", $d"[\ ,]* ]] || fail "package does not depend on $d: $depends"
done
echo "install test passed"

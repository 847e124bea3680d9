#!/bin/sh
# Installs the build into a private DESTDIR and checks what the user's
# system needs: the monitor's bundle, the udev rule, the autostart entry
# pointing at the installed program, which starts and ends on SIGTERM.
set -eu
build="$1"; prefix="$2"
dest=$(mktemp -d "${TMPDIR:-/tmp}/pressmon-install-XXXXXX")
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix "$prefix" >/dev/null
program="$dest$prefix/lib/dunsellow/Pressmon.app/Contents/MacOS/Pressmon"
test -x "$program"
test -f "$dest$prefix/lib/dunsellow/Pressmon.app/Contents/Info.plist"
test -f "$dest$prefix/lib/dunsellow/Pressmon.app/Contents/Resources/Vesperl.bundle/Contents/MacOS/Vesperl.so"
grep -q 'ATTR{idProduct}=="0c05", TAG+="uaccess"' "$dest/etc/udev/rules.d/70-dunsellow-camera.rules"
grep -qx "Exec=\"$prefix/lib/dunsellow/Pressmon.app/Contents/MacOS/Pressmon\"" "$dest/etc/xdg/autostart/pressmon.desktop"
# The installed program finds its library through its own rpath.
export XDG_RUNTIME_DIR="$dest/run"; mkdir -m 700 "$XDG_RUNTIME_DIR"
unset LD_LIBRARY_PATH DISPLAY WAYLAND_DISPLAY
PRESSMON_FAKE_USB=/dev/null "$program" & pid=$!
i=0
while [ ! -e "$XDG_RUNTIME_DIR/dunsellow/com.talvexa.pressmon.lock" ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done
kill -TERM $pid
wait $pid

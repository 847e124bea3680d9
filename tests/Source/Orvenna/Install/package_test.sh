#!/bin/sh
# Builds the Debian package from the build tree and reads it back: the
# programs under /usr, the udev rule and the autostart entry in their system
# places, dependencies found from the binaries, and no lintian error.
set -eu
build="$1"
out=$(mktemp -d "${TMPDIR:-/tmp}/dunsellow-package-XXXXXX")
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/*.deb)
# One name a line, as stored (names may hold spaces).
dpkg-deb --fsys-tarfile "$deb" | tar -t >"$out/contents"
for f in ./usr/bin/dunsellow ./usr/bin/dunsellow-viewer ./usr/bin/dunsellow-player \
         ./usr/lib/dunsellow/Dunsellow.app/Contents/MacOS/Dunsellow \
         ./usr/lib/dunsellow/Pressmon.app/Contents/MacOS/Pressmon \
         ./usr/lib/dunsellow/lib/libqel.so \
         "./usr/lib/dunsellow/Dunsellow.app/Contents/Dunsellow Playvane.app/Contents/MacOS/Dunsellow Playvane" \
         ./usr/share/applications/dunsellow.desktop ./usr/share/applications/dunsellow-viewer.desktop \
         ./usr/share/applications/dunsellow-player.desktop \
         ./usr/share/icons/hicolor/16x16/apps/dunsellow.png \
         ./lib/udev/rules.d/70-dunsellow-camera.rules ./etc/xdg/autostart/pressmon.desktop \
         ./usr/share/doc/dunsellow/copyright; do
  grep -qxF "$f" "$out/contents" || { echo "missing from the package: $f"; exit 1; }
done
# Nothing of the building machine inside.
if grep -v -E '^\./(usr|etc|lib)/' "$out/contents" | grep -v -x -E '\./|\./(usr|etc|lib)/' ; then
  echo "files outside /usr, /etc and /lib"; exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libavformat libgtk-3-0 libxml2 libsqlite3-0 libusb-1.0-0; do
  echo "$depends" | grep -q "$lib" || { echo "no dependency on $lib: $depends"; exit 1; }
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./etc/xdg/autostart/pressmon.desktop |
  grep -qx 'Exec="/usr/lib/dunsellow/Pressmon.app/Contents/MacOS/Pressmon"'
dpkg-deb -e "$deb" "$out/control"
grep -qx '/etc/xdg/autostart/pressmon.desktop' "$out/control/conffiles"
# The player's entry names the packaged launcher with the files it is given.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/dunsellow-player.desktop |
  grep -qx 'Exec=/usr/bin/dunsellow-player %F' || { echo "the player's desktop entry does not start /usr/bin/dunsellow-player"; exit 1; }
if command -v lintian >/dev/null 2>&1; then
  lintian --allow-root "$deb" >"$out/lintian.log" 2>&1 || true
  if grep -q '^E:' "$out/lintian.log"; then cat "$out/lintian.log"; exit 1; fi
else
  echo "lintian is not installed: the package was not linted"
fi

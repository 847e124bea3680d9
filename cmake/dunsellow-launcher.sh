#!/bin/sh
# Starts Dunsellow from its bundle, which is installed beside this script's
# folder in lib/dunsellow.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/dunsellow/Dunsellow.app/Contents/MacOS/Dunsellow" "$@"

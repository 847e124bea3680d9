#!/bin/sh
# Runs a command on a private X server: Xvfb picks a free display number
# itself (-displayfd), so tests running side by side never share one.
#   with-xvfb.sh WIDTHxHEIGHT command [args...]
size="$1"; shift
fdfile=$(mktemp) || exit 2
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fdfile" 2>/dev/null &
xpid=$!
i=0
while [ ! -s "$fdfile" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done
display=$(tr -d '\n' < "$fdfile")
rm -f "$fdfile"
if [ -z "$display" ]; then kill $xpid 2>/dev/null; echo "Xvfb did not start" >&2; exit 2; fi
DISPLAY=":$display" "$@"
status=$?
kill $xpid 2>/dev/null
wait $xpid 2>/dev/null
exit $status

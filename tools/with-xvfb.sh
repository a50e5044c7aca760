#!/bin/sh
# Runs a command with DISPLAY set to a private Xvfb server on a free display, stopped afterwards.
# -noreset: a server that resets between clients refuses the next test that connects meanwhile.
# XVFB_SCREEN gives another screen, e.g. XVFB_SCREEN=1024x768x24 for the smallest one the program fits.
set -u
fifo=$(mktemp -u /tmp/xvfb-display.XXXXXX)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r display <"$fifo"
rm -f "$fifo"
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT INT TERM
DISPLAY=":$display" "$@"

#!/bin/bash
# Start-up without a directory file ends with the alert and status 1, before any main window;
# with one, the main window opens at the work area less 20 by 40; the trace log separates runs.
. "$(dirname "$0")/lib.sh"

mkdir -p "$folder"
start
alert=$(wait_window "Marlowen Veloria")
shot startup-missing-config
xdotool search --name "^Kestrelon - Marlowen Veloria\$" >/dev/null 2>&1 && fail "main window shown before the alert"
press "$alert" Return
wait_exit
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
expect_in "$work/stderr.txt" "Unable to open file: config.hma"
head -c 200 "$log" | grep -q "New Session" || fail "log does not start with the run separator"

# No usable data folder at all.
env -u HOME XDG_DATA_HOME= "$program" >"$work/stdout.txt" 2>"$work/stderr.txt" &
pid=$!
alert=$(wait_window "Marlowen Veloria")
shot startup-no-data-folder
press "$alert" Return
wait_exit
[ "$status" -eq 1 ] || fail "exit status $status without a data folder, expected 1"
expect_in "$log" "AppData folder could not be found on this machine"

seed
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
shot startup-empty
read -r width height < <(xdotool getdisplaygeometry)
geometry=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "$((width - 20))x$((height - 40))" ] || fail "window is $geometry on a ${width}x${height} screen"
# Closing the main window ends the program even with the help window open.
click "$main" 162 39
wait_window "Help" >/dev/null
press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing the main window ended with status $status"

# A directory file that does not parse ends the program after naming it, and is left as it was.
printf '<config><patient id="0">' >"$folder/config.hma"
start
alert=$(wait_window "Marlowen Veloria")
shot startup-damaged-config
press "$alert" Return
wait_exit
[ "$status" -eq 1 ] || fail "a damaged config.hma ended with status $status, expected 1"
[ "$(cat "$folder/config.hma")" = '<config><patient id="0">' ] || fail "the damaged config.hma was changed"

# Each run starts with two empty lines and "New Session" inside a header line.
[ "$(grep -c '^New Session$' "$log")" -eq 4 ] || fail "four runs, expected four separators"
header='^main                            \([0-9]{5,}\): , \[main            \], \[s_0\] \[[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\], '
grep -Eq "${header}$" "$log" || fail "no separator header line of the exact format"
grep -Eq "${header}Entering function , main$" "$log" || fail "no entering line for main"
grep -Eq '^Global +\([0-9]{5}\): , \[Global::loadFile\], \[s_0\] \[.*\], Loaded file config.hma$' "$log" ||
    fail "no 'Loaded file' line"
echo ok

#!/bin/bash
# A person on a screen of 1024 x 768: the blood-pressure analysis shows its legend whole, the entry
# dialog and the history window name her, the history shows every column without scrolling
# sideways, and a tick box held down for 0.2 s toggles once while one dragged off stays as it was.
here=$(dirname "$0")
if [ "$(xdotool getdisplaygeometry 2>/dev/null)" != "1024 768" ]; then
    XVFB_SCREEN=1024x768x24 exec sh "$here/../../tools/with-xvfb.sh" bash "$0" "$@"
fi
. "$here/lib.sh"

seed_demo
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
click "$main" 60 119 # Edda Tallmoor, three years of every vital
record="$folder/user0.hma"
expect_in "$record" "<first>Edda</first>"

click "$main" 691 38
shot small-analysis "$main"
# "(refer to help for more details)" at the right end of the "Vitals :" row.
[ "$(count_colour "$shots/small-analysis.png" 205x20+785+463 "rgb(50,50,50)")" -gt 40 ] ||
    fail "the pointer to the help is not in the legend"

click "$main" 60 606 # Blood Pressure, first of the vitals
dialog=$(wait_window "Add history entry for Vitals: Blood Pressure")
shot small-entry-dialog "$dialog"
press "$dialog" Escape
wait_gone "Add history entry for Vitals: Blood Pressure"

xdotool mousemove --window "$main" 60 606 click 3
settle
xdotool key Down Down Return
history=$(wait_window "Blood Pressure History")
width=$(xdotool getwindowgeometry "$history" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
[ "$width" -le 1024 ] || fail "the history window is $width pixels wide"
shot small-history "$history"
# Every row's Delete button in sight at the right end of the table.
[ "$(count_colour "$shots/small-history.png" 40x575+835+105 "rgb(224,49,49)")" -gt 1000 ] ||
    fail "the Delete column is out of sight"

# Moderate workout of the first row: held down 0.2 s, then dragged off its box within the cell and
# onto the next row's box, then clicked quickly.
ticks() { grep -o "<c0/>" "$record" | wc -l; }
before=$(ticks)
xdotool mousemove --window "$history" 463 117 mousedown 1 sleep 0.2 mouseup 1
settle
[ "$(ticks)" -eq $((before + 1)) ] || fail "a click held 0.2 s did not tick the box once"
saved=$(md5sum <"$record")
for to in "490 117" "463 142"; do
    sleep 0.2 # the time between two clicks of a person, not a wait
    xdotool mousemove --window "$history" 463 117 mousedown 1 sleep 0.2 mousemove --window "$history" $to mouseup 1
    settle
    [ "$(md5sum <"$record")" = "$saved" ] || fail "a press dragged to $to changed the record"
done
click "$history" 463 117
[ "$(ticks)" -eq "$before" ] || fail "a quick click did not untick the box"
press "$history" Escape
wait_gone "Blood Pressure History"
press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"
echo ok

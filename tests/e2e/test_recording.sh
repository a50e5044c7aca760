#!/bin/bash
# A person records a blood-pressure reading, corrects a value and a date in the history window,
# ticks a condition, changes a range, and switches users with a history window open; the record
# file follows every step at once, and the chart shows the new reading.
. "$(dirname "$0")/lib.sh"

seed_demo
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
record="$folder/user1.hma"
click "$main" 60 135 # Pim Arvelo, five weeks of readings
# The "Vitals" list of the "Add an entry" panel, one line each 15 pixels, for a window height.
vital_line() { echo $((2 * ((${2:-984} - 251) / 2 - 1) + 132 + 15 * ($1 - 1))); }
context_item() { # vital line, item (1 Add a new Entry, 2 Edit History, 3 Properties)
    xdotool mousemove --window "$main" 60 "$(vital_line "$1")" click 3
    settle
    for _ in $(seq 1 "$2"); do xdotool key Down; done
    xdotool key Return
    settle
}
count() { grep -o -- "$2" "$1" | wc -l; }

# Systolic on the chart over the last week, then a reading a day after the last one.
menu_pick "$main" 220 200 61 340 61 450 61 450 61
click "$main" 862 67
shot recording-chart-before "$main"
click "$main" 60 "$(vital_line 1)"
dialog=$(wait_window "Add history entry for Vitals: Blood Pressure")
type_into "$dialog" 180 32 "12/01/2026"
type_into "$dialog" 180 62 "08:15:00 AM"
type_into "$dialog" 180 92 "1330" # a slip of the finger is refused, naming the limits
type_into "$dialog" 180 122 "84"
click "$dialog" 210 357
answer_box recording-refused-value
expect_not_in "$record" "1330"
type_into "$dialog" 180 92 "190"
click "$dialog" 28 232 # Resting
shot recording-entry-dialog "$dialog"
click "$dialog" 210 357 # Add and Quit
wait_gone "Add history entry for Vitals: Blood Pressure"
expect_in "$record" "<systolic>190.000000</systolic>"
expect_in "$record" "<date>12/01/2026</date>"
shot recording-chart-after "$main"
# The chart's window now ends on the new day, and its top right shows the high reading.
before="$shots/recording-chart-before.png" after="$shots/recording-chart-after.png"
convert "$before" -crop 70x20+442+84 +repage "$work/to-before.png"
convert "$after" -crop 70x20+442+84 +repage "$work/to-after.png"
differ=$(compare -metric AE "$work/to-before.png" "$work/to-after.png" null: 2>&1 || true)
[ "${differ%% *}" -gt 0 ] || fail "the chart's time window did not move to the new reading"
high=80x90+1000+200 # above every earlier reading, at the new day
[ "$(count_colour "$before" "$high" "rgb(255,0,0)")" -eq 0 ] || fail "a reading that high was charted before"
[ "$(count_colour "$after" "$high" "rgb(255,0,0)")" -gt 20 ] || fail "the new reading is not on the chart"

# The history window: a value and a date corrected in place, a condition ticked.
context_item 1 2
history=$(wait_window "Blood Pressure History")
shot recording-history "$history"
click "$history" 280 117
xdotool key ctrl+a BackSpace && xdotool type --delay 20 "131" && press "$history" Return
expect_in "$record" "<systolic>131.000000</systolic>"
click "$history" 80 117
xdotool key ctrl+a BackSpace && xdotool type --delay 20 "9/26/2026" && press "$history" Return
expect_in "$record" "<date>09/26/2026</date>"
ticks=$(count "$record" "<c0/>")
click "$history" 464 117 # Moderate workout of the first row
[ $((ticks - $(count "$record" "<c0/>"))) -eq 1 ] || [ $(($(count "$record" "<c0/>") - ticks)) -eq 1 ] ||
    fail "ticking a condition did not change the record"
# Escape leaves an edit without writing it, then closes the window.
click "$history" 280 142
xdotool type --delay 20 "177.5"
press "$history" Escape
window_shown "Blood Pressure History" || fail "Escape in the cell editor closed the window"
press "$history" Escape
wait_gone "Blood Pressure History"
expect_not_in "$record" "177.500000"

# A range: the normal high of Heart Rate.
context_item 2 3
dialog=$(wait_window "Properties for Heart Rate")
shot recording-properties "$dialog"
type_into "$dialog" 130 102 "95"
click "$dialog" 110 260
wait_gone "Properties for Heart Rate"
expect_in "$record" "<normalHigh>95</normalHigh>"

# A history window open while another user is picked closes with the record it shows.
context_item 2 2
history=$(wait_window "Heart Rate History")
xdotool windowmove "$history" 400 0
click "$main" 60 119 # Edda Tallmoor
wait_gone "Heart Rate History"

# A long coloured table, sorted by its highest readings first.
context_item 1 2
history=$(wait_window "Blood Pressure History")
click "$history" 280 81
click "$history" 280 81
shot recording-history-long "$history"
press "$history" Escape
wait_gone "Blood Pressure History"

# The dialogs over a main window of 1024 x 768.
xdotool windowsize "$main" 1024 768
settle
click "$main" 60 "$(vital_line 6 768)"
dialog=$(wait_window "Add history entry for Vitals: Mood")
shot recording-small-window root
press "$dialog" Escape
wait_gone "Add history entry for Vitals: Mood"
press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"
expect_not_in "$work/stderr.txt" "Error"
echo ok

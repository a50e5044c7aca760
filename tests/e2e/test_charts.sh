#!/bin/bash
# A person charts one to four vitals from the "Multi-Display" menu, meets the limit of four, and
# switches the time ranges; the curves show in their colours and the plot matches its references.
. "$(dirname "$0")/lib.sh"
references="$(dirname "$0")/references"

seed_demo
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
click "$main" 60 119 # Edda Tallmoor, three years of every vital

# The "Vitals" submenu lists Blood Pressure, Heart Rate, Temperature, SpO2, Blood Sugar, Mood.
vital() { menu_pick "$main" 220 200 61 340 61 340 "$1"; }
pressure() { menu_pick "$main" 220 200 61 340 61 450 61 450 "$1"; }
plot=894x479+307+190
colours_shown() { # screenshot colour...
    local png="$shots/$1.png"
    shift
    for colour in "$@"; do
        [ "$(count_colour "$png" "$plot" "$colour")" -gt 200 ] || fail "$colour missing from $png"
    done
}

vital 80
wait_in "$work/stdout.txt" "Heart Rate is checked"
shot charts-one-series "$main"
colours_shown charts-one-series "rgb(255,0,0)"
[ "$(count_colour "$shots/charts-one-series.png" "$plot" "rgb(0,0,255)")" -eq 0 ] || fail "a second colour with one series"

pressure 61
wait_in "$work/stdout.txt" "There are 2 items checked"
shot charts-two-series "$main"
colours_shown charts-two-series "rgb(255,0,0)" "rgb(0,0,255)"

vital 99
vital 118
wait_in "$work/stdout.txt" "There are 4 items checked"
shot charts-four-series "$main"
colours_shown charts-four-series "rgb(255,0,0)" "rgb(0,0,255)" "rgb(0,145,0)" "rgb(0,145,145)"

# A fifth is refused after an alert, and the chart keeps its four.
vital 156
alert=$(wait_window "Marlowen Veloria")
press "$alert" Return
wait_gone "Marlowen Veloria"
expect_in "$work/stdout.txt" "There are 5 items checked"
shot charts-after-fifth "$main"
convert "$shots/charts-four-series.png" -crop "$plot" +repage "$work/four.png"
expect_like "$shots/charts-after-fifth.png" "$plot" "$work/four.png" 0

# Time ranges, from the buttons of the chart's top row.
names=(auto year 6-months 3-months month week)
for k in 1 2 3 4 5 0; do
    click "$main" $((412 + 90 * k)) 67
    wait_in "$work/stdout.txt" "Mode is now $k"
    shot "charts-range-${names[$k]}" "$main"
done
expect_like "$shots/charts-range-week.png" "$plot" "$references/week-four-series.png" 3000
expect_like "$shots/charts-range-year.png" "$plot" "$references/year-four-series.png" 3000

# Clearing the chart leaves an empty plot and greys the time ranges.
click "$main" 104 39
shot charts-cleared "$main"
[ "$(count_colour "$shots/charts-cleared.png" "$plot" "rgb(255,0,0)")" -eq 0 ] || fail "curves left after clearing"
press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"
echo ok

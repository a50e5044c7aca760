#!/bin/bash
# A person looks at pulse against its normal range, the blood-pressure analysis, and the histograms
# of one, two and four vitals, in the window as it opens and again at 1024 x 768.
. "$(dirname "$0")/lib.sh"

seed_demo
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
click "$main" 60 119 # Edda Tallmoor, three years of every vital

plot=894x479+307+190
has_colour() { # screenshot colour least
    local n
    n=$(count_colour "$shots/$1.png" "$plot" "$2")
    [ "$n" -ge "$3" ] || fail "$2 in $1: $n pixels"
}
vital() { menu_pick "$main" 220 200 61 340 61 340 "$1"; }
tab() { click "$main" "$1" 126; }

displays() { # suffix: pulse against its range, then the analysis, from the graph tab
    tab 279
    menu_pick "$main" 380 400 61 500 81
    wait_in "$log" "item picked in normal range display menu: Vitals/Heart Rate"
    shot "analysis-normal-range-pulse$1" "$main"
    click "$main" 772 67 # a month, where single excursions show
    wait_in "$work/stdout.txt" "Mode is now 4"
    shot "analysis-normal-range-pulse-month$1" "$main"
    click "$main" 412 67
    click "$main" 691 38
    shot "analysis-blood-pressure$1" "$main"
}

displays ""
has_colour analysis-normal-range-pulse "rgb(24,71,157)" 500   # the curve
has_colour analysis-normal-range-pulse "rgb(200,24,216)" 200  # the low limit's line
has_colour analysis-normal-range-pulse-month "rgb(83,24,157)" 20 # dips shaded
has_colour analysis-blood-pressure "rgb(255,0,0)" 500
has_colour analysis-blood-pressure "rgb(255,197,51)" 5        # a very high reading's marker

tab 340
wait_in "$log" "HistogramTab::populate"
shot analysis-histogram-two "$main"
vital 80
wait_in "$work/stdout.txt" "There are 1 items checked"
shot analysis-histogram-one "$main"
vital 99
vital 118
vital 156
wait_in "$work/stdout.txt" "There are 4 items checked"
shot analysis-histogram-four "$main"
[ "$(convert "$shots/analysis-histogram-four.png" -crop "$plot" +repage -format %k info:)" -gt 50 ] ||
    fail "the histograms look empty"

xdotool windowsize "$main" 1004 728
settle
shot analysis-histogram-four-1024 "$main"
displays -1024
press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"
echo ok

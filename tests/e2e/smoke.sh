#!/bin/bash
# The sanitizer build's end-to-end run: open a user, chart the blood-pressure analysis and a
# vital, switch a time range and leave; any sanitizer report fails it.
. "$(dirname "$0")/lib.sh"

seed_demo
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
click "$main" 60 135 # Pim Arvelo, five weeks of readings
click "$main" 690 39 # the analysis button
menu_pick "$main" 220 200 61 340 61 340 80
wait_in "$work/stdout.txt" "Heart Rate is checked"
click "$main" 862 67
wait_in "$work/stdout.txt" "Mode is now 5"
click "$main" 60 119 # Edda Tallmoor: the chart is emptied for the other record
shot smoke "$main"
press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "ended with status $status"
expect_not_in "$work/stderr.txt" "runtime error"
expect_not_in "$work/stderr.txt" "Sanitizer"
echo ok

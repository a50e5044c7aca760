#!/bin/bash
# A person creates, renames, and removes users with the mouse and keyboard; the files follow.
. "$(dirname "$0")/lib.sh"

seed
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
# A window manager may not shrink it below where every control fits.
xprop -id "$main" WM_NORMAL_HINTS | grep -q "minimum size: 930 by 700" || fail "no minimum size for the window manager"

# Tool row: icon buttons of 24 pixels, 5 apart, from x = 5, y = 27.
new_user() { click "$main" 17 39; }
edit_user() { click "$main" 46 39; }
remove_user() { click "$main" 75 39; }
user_line() { click "$main" 60 $((112 + 16 * ($1 - 1) + 7)); }
menu_item() { # File menu item by position: 1 New, 2 Close, 3 Save, 4 Save chart as PDF…,
    # 5 Report for the doctor…, 6 Export readings as CSV…, 7 Import readings from CSV…, 8 Exit
    click "$main" 15 12
    click "$main" 30 $((35 + 19 * ($1 - 1)))
}

fill_user() { # dialog first last
    type_into "$1" 190 42 "$2"
    type_into "$1" 190 72 "$3"
}

new_user
dialog=$(wait_window "New User")
fill_user "$dialog" Ann Lee
type_into "$dialog" 190 102 "2/29/1960"
shot users-new-dialog
click "$dialog" 170 295
wait_gone "New User"
expect_in "$folder/config.hma" "<first>Ann</first>"
expect_in "$folder/config.hma" "<file>user0.hma</file>"
expect_in "$folder/user0.hma" "<dob>2/29/1960</dob>"
expect_in "$folder/user0.hma" '<patient id="0">'
shot users-ann-open

# A second user through the File menu; Escape abandons it, once asked, and writes nothing.
menu_item 1
dialog=$(wait_window "New User")
fill_user "$dialog" Never Kept
press "$dialog" Escape
answer_box users-drop-question
wait_gone "New User"
expect_not_in "$folder/config.hma" "Never"
[ ! -e "$folder/user1.hma" ] || fail "an abandoned user got a record file"

# While a new user's dialog is open, opening Ann must not write the template over her record.
user_line 1
before=$(cat "$folder/user0.hma")
new_user
dialog=$(wait_window "New User")
user_line 1
wait_gone "New User"
[ "$(cat "$folder/user0.hma")" = "$before" ] || fail "Ann's record changed while a new user was pending"

# Rename: both files change.
user_line 1
edit_user
dialog=$(wait_window "Edit User Information")
shot users-edit-dialog
type_into "$dialog" 190 42 "Anna"
click "$dialog" 170 295
wait_gone "Edit User Information"
expect_in "$folder/config.hma" "<first>Anna</first>"
expect_in "$folder/user0.hma" "<first>Anna</first>"
shot users-renamed

# A bad date keeps the dialog open after its alert.
edit_user
dialog=$(wait_window "Edit User Information")
type_into "$dialog" 190 102 "2/30/1990"
click "$dialog" 170 295
alert=$(wait_window "Marlowen Veloria")
shot users-bad-date-alert
press "$alert" Return
wait_window "Edit User Information" >/dev/null
expect_in "$folder/user0.hma" "<dob>2/29/1960</dob>"
press "$dialog" Escape
wait_gone "Edit User Information"

# Remove: Cancel keeps everything, OK takes the user off the list and keeps the file.
remove_user
question=$(wait_window "Marlowen Veloria")
shot users-remove-question
press "$question" Escape
wait_gone "Marlowen Veloria"
expect_in "$folder/config.hma" "Anna"
remove_user
answer_box
expect_not_in "$folder/config.hma" "Anna"
[ -f "$folder/user0.hma" ] || fail "the removed user's record was deleted"

# A new user gets id 0 again; the old record is moved aside, not overwritten.
new_user
dialog=$(wait_window "New User")
fill_user "$dialog" Cy Park
click "$dialog" 170 295
wait_gone "New User"
expect_in "$folder/user0.hma" "<first>Cy</first>"
ls "$folder" | grep -q '^user0\.removed-.*\.hma$' || fail "the old record was not kept aside"
grep -l "<first>Anna</first>" "$folder"/user0.removed-*.hma >/dev/null || fail "the kept record lost Anna's data"

# The variable browser's right-click menu on Heart Rate, which has no entries yet.
xdotool mousemove --window "$main" 60 879 click 3
settle
shot users-variable-menu
xdotool mousemove_relative 30 50 click 1
wait_in "$work/stdout.txt" "Properties Callback for Heart Rate"
press "$(wait_window "Properties for Heart Rate")" Escape
wait_gone "Properties for Heart Rate"

# Help, then File/Exit ends with status 0.
click "$main" 162 39
help=$(wait_window "Help")
shot users-help
press "$help" Escape
wait_gone "Help"
menu_item 8
wait_exit
[ "$status" -eq 0 ] || fail "File/Exit ended with status $status"
echo ok

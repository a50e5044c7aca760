#!/bin/bash
# A person exports a user's readings to CSV from the File menu, imports the file into a new user
# who has none, then imports it again: the second time nothing is added. A file with bad lines
# is previewed and cancelled; a file of only a header is refused with a message. Nothing the
# program refuses reaches the record file.
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/home" "$work/out"
export HOME="$work/home"
toolkit_file_chooser
seed_demo
cd "$work/out"
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
menu_item() { # 6 Export readings as CSV…, 7 Import readings from CSV…
    click "$main" 15 12
    click "$main" 30 $((35 + 19 * ($1 - 1)))
}
# Exports the open user to the dialog's suggested file in $HOME and prints its path.
export_csv() {
    menu_item 6
    local dialog
    dialog=$(wait_window "Export readings as CSV")
    [ -z "${1:-}" ] || shot "$1" "$dialog"
    click "$dialog" 100 20 # on the caption: focus follows the pointer
    press "$dialog" Return
    answer_box >/dev/null
    wait_gone "Export readings as CSV"
}
# Opens the import's file chooser and picks a file of the current folder.
import_csv() { # file
    menu_item 7
    chooser=$(wait_window "Import readings from CSV")
    click "$chooser" 470 323
    xdotool type --delay 20 "$1"
    press "$chooser" Return
}
previewed() { # file: the preview's counts in the trace
    poll 200 grep -q "Preview of $work/out/$1: " "$log" || fail "no preview of $1"
    grep "Preview of $work/out/$1: " "$log" | tail -n 1
}
rows() { tail -n +2 "$1" | sort; }

click "$main" 60 135 # the second user: five weeks of readings
export_csv csv-export-dialog
shopt -s nullglob
files=("$HOME"/*" readings "*.csv)
[ "${#files[@]}" = 1 ] || fail "not one export in $HOME: ${files[*]:-none}"
mv "${files[0]}" readings.csv
header=$(head -n 1 readings.csv | tr -d '\r')
[ "$header" = "date,time,variable,systolic,diastolic,fasting,postprandial,value,conditions" ] ||
    fail "the export's header is $header"
entries=$(grep -c "<entry " "$folder/user1.hma")
[ "$(($(wc -l <readings.csv) - 1))" = "$entries" ] || fail "the export has not one row per entry ($entries)"
tail -n +2 readings.csv | cut -d, -f1,2 | sort -c || fail "the export is not oldest first"

# A new user, who has no readings, takes them all in one save.
click "$main" 17 39
dialog=$(wait_window "New User")
type_into "$dialog" 190 42 Cy
type_into "$dialog" 190 72 Moss
click "$dialog" 170 295
wait_gone "New User"
record="$folder/user2.hma"
poll 100 test -s "$record" || fail "the new user has no record file"
expect_not_in "$record" "<entry"
import_csv readings.csv
preview=$(wait_window "Import readings from CSV")
previewed readings.csv | grep -qF ": $entries to add, 0 already present, 0 unlikely, 0 lines refused" ||
    fail "the first preview: $(previewed readings.csv)"
shot csv-import-preview "$preview"
click "$preview" 300 200
press "$preview" Return
answer_box csv-imported
wait_gone "Import readings from CSV"
wait_in "$log" "Imported $entries readings from $work/out/readings.csv"
[ "$(grep -c "<entry " "$record")" = "$entries" ] || fail "the record holds not every reading"
export_csv
files=("$HOME"/"Cy Moss readings "*.csv)
[ "${#files[@]}" = 1 ] || fail "Cy Moss's readings were not exported"
[ "$(rows readings.csv)" = "$(rows "${files[0]}")" ] || fail "the readings differ after the import"

# The same file again: every reading is already present; Import stays greyed.
cp "$record" "$work/before.hma"
import_csv readings.csv
preview=$(wait_window "Import readings from CSV")
[ "$(grep -c "Preview of $work/out/readings.csv: 0 to add, $entries already present" "$log")" = 1 ] ||
    fail "the second preview: $(previewed readings.csv)"
click "$preview" 300 200
press "$preview" Return
window_shown "Import readings from CSV" || fail "Import was not greyed with nothing to add"
click "$preview" 372 435 # Cancel
wait_gone "Import readings from CSV"

# Bad lines are listed under their vital in the preview; cancelling writes nothing.
{
    echo "date,time,variable,systolic,diastolic,value"
    echo "2024-01-05,10:00,Blood Pressure,118,76,"
    echo "2024-02-30,10:00,Blood Pressure,120,80,"
    echo "2024-01-05,10:05,Heart Rate,,,fast"
    echo "2024-01-05,10:10,Weight,,,70"
} >bad-lines.csv
import_csv bad-lines.csv
preview=$(wait_window "Import readings from CSV")
previewed bad-lines.csv | grep -qF ": 1 to add, 0 already present, 0 unlikely, 3 lines refused" ||
    fail "the preview of bad lines: $(previewed bad-lines.csv)"
shot csv-import-refused "$preview"
click "$preview" 372 435
wait_gone "Import readings from CSV"

# A file of only a header: a message, and the record is as it was.
printf 'date,time,variable,value\r\n' >header-only.csv
import_csv header-only.csv
answer_box csv-import-header-only
wait_in "$log" "Import of $work/out/header-only.csv ended: The file holds a header line and no readings."
window_hidden "Import readings from CSV" || fail "the preview opened for a file of no readings"
cmp -s "$record" "$work/before.hma" || fail "a refused or cancelled import changed the record"

press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"
echo ok

#!/bin/bash
# A person prints the chart through the print dialog to a printer and to a PostScript file, cancels
# the dialog, and saves the chart as a PDF; after each the main window is as it was. The pages are
# turned into pictures in the screenshots folder.
. "$(dirname "$0")/lib.sh"

# The dialog lists printers with lpstat and prints with lp: stand-ins that keep the job, and hold
# on to it while lp-hold exists. The toolkit's own file chooser, whatever the desktop offers; it
# opens on the program's folder.
mkdir -p "$work/bin" "$work/home/.fltk/fltk.org" "$work/out"
printf '#!/bin/sh\necho "printer office is idle."\necho "system default destination: office"\n' >"$work/bin/lpstat"
cat >"$work/bin/lp" <<EOF
#!/bin/sh
echo "\$*" >"$work/lp-args"
cat >"$work/lp-job.ps"
while [ -e "$work/lp-hold" ]; do touch "$work/lp-holding"; sleep 0.1; done
[ ! -e "$work/lp-fails" ]
EOF
chmod +x "$work/bin/lpstat" "$work/bin/lp"
export PATH="$work/bin:$PATH" HOME="$work/home"
toolkit_file_chooser

seed_demo
cd "$work/out"
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
click "$main" 60 119 # Edda Tallmoor
menu_pick "$main" 220 200 61 340 61 340 80
menu_pick "$main" 220 200 61 340 61 340 99
wait_in "$work/stdout.txt" "There are 2 items checked"
geometry=$(xdotool getwindowgeometry "$main")
away() { xdotool mousemove --window "$main" 1200 12; } # over the notice, where no tooltip shows
away
shot reports-before "$main"

as_before() { # name: the window's place, size and look
    [ "$(xdotool getwindowgeometry "$main")" = "$geometry" ] || fail "$1 moved the window"
    away
    shot "reports-after-$1" "$main"
    expect_like "$shots/reports-after-$1.png" 1260x984+0+0 "$shots/reports-before.png" 50
}
one_page() { # file name: the pages as pictures, and only one of them
    rm -f "$shots/$2"-*.png
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r60 -sOutputFile="$shots/$2-%d.png" "$1"
    [ "$(ls "$shots/$2"-*.png | wc -l)" = 1 ] || fail "$1 has more than one page"
}
print_dialog() { click "$main" 133 39; wait_window "Print"; }
jobs_ended() { [ "$(grep -cF "Exiting function , Report::printCommandEnded" "$log")" -ge "$1" ]; }
# Its buttons: Return would go to the number of copies.
print_button() { click "$dialog" 320 216; }
choose() { # name, or "suggested": typed after the folder the chooser shows
    click "$chooser" 470 323
    shot "reports-chooser-$1" "$chooser"
    [ "$1" = suggested ] || xdotool type --delay 20 "$1"
    press "$chooser" Return
}

dialog=$(print_dialog)
shot reports-print-dialog "$dialog"
print_button
wait_gone "Print"
poll 100 jobs_ended 1 || fail "the print job did not end"
expect_in "$work/lp-args" "-d office"
[ "$(head -c 15 "$work/lp-job.ps")" = "%!PS-Adobe-3.0" ] || fail "lp got no PostScript"
one_page "$work/lp-job.ps" report-chart-lp
as_before print

# A print command that takes its time: the program answers meanwhile (its help opens) and shows
# that it is printing, until the command ends.
printing() { convert "$shots/$1.png" -crop 200x24+800+26 +repage "$work/$1-tools.png"; }
printing reports-before
touch "$work/lp-hold"
dialog=$(print_dialog)
print_button
poll 100 test -e "$work/lp-holding" || fail "lp never got the job"
wait_gone "Print"
click "$main" 162 39 # Help
help=$(wait_window "Help")
press "$help" Escape
wait_gone "Help"
away
shot reports-printing "$main"
printing reports-printing
differ=$(compare -metric AE -fuzz 10% "$work/reports-before-tools.png" "$work/reports-printing-tools.png" null: 2>&1) || true
[ "${differ%% *}" -gt 100 ] || fail "the main window does not show that it is printing"
jobs_ended 2 && fail "the job ended while lp still held it"
rm "$work/lp-hold"
poll 100 jobs_ended 2 || fail "the print job did not end"
as_before slow-print

# A job that lp refuses is told, not taken for printed.
touch "$work/lp-fails"
dialog=$(print_dialog)
print_button
alert=$(wait_window "Marlowen Veloria")
shot reports-print-refused "$alert"
wait_in "$log" "The print command ended with status 256"
press "$alert" Return
wait_gone "Marlowen Veloria"
rm "$work/lp-fails"

# "Print To File" comes first in the list of printers.
dialog=$(print_dialog)
click "$dialog" 200 21
xdotool key Up Return
print_button
chooser=$(wait_window "Select a .ps file")
choose chart.ps
wait_gone "Print"
poll 100 test -s chart.ps || fail "printing to a file wrote nothing"
settle
one_page chart.ps report-chart-ps
as_before print-to-file

rm "$work/lp-job.ps"
dialog=$(print_dialog)
click "$dialog" 420 216 # Cancel
wait_gone "Print"
wait_in "$log" "The print job was cancelled or could not start"
[ ! -e "$work/lp-job.ps" ] || fail "a cancelled dialog printed"
as_before cancel

click "$main" 15 12
click "$main" 30 92 # File/Save chart as PDF…
chooser=$(wait_window "Save chart as PDF")
choose suggested
# Offered under the person's name and the day.
chart_pdf="Edda Tallmoor chart $(date +%F).pdf"
poll 100 test -s "$chart_pdf" || fail "no PDF written: $(ls -A)"
settle
one_page "$chart_pdf" report-chart-pdf
[ "$(identify -format "%[fx:w>h]" "$shots/report-chart-pdf-1.png")" = 1 ] || fail "the PDF is not landscape"
as_before pdf
[ "$(ls -A)" = "$(printf '%s\nchart.ps' "$chart_pdf")" ] || fail "left behind: $(ls -A)"

# A history table saved as a PDF: one upright page; the history window is back as it was.
xdotool mousemove --window "$main" 60 862 click 3 # "Blood Pressure" under "Add an entry"
settle
xdotool key Down Down Return # Edit History
history=$(wait_window "Blood Pressure History")
table_geometry=$(xdotool getwindowgeometry "$history")
click "$history" 95 22 # Save as PDF…
chooser=$(wait_window "Save table as PDF")
choose suggested
table_pdf="Edda Tallmoor Blood Pressure $(date +%F).pdf"
poll 100 test -s "$table_pdf" || fail "no table PDF written: $(ls -A)"
settle
one_page "$table_pdf" report-table-pdf
[ "$(identify -format "%[fx:w<h]" "$shots/report-table-pdf-1.png")" = 1 ] || fail "the table PDF is not upright"
[ "$(xdotool getwindowgeometry "$history")" = "$table_geometry" ] || fail "the history window moved"
press "$history" Escape
wait_gone "Blood Pressure History"

press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"

# A program killed while it saves a PDF leaves nothing behind, in the temporary folder or beside
# the PDF: here the converter kills it while the page waits to be converted.
mkdir -p "$work/killing" "$work/tmp" "$work/out-killed"
printf '#!/bin/sh\nkill -KILL $PPID\nsleep 5\n' >"$work/killing/ps2pdf"
chmod +x "$work/killing/ps2pdf"
cd "$work/out-killed"
PATH="$work/killing:$PATH" TMPDIR="$work/tmp" start
main=$(wait_window "Kestrelon - Marlowen Veloria")
click "$main" 60 119 # Edda Tallmoor
click "$main" 15 12
click "$main" 30 92 # File/Save chart as PDF…
chooser=$(wait_window "Save chart as PDF")
choose suggested
wait_exit
[ "$status" -eq 137 ] || fail "the program was not killed but ended with status $status"
left=$(ls -A "$work/tmp")$(ls -A "$work/out-killed")
[ -z "$left" ] || fail "left behind: $left"
echo ok

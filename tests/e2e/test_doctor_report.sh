#!/bin/bash
# A person makes the report for the doctor of a month from the File menu, saves it as a PDF and
# prints it; then starts one of all readings and cancels it from its progress window: no file is
# left.
. "$(dirname "$0")/lib.sh"

# Stand-ins for the printer's commands, which keep the job.
mkdir -p "$work/bin" "$work/home/.fltk/fltk.org" "$work/out" "$work/tmp"
printf '#!/bin/sh\necho "printer office is idle."\necho "system default destination: office"\n' >"$work/bin/lpstat"
printf '#!/bin/sh\ncat >"%s/lp-job.ps"\n' "$work" >"$work/bin/lp"
chmod +x "$work/bin/lpstat" "$work/bin/lp"
export PATH="$work/bin:$PATH" HOME="$work/home" TMPDIR="$work/tmp"
toolkit_file_chooser

seed_demo
cd "$work/out"
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
menu_item() {
    click "$main" 15 12
    click "$main" 30 111 # File/Report for the doctor…, the fifth item
}
menu_item
window_hidden "Report for the doctor" || fail "the report opened with no user open"
window_shown "Kestrelon - Marlowen Veloria" || fail "the greyed item did something"
press "$main" Escape
click "$main" 60 119 # Edda Tallmoor: three years of every vital
menu_item
dialog=$(wait_window "Report for the doctor")
type_into "$dialog" 110 47 "11/01/2026"
type_into "$dialog" 260 47 "11/30/2026"
shot doctor-report-dialog "$dialog"
click "$dialog" 200 290 # Save as PDF…
chooser=$(wait_window "Save report for the doctor as PDF")
click "$chooser" 470 323
press "$chooser" Return
pdf="Edda Tallmoor report 2026-11-01 to 2026-11-30.pdf"
poll 100 test -s "$pdf" || fail "no PDF written: $(ls -A)"
settle
pdftotext -layout "$pdf" "$work/report.txt"
expect_in "$work/report.txt" "Edda Tallmoor"
expect_in "$work/report.txt" "Period: November 1, 2026 to November 30, 2026"
expect_in "$work/report.txt" "Home blood pressure"
expect_in "$work/report.txt" "page 1 of "
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r60 -dFirstPage=1 -dLastPage=1 \
    -sOutputFile="$shots/doctor-report-page-1.png" "$pdf"

# The same pages through the print dialog.
click "$dialog" 320 290 # Print…
print=$(wait_window "Print")
click "$print" 320 216
wait_gone "Print"
poll 100 grep -q "Exiting function , Report::printCommandEnded" "$log" || fail "the print job did not end"
pages=$(grep -c "^%%Page:" "$work/lp-job.ps")
expect_in "$work/report.txt" "page 1 of $pages"
rm "$work/lp-job.ps"

# Three years take a while: the progress shows, and Cancel leaves nothing behind.
rm "$pdf"
click "$dialog" 434 80 # All readings
click "$dialog" 200 290
chooser=$(wait_window "Save report for the doctor as PDF")
click "$chooser" 470 323
press "$chooser" Return
progress=$(wait_window "Making the report")
shot doctor-report-progress "$progress"
click "$progress" 265 66 # Cancel
wait_gone "Making the report"
wait_in "$log" "Exiting function , DoctorReportWindow::saveCB_i"
left=$(ls -A "$work/out")$(ls -A "$work/tmp")
[ -z "$left" ] || fail "left behind: $left"
press "$dialog" Escape
wait_gone "Report for the doctor"
press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"
echo ok

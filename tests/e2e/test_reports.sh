#!/bin/bash
# A person prints the chart to a printer and to a PostScript file through the print dialog, cancels
# it, and saves the chart as a PDF; after each the main window is as it was. The pages are turned
# into pictures in the screenshots folder.
. "$(dirname "$0")/lib.sh"

# The print dialog lists printers with lpstat and prints with lp: stand-ins that keep the job.
mkdir -p "$work/bin" "$work/home/.fltk/fltk.org" "$work/out"
printf '#!/bin/sh\necho "printer office is idle.  enabled since Mon 01 Jan 2024"\necho "system default destination: office"\n' \
    >"$work/bin/lpstat"
printf '#!/bin/sh\necho "$*" >"%s/lp-args"\ncat >"%s/lp-job.ps"\n' "$work" "$work" >"$work/bin/lp"
chmod +x "$work/bin/lpstat" "$work/bin/lp"
export PATH="$work/bin:$PATH"
# The toolkit's own file chooser, whatever the desktop offers.
export HOME="$work/home"
printf '; FLTK preferences file format 1.0\n; vendor: fltk.org\n; application: fltk\n\n[./options]\nFNFCUsesGTK:0\n' \
    >"$HOME/.fltk/fltk.org/fltk.prefs"

seed_demo
cd "$work/out"
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
click "$main" 60 119 # Edda Tallmoor
vital() { menu_pick "$main" 220 200 61 340 61 340 "$1"; }
vital 80
vital 99
wait_in "$work/stdout.txt" "There are 2 items checked"
geometry=$(xdotool getwindowgeometry "$main")
away() { xdotool mousemove --window "$main" 1200 12; } # the notice: no tooltip
away
shot reports-before "$main"

# The window's place, size and look are as before the report.
as_before() { # name
    [ "$(xdotool getwindowgeometry "$main")" = "$geometry" ] || fail "$1 moved the window: $(xdotool getwindowgeometry "$main")"
    away
    shot "reports-after-$1" "$main"
    expect_like "$shots/reports-after-$1.png" "$(identify -format %wx%h+0+0 "$shots/reports-before.png")" \
        "$shots/reports-before.png" 50
}
pages() { # file name: its pages as pictures; prints how many
    rm -f "$shots/$2"-*.png
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r60 -sOutputFile="$shots/$2-%d.png" "$1"
    ls "$shots/$2"-*.png | wc -l
}
print_dialog() { click "$main" 133 39; wait_window "Print"; }
# The toolkit's file chooser opens on the program's folder, $work/out: a name typed after it, or
# the name it suggests.
choose() {
    click "$chooser" 470 323
    shot "reports-chooser-$1" "$chooser"
    [ "$1" = suggested ] || xdotool type --delay 20 "$1"
    press "$chooser" Return
}
# The dialog's buttons; a key would go to its number of copies.
print_button() { click "$dialog" 320 216; }
cancel_button() { click "$dialog" 420 216; }

dialog=$(print_dialog)
shot reports-print-dialog "$dialog"
print_button
poll 100 test -s "$work/lp-job.ps" || fail "no job reached lp"
wait_gone "Print"
settle
expect_in "$work/lp-args" "-d office"
[ "$(head -c 15 "$work/lp-job.ps")" = "%!PS-Adobe-3.0" ] || fail "lp got no PostScript"
[ "$(pages "$work/lp-job.ps" report-chart-lp)" = 1 ] || fail "lp got more than one page"
as_before print

# To a file: "Print To File" is the first printer in the list, then the file chooser.
dialog=$(print_dialog)
click "$dialog" 200 21
xdotool key Up Return
settle
print_button
chooser=$(wait_window "Select a .ps file")
choose chart.ps
poll 100 test -s "$work/out/chart.ps" || fail "printing to a file wrote nothing"
wait_gone "Print"
settle
[ "$(pages "$work/out/chart.ps" report-chart-ps)" = 1 ] || fail "the PostScript file has more than one page"
as_before print-to-file

# Cancelled: nothing reaches lp, nothing moves.
rm -f "$work/lp-job.ps"
dialog=$(print_dialog)
cancel_button
wait_gone "Print"
expect_in "$log" "The print job was cancelled or could not start"
[ ! -e "$work/lp-job.ps" ] || fail "a cancelled dialog printed"
as_before cancel

# File/Save chart as PDF…
click "$main" 15 12
click "$main" 30 92
chooser=$(wait_window "Save chart as PDF")
choose suggested
poll 100 test -s "$work/out/chart.pdf" || fail "no PDF written"
settle
[ "$(head -c 5 "$work/out/chart.pdf")" = "%PDF-" ] || fail "chart.pdf is no PDF"
[ "$(pages "$work/out/chart.pdf" report-chart-pdf)" = 1 ] || fail "the PDF has more than one page"
size=$(identify -format "%w %h" "$shots/report-chart-pdf-1.png")
[ "${size% *}" -gt "${size#* }" ] || fail "the PDF page shows upright, not landscape: $size"
as_before pdf
[ "$(ls -A "$work/out")" = "$(printf 'chart.pdf\nchart.ps')" ] || fail "left behind: $(ls -A "$work/out")"

press "$main" Escape
wait_exit
[ "$status" -eq 0 ] || fail "closing ended with status $status"
echo ok

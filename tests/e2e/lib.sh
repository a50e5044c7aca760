# Helpers for driving the real program under Xvfb with xdotool. Sourced by the test_*.sh scripts,
# which get the program's path as $1 and the installation data folder as $2.
set -eu

program_source=$1
data_source=$2
shots="$(dirname "$program_source")/screenshots"
mkdir -p "$shots"

work=$(mktemp -d /tmp/mv-e2e.XXXXXX)
# A copy of the program in its own folder keeps its trace log apart from other runs.
cp "$program_source" "$work/marlowen-veloria"
program="$work/marlowen-veloria"
log="$work/marlowen-veloria_debuglog.txt"
export XDG_DATA_HOME="$work/data"
folder="$XDG_DATA_HOME/Kestrelon/Marlowen Veloria"
pid=""

if [ -z "${DISPLAY:-}" ]; then
    echo "e2e tests need DISPLAY; run them through tools/with-xvfb.sh" >&2
    exit 1
fi

# Ends every process the script started in the background, not only the last program, so that
# none is left on the display for the next script.
cleanup() {
    local started p
    started="$(jobs -p) $pid"
    for p in $started; do
        kill "$p" 2>/dev/null || true
    done
    for p in $started; do
        for _ in $(seq 1 40); do
            kill -0 "$p" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$log" ] && tail -n 20 "$log" >&2
    exit 1
}

seed() {
    mkdir -p "$folder"
    cp "$data_source/config.hma" "$data_source/template_new.xml" "$data_source/readme.txt" "$folder/"
}

start() {
    "$program" >"$work/stdout.txt" 2>"$work/stderr.txt" &
    pid=$!
}

# Waits until the program is idle: its trace log, written by every operation and every chart
# drawing, has stopped growing for 60 ms (a handled event writes to it within a millisecond or two).
settle() {
    local last=-1 size quiet=0
    for _ in $(seq 1 500); do
        size=$(stat -c %s "$log" 2>/dev/null || echo 0)
        if [ "$size" = "$last" ]; then
            quiet=$((quiet + 1))
            [ "$quiet" -ge 3 ] && return 0
        else
            quiet=0
        fi
        last=$size
        sleep 0.02
    done
}

# Polls a condition (a command) every 50 ms for up to the given number of tries.
poll() { # tries command...
    local tries=$1
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

window_id() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_id "$1")" ]; }
window_hidden() { ! window_shown "$1"; }
program_ended() { ! kill -0 "$pid" 2>/dev/null; }

# Waits for a window whose title matches exactly and prints its id.
wait_window() {
    poll 200 window_shown "$1" || fail "no window titled '$1'"
    settle
    window_id "$1"
}

wait_gone() {
    poll 100 window_hidden "$1" || fail "window '$1' is still open"
}

# Ends with the program's exit status in $status.
wait_exit() {
    poll 200 program_ended || fail "the program did not end"
    set +e
    wait "$pid"
    status=$?
    set -e
    pid=""
}

# Waits until a file holds a text (the program's output, a record).
wait_in() { # file text
    poll 100 grep -qF -- "$2" "$1" || fail "'$2' never appeared in $1"
}

click() { # window x y
    xdotool mousemove --window "$1" "$2" "$3" click 1
    settle
}

press() { # window keys...: real key events to the focused window
    local window=$1
    shift
    timeout 2 xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --delay 30 "$@"
    settle
}

type_into() { # window x y text: replaces the field's text
    click "$1" "$2" "$3"
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "$4"
    settle
}

shot() { # name [window]: the whole screen, or one window in its own coordinates
    settle
    import -window "${2:-root}" "$shots/$1.png"
}

# Two sample users written from a fixed seed: three years of every vital, and five weeks.
seed_demo() {
    seed
    python3 "$data_source/../tools/make_records.py" demo "$folder" >/dev/null
}

# Opens a menu button of the tool row (its x), hovers through points (x y ...) and clicks the last.
menu_pick() { # window menu_x x y [x y ...]
    local window=$1
    xdotool mousemove --window "$window" "$2" 39 click 1
    shift 2
    settle
    while [ $# -gt 2 ]; do
        xdotool mousemove --window "$window" "$1" "$2"
        settle
        shift 2
    done
    xdotool mousemove --window "$window" "$1" "$2" click 1
    settle
}

# Pixels of an image part within 8 % of a colour: count_colour png geometry colour
count_colour() {
    convert "$1" -crop "$2" +repage -fill black -opaque white -fuzz 8% -fill white -opaque "$3" \
        -fuzz 0 -fill black +opaque white -format "%[fx:round(mean*w*h)]" info:
}

# The plot part of a screenshot against a reference image: fails when more than max pixels differ.
expect_like() { # png geometry reference max
    local crop="$work/crop.png" differ
    convert "$1" -crop "$2" +repage "$crop"
    differ=$(compare -metric AE -fuzz 10% "$3" "$crop" null: 2>&1) || true
    [ "${differ%% *}" -le "$4" ] 2>/dev/null || fail "$1 differs from $(basename "$3") in $differ pixels"
}

# Waits for the program's alert or question box, takes a screenshot when named, and answers it
# with Return (the pointer moved into it first: focus follows the pointer).
answer_box() { # [shot name]
    local box
    box=$(wait_window "Marlowen Veloria")
    [ -z "${1:-}" ] || shot "$1"
    click "$box" 0 0 >/dev/null 2>&1 || true
    press "$box" Return
    wait_gone "Marlowen Veloria"
}

# The toolkit's own file chooser, which xdotool can drive, for the $HOME of the script.
toolkit_file_chooser() {
    mkdir -p "$HOME/.fltk/fltk.org"
    printf '; FLTK preferences file format 1.0\n; vendor: fltk.org\n; application: fltk\n\n[./options]\nFNFCUsesGTK:0\n' \
        >"$HOME/.fltk/fltk.org/fltk.prefs"
}

expect_in() { # file text
    grep -qF -- "$2" "$1" || fail "'$2' not in $1"
}

expect_not_in() {
    ! grep -qF -- "$2" "$1" || fail "'$2' unexpectedly in $1"
}

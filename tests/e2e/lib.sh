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

cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
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

# Waits for a window whose title matches exactly and prints its id.
wait_window() {
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        if [ -n "$id" ]; then
            sleep 0.3
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window titled '$1'"
}

wait_gone() {
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$1' is still open"
}

# Ends with the program's exit status in $status.
wait_exit() {
    for _ in $(seq 1 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            set +e
            wait "$pid"
            status=$?
            set -e
            pid=""
            return 0
        fi
        sleep 0.1
    done
    fail "the program did not end"
}

click() { # window x y
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

press() { # window keys...: real key events to the focused window
    local window=$1
    shift
    xdotool windowfocus "$window" 2>/dev/null || true
    sleep 0.1
    xdotool key --delay 30 "$@"
    sleep 0.3
}

type_into() { # window x y text: replaces the field's text
    click "$1" "$2" "$3"
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "$4"
    sleep 0.2
}

shot() {
    sleep 0.3
    import -window root "$shots/$1.png"
}

expect_in() { # file text
    grep -qF -- "$2" "$1" || fail "'$2' not in $1"
}

expect_not_in() {
    ! grep -qF -- "$2" "$1" || fail "'$2' unexpectedly in $1"
}

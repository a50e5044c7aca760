#!/bin/bash
# The data folder: an installed program makes it on a new person's first run; a second copy on
# the same folder is turned away without writing anything; leftovers of killed saves are removed.
. "$(dirname "$0")/lib.sh"

# Waits until the pid given has ended and prints its exit status.
wait_pid() {
    for _ in $(seq 1 100); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1" && echo 0 || echo $?
            return 0
        fi
        sleep 0.1
    done
    fail "process $1 did not end"
}

# Installed into a temporary prefix, started on an empty home, as from the desktop menu.
prefix="$work/prefix"
cmake --install "$(dirname "$program_source")" --prefix "$prefix" >/dev/null
mkdir -p "$work/home"
installed_folder="$work/home/.local/share/Kestrelon/Marlowen Veloria"
env -u XDG_DATA_HOME HOME="$work/home" XDG_DATA_DIRS="$prefix/share" "$prefix/bin/marlowen-veloria" \
    >"$work/stdout.txt" 2>"$work/stderr.txt" &
pid=$!
main=$(wait_window "Kestrelon - Marlowen Veloria")
shot first-run
for file in config.hma template_new.xml readme.txt; do
    cmp -s "$data_source/$file" "$installed_folder/$file" || fail "$file was not copied into the new data folder"
done
ls -A "$work/home/.local/share/Kestrelon" | grep -qv '^Marlowen Veloria$' && fail "a temporary folder was left behind"
expect_in "$prefix/bin/marlowen-veloria_debuglog.txt" "Created the data folder $installed_folder/"
press "$main" Escape
wait_exit

# A second copy on a folder in use alerts and ends; the first goes on, and nothing was written.
seed
touch "$folder/.user0.hma.a1B2c3" "$folder/.notes.txt.a1B2c3"
start
main=$(wait_window "Kestrelon - Marlowen Veloria")
[ -e "$folder/.user0.hma.a1B2c3" ] && fail "a leftover of a killed save was kept"
[ -e "$folder/.notes.txt.a1B2c3" ] || fail "a file that is not a leftover of this program was removed"
expect_in "$log" "Removed .user0.hma.a1B2c3, left behind by a save that did not finish"
before=$(ls -l --time-style=full-iso "$folder"; cat "$folder"/*)
"$program" >"$work/second.txt" 2>&1 &
second=$!
alert=$(wait_window "Marlowen Veloria")
shot second-copy
press "$alert" Return
[ "$(wait_pid $second)" = 1 ] || fail "the second copy did not end with status 1"
expect_in "$log" "Error: another copy of the program is running on $folder/"
[ "$(ls -l --time-style=full-iso "$folder"; cat "$folder"/*)" = "$before" ] || fail "the second copy changed the folder"
kill -0 "$pid" || fail "the first copy ended"
click "$main" 17 39
dialog=$(wait_window "New User")
type_into "$dialog" 190 42 Cy
type_into "$dialog" 190 72 Park
click "$dialog" 170 295
wait_gone "New User"
expect_in "$folder/config.hma" "<first>Cy</first>"
press "$main" Escape
wait_exit

# Ids listed twice are told once, at start-up, before the main window.
sed -i 's/id="0"/id="7"/' "$folder/config.hma"
printf '<config><patient id="7"><name><first>A</first><last>B</last></name><file>user7.hma</file></patient>%s' \
    "$(tail -c +9 "$folder/config.hma")" >"$folder/config.hma"
start
alert=$(wait_window "Marlowen Veloria")
shot duplicate-ids
press "$alert" Return
main=$(wait_window "Kestrelon - Marlowen Veloria")
expect_in "$log" "These user ids are listed more than once in config.hma: 7."
press "$main" Escape
wait_exit
echo ok

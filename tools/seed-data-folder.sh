#!/bin/sh
# Plays the installer's part: creates the data folder and copies the installation data files
# into it, never overwriting a file that is already there.
set -eu
source_dir=${1:-/usr/share/marlowen-veloria}
case "${XDG_DATA_HOME:-}" in
    /*) base=$XDG_DATA_HOME ;;
    *) base=${HOME:?neither XDG_DATA_HOME nor HOME is set}/.local/share ;;
esac
folder="$base/Kestrelon/Marlowen Veloria"
mkdir -p "$folder"
for file in config.hma template_new.xml readme.txt; do
    [ -e "$folder/$file" ] || cp "$source_dir/$file" "$folder/$file"
done

#!/bin/sh
# Starts the program on a throw-away data folder holding two sample users, written from a fixed
# seed; the person's own data folder is never touched. The folder is removed when the program ends.
set -eu
program=$1
here=$(dirname "$0")
work=$(mktemp -d /tmp/marlowen-demo.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
folder="$work/Kestrelon/Marlowen Veloria"
python3 "$here/make_records.py" demo "$folder"
cp "$here/../data/template_new.xml" "$here/../data/readme.txt" "$folder/"
XDG_DATA_HOME="$work" "$program"

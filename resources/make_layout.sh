#!/bin/sh
# Makes the TFORM1 resource: the layout text in CP1250, then each picture it names as
# "@picture <name> <size>", a line end, the JPEG's bytes and a line end.
# usage: make_layout.sh <layout (UTF-8)> <output> <name>=<jpeg> ...
set -eu
layout=$1 out=$2
shift 2
iconv -f UTF-8 -t CP1250 "$layout" > "$out.tmp"
for pair in "$@"; do
  name=${pair%%=*} file=${pair#*=}
  printf '@picture %s %s\n' "$name" "$(stat -c %s "$file")" >> "$out.tmp"
  cat "$file" >> "$out.tmp"
  printf '\n' >> "$out.tmp"
done
mv "$out.tmp" "$out"

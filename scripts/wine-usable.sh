#!/usr/bin/env bash
# Whether this machine can run the Windows build under Wine. Wine runs 32-bit Windows programs
# through 32-bit Linux programs of its own; a kernel or sandbox that cannot execute 32-bit Linux
# programs ("Exec format error") cannot run any of them. Exits 0 when Wine works; otherwise
# prints the reason on standard output and exits 1.
if ! command -v wine >/dev/null 2>&1; then
  echo "Wine is not installed"
  exit 1
fi
if ! out=$(wine --version 2>&1); then
  echo "Wine does not start here: ${out##*: } (this machine cannot execute 32-bit Linux programs)"
  exit 1
fi
exit 0

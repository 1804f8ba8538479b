#!/usr/bin/env bash
# Without any display the app must say so in one clear line and exit non-zero.
set -u
binary=$1
stderr=$(env -u DISPLAY -u WAYLAND_DISPLAY ASAN_OPTIONS=detect_leaks=0 "$binary" 2>&1 >/dev/null)
status=$?
if [[ $status -eq 0 ]]; then
  echo "expected a non-zero exit status without a display" >&2
  exit 1
fi
if [[ $(printf '%s\n' "$stderr" | wc -l) -ne 1 || "$stderr" != *"no graphical display"* ]]; then
  echo "expected one line about the missing display, got:" >&2
  printf '%s\n' "$stderr" >&2
  exit 1
fi
echo "ok: $stderr"

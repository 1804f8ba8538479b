#!/usr/bin/env bash
# Idle CPU of the whole app: CPU time of its main thread (from schedstat) over 20 s, starting
# 15 s after the last pane was opened (cursor blinking has stopped), with 0, 1 and 8 panes at
# their prompts; and the same for an empty GTK window with and without a 2-second timer.
#
#   cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
#   cmake --build build/release -j2 --target tavoro-quelm tq_bare_window_probe
#   scripts/with-display bench/app/measure-idle.sh build/release
set -euo pipefail
build=${1:?usage: measure-idle.sh BUILD_DIR}
runs=${RUNS:-3}
export GSK_RENDERER=cairo GTK_A11Y=none SHELL=/bin/bash

main_thread_ns() { cut -d' ' -f1 "/proc/$1/task/$1/schedstat"; }
idle_us() { # PID: main-thread CPU over 20 s, in microseconds
  local before after
  before=$(main_thread_ns "$1"); sleep 20; after=$(main_thread_ns "$1")
  echo $(( (after - before) / 1000 ))
}

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
mkdir -p "$XDG_CONFIG_HOME/tavoro-quelm" "$home/Projects/alpha"
printf '[defaults]\nTavoroQuelm.rootDirectory=%s\n' "$home/Projects" > "$XDG_CONFIG_HOME/tavoro-quelm/settings.ini"

for panes in 0 1 8; do
  for run in $(seq "$runs"); do
    "$build/tavoro-quelm" & pid=$!
    sleep 3
    if (( panes > 0 )); then
      xdotool mousemove 100 111 click 1   # the first project row
      sleep 1
      for _ in $(seq 2 "$panes"); do xdotool key ctrl+shift+t; sleep 0.3; done
    fi
    xdotool mousemove 1100 700
    sleep 15
    echo "app, $panes panes, run $run: $(idle_us "$pid") us over 20 s"
    kill "$pid"; wait "$pid" 2>/dev/null || true
  done
done

for variant in "" --timer; do
  for run in $(seq "$runs"); do
    "$build/bench/app/tq_bare_window_probe" $variant & pid=$!
    sleep 18
    echo "empty GTK window ${variant:-(no timer)}, run $run: $(idle_us "$pid") us over 20 s"
    kill "$pid"; wait "$pid" 2>/dev/null || true
  done
done

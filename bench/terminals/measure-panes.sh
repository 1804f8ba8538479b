#!/usr/bin/env bash
# Resident memory added per terminal pane, and idle CPU with 8 panes, measured on a private
# Xvfb display with the cairo renderer. Each figure comes from a fresh process:
#   memory: resident memory of a 1600 x 1000 window with 1, 2 and 9 panes, 2 s after every
#           shell shows its prompt; per extra pane = (RSS(9) - RSS(1)) / 8, and from 2 to 9
#           panes (RSS(9) - RSS(2)) / 7, since part of the memory follows the terminals' pixel
#           area rather than their number. The anonymous part
#           (RssAnon) is the reliable one: file-backed pages of an idle process may be reclaimed
#           at any time (this VM runs DAMON page-out), which makes VmRSS drift;
#   idle CPU: CPU time (all threads, from schedstat) of a window with 8 panes at their prompts
#           over 20 s, starting 12 s after they are up, when cursors have stopped blinking
#           (GTK's cursor-blink timeout is 10 s).
# Usage: bench/terminals/measure-panes.sh [--tilix] [BUILD_DIR]
#   BUILD_DIR defaults to build/release (cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo).
#   --tilix measures tilix (GTK 3 + VTE, if installed) the same way, for comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ "${1:-}" != --inner ]]; then
  exec "$root/scripts/with-display" "$0" --inner "$@"
fi
shift
with_tilix=0
if [[ "${1:-}" == --tilix ]]; then with_tilix=1; shift; fi
build=${1:-$root/build/release}
probe="$build/bench/terminals/tq_terminal_pane_probe"
[[ -x "$probe" ]] || { echo "build $probe first" >&2; exit 1; }

export GSK_RENDERER=cairo SHELL=/bin/bash
work=$(mktemp -d "${TMPDIR:-/tmp}/tq-measure.XXXXXX")
export HOME="$work/home"
mkdir -p "$HOME"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

rss_kb() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status"; }
# CPU time in nanoseconds of each thread of a process: "TID NS" lines.
thread_cpu() { for t in /proc/"$1"/task/*; do echo "${t##*/} $(cut -d' ' -f1 "$t/schedstat" 2>/dev/null)"; done; }
children() { cat /proc/"$1"/task/*/children 2>/dev/null | wc -w; }

# Starts the probe with N panes and prints its pid once every shell shows its prompt.
start_probe() {
  local out="$work/probe-$1.out"
  "$probe" "$@" >"$out" 2>"$work/probe-$1.err" &
  local pid=$!
  pids+=("$pid")
  for _ in $(seq 1 600); do
    grep -q '^ready' "$out" 2>/dev/null && { echo "$pid"; return; }
    sleep 0.1
  done
  echo "probe with $1 panes did not get ready" >&2; cat "$work/probe-$1.err" >&2; exit 1
}

# Starts tilix with N terminals (one window, splits added through its actions) and prints its pid.
start_tilix() {
  local n=$1 dir="$work/project-tilix-$1"
  mkdir -p "$dir"
  tilix --geometry=180x55 -w "$dir" >"$work/tilix-$n.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  for _ in $(seq 1 300); do [[ $(children "$pid") -ge 1 ]] && break; sleep 0.1; done
  local i
  for ((i = 1; i < n; i++)); do
    if ((i % 2)); then tilix -a session-add-right >/dev/null 2>&1; else tilix -a session-add-down >/dev/null 2>&1; fi
    for _ in $(seq 1 300); do [[ $(children "$pid") -ge $((i + 1)) ]] && break; sleep 0.1; done
  done
  [[ $(children "$pid") -eq $n ]] || { echo "tilix has $(children "$pid") shells, not $n" >&2; exit 1; }
  sleep 1
  echo "$pid"
}

stop() { kill "$1"; wait "$1" 2>/dev/null || true; }

# Threads may come and go meanwhile (GLib's pool): a new thread counts whole, one that ended
# counts nothing.
idle_cpu_ms() {
  local pid
  pid=$("$@"); sleep 12; thread_cpu "$pid" >"$work/cpu0"; sleep 20; thread_cpu "$pid" >"$work/cpu1"; stop "$pid"
  awk 'NR == FNR { before[$1] = $2; next } { sum += $2 - ($1 in before ? before[$1] : 0) }
       END { printf "%.1f", sum / 1e6 }' "$work/cpu0" "$work/cpu1"
}

measure() {
  local name=$1 start=$2 pid n idle
  local -A anon rss
  # A first start fills the font caches under the fresh $HOME; measure after it.
  pid=$($start 1); stop "$pid"
  for n in 1 2 9; do
    pid=$($start $n); sleep 2; rss[$n]=$(rss_kb "$pid" VmRSS); anon[$n]=$(rss_kb "$pid" RssAnon); stop "$pid"
  done
  idle=$(idle_cpu_ms $start 8)
  awk -v n="$name" -v a1="${anon[1]}" -v a2="${anon[2]}" -v a9="${anon[9]}" \
      -v r1="${rss[1]}" -v r2="${rss[2]}" -v r9="${rss[9]}" -v i="$idle" 'BEGIN {
    printf "%s:\n  RssAnon 1 / 2 / 9 panes: %.1f / %.1f / %.1f MB; per extra pane: %.2f MB (1 to 9), %.2f MB (2 to 9)\n",
      n, a1 / 1024, a2 / 1024, a9 / 1024, (a9 - a1) / 8 / 1024, (a9 - a2) / 7 / 1024
    printf "  VmRSS   1 / 2 / 9 panes: %.1f / %.1f / %.1f MB; per extra pane: %.2f MB (1 to 9), %.2f MB (2 to 9)\n",
      r1 / 1024, r2 / 1024, r9 / 1024, (r9 - r1) / 8 / 1024, (r9 - r2) / 7 / 1024
    printf "  idle CPU with 8 panes: %s ms over 20 s\n", i }'
}

echo "cores: $(nproc), renderer: GSK_RENDERER=$GSK_RENDERER"
measure "tavoro-quelm panes" start_probe
echo "  idle CPU with 8 panes without the activity monitor: $(idle_cpu_ms start_probe 8 --no-monitor) ms over 20 s"
if ((with_tilix)); then
  command -v tilix >/dev/null || { echo "tilix is not installed" >&2; exit 1; }
  measure "tilix $(dpkg-query -W -f '${Version}' tilix 2>/dev/null || true)" start_tilix
fi

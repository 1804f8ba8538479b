#!/usr/bin/env bash
# Start to first frame, start to first shell prompt and resident memory of tavoro-quelm and of
# GNOME Console (kgx), measured the same way, side by side, on a private Xvfb display with a
# private session bus (scripts/with-display).
#
# Every launch goes through tq_app_launch_probe (bench/app/launch_probe.cpp), which takes the
# time just before it forks the app and then watches the X server:
#   frame         first damage after which the app's window shows more than one colour;
#   prompt        the shell's first PROMPT_COMMAND writes $EPOCHREALTIME (same clock) to a file;
#   prompt shown  first damage after which the window shows the prompt's magenta line;
#   CPU time      of all the app's threads at the first frame and when the prompt shows (from
#                 schedstat: steadier than wall times on a shared machine);
#   memory        VmRSS, RssAnon and Pss (smaps_rollup) of the app's process, 2 s after the
#                 prompt shows.
# Both apps run the same shell: SHELL (ours) and the "shell" key of org.gnome.Console (kgx) name
# a probe script that execs `bash --rcfile PROBE_RC -i`. Both windows are 1200 x 800 (ours by
# default, kgx through its last-window-size key). Each app has its own HOME and XDG folders,
# kept across its runs (warm caches, like a user's second start), and GSETTINGS_BACKEND=keyfile.
# Our app starts with a root folder of 12 projects and nothing selected (its normal start):
# its first frame is the workspace with the sidebar; right after that frame the probe clicks the
# first project's row (XTest, position found once beforehand through the accessibility tree),
# which creates the project's terminal. So our "prompt" includes one click, made at the
# earliest moment a user could make it. kgx opens its terminal by itself.
#
# Runs are interleaved: for each run, each renderer, both apps (order alternating between runs).
# Usage: bench/app/measure-startup.sh [--runs N] [--renderers "default cairo"] [--out FILE] [BUILD_DIR]
#   BUILD_DIR defaults to build/release:
#   cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
#   cmake --build build/release -j2 --target tavoro-quelm tq_app_launch_probe
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ "${1:-}" != --inner ]]; then
  exec "$root/scripts/with-display" "$0" --inner "$@"
fi
shift

runs=7
renderers="default cairo"
out=""
build="$root/build/release"
while (($#)); do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --renderers) renderers=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) build=$1; shift ;;
  esac
done
ours="$build/tavoro-quelm"
probe="$build/bench/app/tq_app_launch_probe"
for file in "$ours" "$probe"; do
  [[ -x "$file" ]] || { echo "build $file first (see the header of $0)" >&2; exit 1; }
done
kgx=$(command -v kgx) || { echo "kgx (Debian package gnome-console) is not installed" >&2; exit 1; }
python=/usr/bin/python3

work=$(mktemp -d "${TMPDIR:-/tmp}/tq-startup.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The projects root: 12 projects with both documents, like a user's working set.
projects="$work/projects"
for name in alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu; do
  mkdir -p "$projects/$name/.tavoro"
  printf '# Requirements\n\nWhat %s is for.\n' "$name" >"$projects/$name/.tavoro/requirements.md"
  printf '# Progress\n\n- [x] Project created\n' >"$projects/$name/.tavoro/progress.md"
done

# The probe shell: bash without the user's rc files, a prompt line painted magenta, and the
# time of its first prompt written to $work/prompt.
cat >"$work/probe.rc" <<EOF
PS1='\\[\\e[48;2;255;0;255m\\e[K\\]\\w\\\$ \\[\\e[0m\\]'
PROMPT_COMMAND='if [[ -z \$tq_probe_done ]]; then tq_probe_done=1; printf "%s\\n" "\$EPOCHREALTIME" >"$work/prompt"; fi'
EOF
printf '#!/bin/sh\nexec /bin/bash --rcfile "%s" -i\n' "$work/probe.rc" >"$work/probe-shell"
chmod +x "$work/probe-shell"
export SHELL="$work/probe-shell" GSETTINGS_BACKEND=keyfile
unset GSK_RENDERER

# Runs a command with the private home of app $1.
in_home() {
  local home="$work/home-$1"
  shift
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" "$@"
}
for app in ours kgx; do mkdir -p "$work/home-$app/.config" "$work/home-$app/.local/share" "$work/home-$app/.cache"; done
mkdir -p "$work/home-ours/.config/tavoro-quelm"
printf '[defaults]\nTavoroQuelm.rootDirectory=%s\n' "$projects" >"$work/home-ours/.config/tavoro-quelm/settings.ini"
in_home kgx gsettings set org.gnome.Console shell "['$work/probe-shell']"
in_home kgx gsettings set org.gnome.Console last-window-size '(1200, 800)'

# Where the first project's row is (no window manager: the window sits at the origin).
# (The accessibility tree is needed here even when the timed runs go without it: GTK_A11Y=none.)
row=$(in_home ours env -u GTK_A11Y "$python" "$root/bench/app/locate_project_row.py" "$ours" "$work/home-ours" alpha)
click="${row% *},${row#* }"

results="$work/results.tsv"
: >"$results"
# launch APP RENDERER RUN: one timed start; appends "app renderer run key value" rows.
launch() {
  local app=$1 renderer=$2 run=$3 output
  local -a environment=(env)
  [[ "$renderer" == default ]] || environment+=("GSK_RENDERER=$renderer")
  local -a command
  if [[ "$app" == ours ]]; then
    command=("$probe" launch --prompt-file "$work/prompt" --click "$click" -- "$ours")
  else
    command=("$probe" launch --prompt-file "$work/prompt" -- "$kgx")
  fi
  if output=$(in_home "$app" "${environment[@]}" "${command[@]}" 2>"$work/launch.err"); then
    awk -v a="$app" -v r="$renderer" -v n="$run" '{ print a "\t" r "\t" n "\t" $1 "\t" $2 }' <<<"$output" >>"$results"
  else
    echo "run $run, $app, $renderer failed: $(tail -n 1 "$work/launch.err")" >&2
  fi
  sleep 0.5
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), no GPU, Xvfb $DISPLAY"
echo "versions: kgx $(dpkg-query -W -f '${Version}' gnome-console), GTK $(dpkg-query -W -f '${Version}' libgtk-4-1), VTE $(dpkg-query -W -f '${Version}' libvte-2.91-gtk4-0), Mesa $(dpkg-query -W -f '${Version}' libgl1-mesa-dri)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# A first start of each app with each renderer fills caches; it is not counted.
for renderer in $renderers; do launch ours "$renderer" 0; launch kgx "$renderer" 0; done
for ((run = 1; run <= runs; run++)); do
  for renderer in $renderers; do
    if ((run % 2)); then launch ours "$renderer" "$run"; launch kgx "$renderer" "$run"
    else launch kgx "$renderer" "$run"; launch ours "$renderer" "$run"; fi
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
[[ -z "$out" ]] || cp "$results" "$out"
"$python" "$root/bench/app/summarise_startup.py" "$results"

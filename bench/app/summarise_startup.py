"""Summarises measure-startup.sh's results: medians, spreads and the ratio of our app to kgx.

Input: rows "app renderer run key value" (tab-separated); run 0 is the uncounted first start.
Usage: python3 summarise_startup.py RESULTS.tsv
"""
import statistics
import sys
from collections import defaultdict

METRICS = [
    ("frame", "start to first frame", "ms"),
    ("prompt", "start to first prompt (written)", "ms"),
    ("prompt_shown", "start to first prompt (on screen)", "ms"),
    ("frame_cpu", "CPU time until the first frame", "ms"),
    ("prompt_shown_cpu", "CPU time until the prompt shows", "ms"),
    ("rss_kb", "VmRSS", "MB"),
    ("anon_kb", "RssAnon", "MB"),
    ("pss_kb", "Pss", "MB"),
]


def scaled(value, unit):
    return value / 1024 if unit == "MB" else value


def main():
    values = defaultdict(dict)  # (renderer, app, key) -> {run: value}
    renderers = []
    for line in open(sys.argv[1], encoding="utf-8"):
        app, renderer, run, key, value = line.split()
        if run == "0":
            continue
        if renderer not in renderers:
            renderers.append(renderer)
        values[(renderer, app, key)][int(run)] = float(value)

    for renderer in renderers:
        print(f"\nrenderer: {renderer}")
        print("| figure | tavoro-quelm median (min–max) | kgx median (min–max) | ratio of medians | median of paired ratios | runs |")
        print("|---|---|---|---|---|---|")
        for key, title, unit in METRICS:
            ours = values.get((renderer, "ours", key), {})
            theirs = values.get((renderer, "kgx", key), {})
            if not ours or not theirs:
                continue
            def describe(series):
                data = [scaled(v, unit) for v in series.values()]
                return f"{statistics.median(data):.0f} ({min(data):.0f}–{max(data):.0f}) {unit}"
            paired = [ours[run] / theirs[run] for run in ours if run in theirs and theirs[run] > 0]
            ratio = statistics.median(ours.values()) / statistics.median(theirs.values())
            print(f"| {title} | {describe(ours)} | {describe(theirs)} | {ratio:.2f} | "
                  f"{statistics.median(paired):.2f} | {len(ours)} / {len(theirs)} |")
        click = values.get((renderer, "ours", "click"), {})
        shown = values.get((renderer, "ours", "prompt_shown"), {})
        written = values.get((renderer, "ours", "prompt"), {})
        if click:
            to_written = [written[run] - click[run] for run in click if run in written]
            to_shown = [shown[run] - click[run] for run in click if run in shown]
            print(f"tavoro-quelm, from the click to the prompt: written {statistics.median(to_written):.0f} ms "
                  f"({min(to_written):.0f}–{max(to_written):.0f}), on screen {statistics.median(to_shown):.0f} ms "
                  f"({min(to_shown):.0f}–{max(to_shown):.0f}); click after first frame: "
                  f"{statistics.median([click[r] - values[(renderer, 'ours', 'frame')][r] for r in click]):.1f} ms")


if __name__ == "__main__":
    main()

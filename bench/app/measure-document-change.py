#!/usr/bin/python3
"""External document change to screen: from writing a project's .tavoro/progress.md outside the
app to the moment the documents panel shows the new text, on a private Xvfb display.

The app runs with a root of 12 projects; the script selects "alpha", opens its PROGRESS tab
(through the accessibility tree and real pointer clicks), then repeatedly rewrites the file in
place (open, write, close; a different first line each time) and waits for the progress text's
pixels to change: tq_app_launch_probe damage-log reports every frame of the window together
with a checksum of the label's rectangle, so frames of the blinking cursor or the status bar do
not count. The accessibility tree is asked only afterwards, to check that the label holds the
written text. The file watcher delivers a batch about 1.0 s after its first event on purpose;
the figures show the whole time and what remains beyond that second.

Usage: bench/app/measure-document-change.py [--runs N] [--renderers "default cairo"] [BUILD_DIR]
  BUILD_DIR defaults to build/release (targets tavoro-quelm and tq_app_launch_probe).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "app", "e2e"))

PROJECTS = ["alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota", "kappa", "lambda", "mu"]
BATCH_MS = 1000.0


def progress_text(step):
    return f"# Progress {step}\n\n- [x] Project created\n- [ ] Step {step} of the plan\n"


def make_root(folder):
    for name in PROJECTS:
        os.makedirs(os.path.join(folder, name, ".tavoro"))
        with open(os.path.join(folder, name, ".tavoro", "requirements.md"), "w", encoding="utf-8") as out:
            out.write(f"# Requirements\n\nWhat {name} is for.\n")
        with open(os.path.join(folder, name, ".tavoro", "progress.md"), "w", encoding="utf-8") as out:
            out.write(progress_text(0))


class DamageLog:
    """Frames of one window, each with the checksum of a rectangle, as they reach the server."""

    def __init__(self, probe, window, region):
        self.process = subprocess.Popen([probe, "damage-log", "--window", str(window), "--region", ",".join(map(str, region))],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.frames = []  # (realtime ns, checksum)
        self.condition = threading.Condition()
        first = self.process.stdout.readline().split()
        self.initial = first[1]
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            at, checksum = line.split()
            with self.condition:
                self.frames.append((int(at), checksum))
                self.condition.notify_all()

    def checksum_now(self):
        with self.condition:
            return self.frames[-1][1] if self.frames else self.initial

    def wait_for_change(self, after_ns, old_checksum, timeout):
        deadline = time.monotonic() + timeout
        with self.condition:
            while True:
                for at, checksum in self.frames:
                    if at >= after_ns and checksum != old_checksum:
                        return at
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    return None
                self.condition.wait(remaining)

    def close(self):
        self.process.stdin.close()
        self.process.wait(5)


def measure(binary, probe, renderer, runs):
    from tq_driver import App, click, find_all, find_one, wait_until
    import pyatspi

    class BenchApp(App):
        # App with the renderer left to GTK's own choice when asked for the default one.
        def __init__(self, home, env):
            self.owned_home = False
            self.home = home
            self.config = os.path.join(home, ".config")
            self.data = os.path.join(home, ".local", "share")
            self.env = env
            self.process = subprocess.Popen([binary], env=env)
            try:
                self.root = wait_until(self._find_application, 20, "the application on the accessibility bus")
            except BaseException:
                self.process.kill()
                self.process.wait()
                raise

    scratch = tempfile.mkdtemp(prefix="tq-doc-change.")
    try:
        projects = os.path.join(scratch, "projects")
        make_root(projects)
        home = os.path.join(scratch, "home")
        settings = os.path.join(home, ".config", "tavoro-quelm")
        os.makedirs(settings)
        os.makedirs(os.path.join(home, ".local", "share"))
        with open(os.path.join(settings, "settings.ini"), "w", encoding="utf-8") as out:
            out.write(f"[defaults]\nTavoroQuelm.rootDirectory={projects}\n")
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"), XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   SHELL="/bin/bash")
        env.pop("GSK_RENDERER", None)
        env.pop("GTK_A11Y", None)  # the script drives the app through its accessibility tree
        if renderer != "default":
            env["GSK_RENDERER"] = renderer

        app = BenchApp(home, env)
        try:
            click(find_one(app.root, name="alpha", timeout=20))
            click(find_one(app.root, role="push button", name="PROGRESS"))
            label = find_one(app.root, role="label", name=progress_text(0))
            extents = label.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
            region = (extents.x, extents.y, max(1, extents.width), max(1, min(extents.height, 200)))
            log = DamageLog(probe, int(app.x_window_id(), 0), region)
            time.sleep(2.0)  # let the window settle after the clicks
            totals = []
            path = os.path.join(projects, "alpha", ".tavoro", "progress.md")
            for step in range(1, runs + 1):
                before = log.checksum_now()
                written = time.time_ns()
                with open(path, "w", encoding="utf-8") as out:
                    out.write(progress_text(step))
                shown = log.wait_for_change(written, before, timeout=5.0)
                if shown is None:
                    raise RuntimeError(f"the progress text did not change on screen within 5 s (step {step})")
                wait_until(lambda: find_all(app.root, role="label", name=progress_text(step)), 3,
                           "the progress label's new text")
                totals.append((shown - written) / 1e6)
                time.sleep(1.5)  # the next write starts a batch of its own
            log.close()
            return totals
        finally:
            app.close()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--renderers", default="default cairo")
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build", "release"))
    args = parser.parse_args()
    binary = os.path.join(args.build, "tavoro-quelm")
    probe = os.path.join(args.build, "bench", "app", "tq_app_launch_probe")
    for path in (binary, probe):
        if not os.access(path, os.X_OK):
            sys.exit(f"build {path} first (see the header of {sys.argv[0]})")
    if "TQ_DOC_CHANGE_INNER" not in os.environ:
        os.environ["TQ_DOC_CHANGE_INNER"] = "1"
        os.execv(os.path.join(ROOT, "scripts", "with-display"),
                 [os.path.join(ROOT, "scripts", "with-display"), "/usr/bin/python3", os.path.abspath(__file__), *sys.argv[1:]])

    print(f"machine: {os.cpu_count()} cores, no GPU, Xvfb {os.environ.get('DISPLAY')}; "
          f"load average {open('/proc/loadavg').read().split()[:3]}")
    for renderer in args.renderers.split():
        totals = measure(binary, probe, renderer, args.runs)
        rest = [total - BATCH_MS for total in totals]
        print(f"renderer {renderer}: write to screen median {statistics.median(totals):.0f} ms "
              f"({min(totals):.0f}–{max(totals):.0f}), beyond the watcher's {BATCH_MS:.0f} ms batch: "
              f"median {statistics.median(rest):.0f} ms ({min(rest):.0f}–{max(rest):.0f}); "
              f"runs: {' '.join(f'{t:.0f}' for t in totals)}")


if __name__ == "__main__":
    main()

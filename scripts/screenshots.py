"""Takes the screenshots of docs/screenshots (see scripts/screenshots)."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "app", "e2e"))
from tq_driver import App, click, find_one, wait_until  # noqa: E402

REQUIREMENTS = """# Web Client

## Overview
A browser front end for the order service.

## Requirements
### Must Have (v1)
- [ ] Sign in with the company account
- [ ] List, filter and export orders
"""

PROGRESS = """# Progress

- [x] Project created
- [x] Requirements confirmed
- [ ] Order list with filters
- [ ] Export to CSV
"""


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def prepare_root(root):
    for name in ("api-server", "new-idea", "notes", "web-client"):
        os.makedirs(os.path.join(root, name, ".tavoro"), exist_ok=True)
    write(os.path.join(root, "new-idea", "BOOTSTRAP.md"), "first launch")
    write(os.path.join(root, "web-client", ".tavoro", "requirements.md"), REQUIREMENTS)
    write(os.path.join(root, "web-client", ".tavoro", "progress.md"), PROGRESS)


def capture(app, path):
    # Let the last change reach the screen (and the cursor show).
    time.sleep(0.8)
    subprocess.run(["import", "-window", app.x_window_id(), path], check=True)
    print("wrote", path)


def take(binary, out, appearance):
    home = tempfile.mkdtemp(prefix="tq-shots.")
    try:
        root = os.path.join(home, "Projects")
        prepare_root(root)
        env = {"GSETTINGS_BACKEND": "keyfile", "XDG_CONFIG_HOME": os.path.join(home, ".config")}
        scheme = "prefer-dark" if appearance == "dark" else "default"
        subprocess.run(["gsettings", "set", "org.gnome.desktop.interface", "color-scheme", scheme],
                       env=dict(os.environ, **env), check=True)
        settings = {"TavoroQuelm.rootDirectory": root, "TavoroQuelm.pinnedProjectIds": "api-server;"}
        with App(binary, home=home, settings=settings, extra_env=env) as app:
            click(find_one(app.root, name="web-client"))
            find_one(app.root, name="1 terminal pane")
            # A program running in a terminal makes the project active.
            app.type_text("clear; sleep 600\n")
            wait_until(lambda: find_one(app.root, name="web-client").description.startswith("Program"), 6,
                       "the project to become active")
            app.key("ctrl+shift+d")
            find_one(app.root, name="2 terminal panes")
            capture(app, os.path.join(out, f"{appearance}-requirements.png"))
            click(find_one(app.root, role="push button", name="PROGRESS"))
            capture(app, os.path.join(out, f"{appearance}-progress.png"))
    finally:
        shutil.rmtree(home, ignore_errors=True)


def main():
    binary, out = sys.argv[1], sys.argv[2]
    for appearance in ("light", "dark"):
        take(binary, out, appearance)


if __name__ == "__main__":
    main()

"""Prints the screen position ("X Y") of the middle of a project's row in the app's sidebar.

measure-startup.sh clicks there in its timed runs, so those runs need no accessibility queries.
Usage (on a display with a session bus): /usr/bin/python3 locate_project_row.py BINARY HOME PROJECT
HOME must hold .config/tavoro-quelm/settings.ini with the root folder.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "app", "e2e"))
from tq_driver import App, center_of, find_one  # noqa: E402


class LocatingApp(App):
    def __init__(self, *args, **kwargs):
        try:
            super().__init__(*args, **kwargs)
        except BaseException:
            # The app never showed up on the accessibility bus: do not leave it running.
            if getattr(self, "process", None) and self.process.poll() is None:
                self.process.kill()
                self.process.wait()
            raise


def main():
    binary, home, project = sys.argv[1:4]
    environment = {key: os.environ[key] for key in ("SHELL", "GSK_RENDERER") if key in os.environ}
    with LocatingApp(binary, home=home, extra_env=environment) as app:
        x, y = center_of(find_one(app.root, name=project, timeout=20))
        print(x, y)


if __name__ == "__main__":
    main()

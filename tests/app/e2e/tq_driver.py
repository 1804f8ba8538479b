"""Drives the real tavoro-quelm binary through the accessibility tree and synthetic input.

Runs under scripts/with-display (Xvfb + session bus). Every wait is a wait-until with a deadline.
"""
import os
import shutil
import signal
import subprocess
import tempfile
import time

import pyatspi


class Failure(AssertionError):
    pass


def wait_until(condition, timeout=10.0, what="condition"):
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        try:
            value = condition()
            if value:
                return value
        except Exception as error:  # the tree changes under our feet; try again
            last_error = error
        time.sleep(0.05)
    raise Failure(f"timed out after {timeout}s waiting for {what}" + (f" (last error: {last_error})" if last_error else ""))


def walk(node, depth=0, limit=60):
    if node is None or depth > limit:
        return
    yield node
    try:
        children = list(node)
    except Exception:
        return
    for child in children:
        yield from walk(child, depth + 1, limit)


def name_matches(actual, wanted):
    """GTK 4.8 names some buttons twice, with the mnemonic ("_Open Open", "Cancel Cancel")."""
    if actual == wanted:
        return True
    plain = actual.replace("_", "")
    return plain == f"{wanted} {wanted}"


def find_all(root, role=None, name=None, predicate=None):
    found = []
    for node in walk(root):
        try:
            if role is not None and node.getRoleName() != role:
                continue
            if name is not None and not name_matches(node.name, name):
                continue
            if predicate is not None and not predicate(node):
                continue
        except Exception:
            continue
        found.append(node)
    return found


def is_showing(node):
    # GTK 4.8 reports only "visible" (widgets that are not visible leave the tree).
    try:
        return node.getState().contains(pyatspi.STATE_VISIBLE)
    except Exception:
        return False


def find_one(root, role=None, name=None, timeout=10.0, showing=True):
    def lookup():
        matches = find_all(root, role, name, is_showing if showing else None)
        return matches[0] if matches else None
    try:
        return wait_until(lookup, timeout, f"{role or 'any'} named {name!r}")
    except Failure as failure:
        # Say what there is instead: it makes a failure on CI readable.
        seen = sorted({node.name for node in find_all(root, role) if node.name}) if role else []
        raise Failure(f"{failure}; {role} names present: {seen[:40]}") from None


def center_of(node):
    # GTK 4.8 reports positions relative to the toplevel only. Without a window manager every
    # toplevel (dialogs included) sits at the screen's origin, so these are screen positions.
    extents = node.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return extents.x + extents.width // 2, extents.y + extents.height // 2


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def click(node):
    """Clicks the middle of a control with the pointer, as a user would."""
    x, y = center_of(node)
    xdotool("mousemove", "--sync", x, y, "click", "1")


def press(node):
    """Activates a control through its accessible action (for controls without reliable extents)."""
    action = node.queryAction()
    for index in range(action.nActions):
        if action.getName(index) in ("click", "press", "activate"):
            action.doAction(index)
            return
    raise Failure(f"{node.getRoleName()} {node.name!r} has no click action")


class App:
    """One run of the binary with a private home, config, data and cache folder."""

    def __init__(self, binary, home=None, settings=None, extra_env=None):
        self.owned_home = home is None
        self.home = home or tempfile.mkdtemp(prefix="tq-e2e-home.")
        self.config = (extra_env or {}).get("XDG_CONFIG_HOME", os.path.join(self.home, ".config"))
        self.data = os.path.join(self.home, ".local", "share")
        os.makedirs(self.config, exist_ok=True)
        os.makedirs(self.data, exist_ok=True)
        if settings is not None:
            self.write_settings(settings)
        env = dict(os.environ)
        env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": self.config,
            "XDG_DATA_HOME": self.data,
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "SHELL": "/bin/bash",
            "GSK_RENDERER": "cairo",
            # Killed at the end of a test: a leak report at exit would only be noise.
            "ASAN_OPTIONS": "detect_leaks=0",
        })
        env.update(extra_env or {})
        self.env = env
        self.process = subprocess.Popen([binary], env=env)
        try:
            self.root = wait_until(self._find_application, 20, "the application on the accessibility bus")
        except BaseException:
            self.close()
            raise

    def write_settings(self, lines):
        folder = os.path.join(self.config, "tavoro-quelm")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "settings.ini"), "w", encoding="utf-8") as out:
            out.write("[defaults]\n")
            for key, value in lines.items():
                out.write(f"{key}={value}\n")

    def _find_application(self):
        if self.process.poll() is not None:
            raise Failure(f"the app exited with status {self.process.returncode}")
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                continue
        return None

    def window(self, timeout=10.0):
        return find_one(self.root, role="frame", timeout=timeout)

    def x_window_id(self):
        """The app's most recently mapped window (the one keys should go to)."""
        ids = wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)],
                                                capture_output=True, text=True).stdout.split(),
                         10, "the X window")
        return ids[-1]

    def focus(self):
        xdotool("windowfocus", "--sync", self.x_window_id())

    def key(self, *keys):
        self.focus()
        xdotool("key", "--clearmodifiers", *keys)

    def type_text(self, text):
        xdotool("type", "--delay", "5", text)

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.owned_home:
            shutil.rmtree(self.home, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

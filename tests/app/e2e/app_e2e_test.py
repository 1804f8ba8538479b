"""End-to-end: the real binary under Xvfb, driven through its accessibility tree and real input.

Usage: app_e2e_test.py PATH_TO_TAVORO_QUELM
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from tq_driver import App, center_of, click, find_all, find_one, is_showing, press, wait_until, xdotool

BINARY = None
ROOT_KEY = "TavoroQuelm.rootDirectory"


def make_project(root, name, progress=None, requirements=None, bootstrap=False):
    folder = os.path.join(root, name)
    os.makedirs(os.path.join(folder, ".tavoro"), exist_ok=True)
    if progress is not None:
        with open(os.path.join(folder, ".tavoro", "progress.md"), "w", encoding="utf-8") as out:
            out.write(progress)
    if requirements is not None:
        with open(os.path.join(folder, ".tavoro", "requirements.md"), "w", encoding="utf-8") as out:
            out.write(requirements)
    if bootstrap:
        with open(os.path.join(folder, "BOOTSTRAP.md"), "w", encoding="utf-8") as out:
            out.write("bootstrap")
    return folder


def showing_named(app, name, role=None):
    return [node for node in find_all(app.root, role=role, name=name) if is_showing(node)]


class OnboardingGate(unittest.TestCase):
    def test_without_a_root_folder_only_onboarding_shows_and_choosing_a_folder_opens_the_workspace(self):
        scratch = tempfile.mkdtemp(prefix="tq-e2e-root.")
        self.addCleanup(shutil.rmtree, scratch, True)
        root = os.path.join(scratch, "work")
        make_project(root, "existing-project")
        with App(BINARY) as app:
            find_one(app.root, role="label", name="Welcome to Tavoro Quelm")
            select = find_one(app.root, role="push button", name="Select Existing Folder")
            find_one(app.root, role="push button", name="Create New Folder")
            self.assertEqual(showing_named(app, "Status bar"), [], "no workspace behind onboarding")

            click(select)
            dialog = find_one(app.root, name="Select your projects folder", timeout=15)
            # Type the folder's path into the chooser's location entry and accept it.
            app.key("ctrl+l")
            app.type_text(root + "/")
            click(find_one(dialog, role="push button", name="Open"))
            find_one(app.root, name="existing-project", timeout=15)
            find_one(app.root, name="Status bar")

            settings = os.path.join(app.config, "tavoro-quelm", "settings.ini")
            with open(settings, encoding="utf-8") as stored:
                self.assertIn(f"{ROOT_KEY}={root}", stored.read())


class Workspace(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="tq-e2e-root.")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.root = os.path.join(self.scratch, "projects")
        self.alpha = make_project(self.root, "alpha", progress="# Progress\n\n- [ ] Project created\n")
        make_project(self.root, "beta")

    def test_select_split_with_the_real_key_and_follow_the_progress_document(self):
        with App(BINARY, settings={ROOT_KEY: self.root}) as app:
            self.assertEqual(len(showing_named(app, "Select a project")), 2, "both columns start with the placeholder")
            click(find_one(app.root, name="alpha"))
            find_one(app.root, name="Project alpha")
            find_one(app.root, name="1 terminal pane")
            # The keyboard is in the new pane's shell, which runs in the project folder.
            app.type_text("touch typed-in-alpha\n")
            wait_until(lambda: os.path.exists(os.path.join(self.alpha, "typed-in-alpha")), 5,
                       "the typed command to run in the project folder")

            # The shortcuts reach the app while a terminal has the keyboard.
            app.key("ctrl+shift+d")
            find_one(app.root, name="2 terminal panes")
            app.type_text("touch typed-after-split\n")
            wait_until(lambda: os.path.exists(os.path.join(self.alpha, "typed-after-split")), 5,
                       "the new pane's shell to take the keyboard")
            app.key("ctrl+shift+e")
            find_one(app.root, name="3 terminal panes")
            app.key("ctrl+shift+w")
            find_one(app.root, name="2 terminal panes")

            click(find_one(app.root, role="push button", name="PROGRESS"))
            find_one(app.root, role="label", name="# Progress\n\n- [ ] Project created\n")
            with open(os.path.join(self.alpha, ".tavoro", "progress.md"), "w", encoding="utf-8") as out:
                out.write("# Progress\n\n- [x] Project created\n- [ ] Agents at work\n")
            find_one(app.root, role="label", name="# Progress\n\n- [x] Project created\n- [ ] Agents at work\n",
                     timeout=3)
            wait_until(lambda: find_all(app.root, role="label",
                                        predicate=lambda n: n.name.startswith("progress.md changed ")),
                       3, "the status bar's change text")

    def test_windows_columns_and_a_second_launch(self):
        with App(BINARY, settings={ROOT_KEY: self.root}) as app:
            geometry = subprocess.run(["xdotool", "getwindowgeometry", app.x_window_id()],
                                      capture_output=True, text=True, check=True).stdout
            self.assertIn("Geometry: 1200x800", geometry)

            click(find_one(app.root, name="alpha"))
            app.key("ctrl+shift+d")
            find_one(app.root, name="2 terminal panes")

            # The sidebar and the documents panel hide and come back; the terminals stay.
            app.key("F9")
            wait_until(lambda: not showing_named(app, "beta"), 5, "the sidebar to hide")
            app.key("shift+F9")
            wait_until(lambda: not showing_named(app, "PROGRESS"), 5, "the documents panel to hide")
            find_one(app.root, name="2 terminal panes")
            app.key("F9")
            app.key("shift+F9")
            find_one(app.root, name="beta")
            find_one(app.root, name="PROGRESS")

            # A second launch presents the open window instead of starting another app.
            again = subprocess.run([BINARY], env=app.env, timeout=30)
            self.assertEqual(again.returncode, 0)
            self.assertEqual(len(find_all(app.root, role="frame")), 1)

            # A new window has its own selection; the menu speaks to the active window only.
            app.key("ctrl+shift+n")
            wait_until(lambda: len(find_all(app.root, role="frame")) == 2, 10, "a second window")
            app.key("ctrl+shift+t")
            time.sleep(0.5)  # give a wrongly routed request the chance to show
            self.assertEqual(len(showing_named(app, "3 terminal panes")), 0)
            self.assertEqual(len(showing_named(app, "2 terminal panes")), 1)


class ProjectLifecycle(unittest.TestCase):
    """Create, prepare, pin, edit and delete a project through the sidebar and documents panel."""

    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="tq-e2e-root.")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.root = os.path.join(self.scratch, "projects")
        make_project(self.root, "existing")

    def row_state(self, app, name):
        return find_one(app.root, name=name).description

    def test_create_prepare_pin_edit_and_delete(self):
        name = "fresh-project"
        folder = os.path.join(self.root, name)
        with App(BINARY, settings={ROOT_KEY: self.root}) as app:
            # Create through the plus button and its dialog.
            click(find_one(app.root, role="push button", name="New Project"))
            find_one(app.root, name="Enter the project name:")
            find_one(app.root, name="Project name")
            app.type_text(name)
            app.key("Return")
            wait_until(lambda: self.row_state(app, name) == "Being set up", 10, "the new project, preparing")

            def read(relative):
                with open(os.path.join(folder, relative), encoding="utf-8") as document:
                    return document.read()
            self.assertEqual(read(".tavoro/requirements.md"), "")
            self.assertEqual(read(".tavoro/progress.md"), "# Progress\n\n- [ ] Project created\n")
            self.assertTrue(read("CLAUDE.md").startswith(f"# {name}\n\n## Startup Sequence"))
            self.assertTrue(read("AGENTS.md").startswith(f"# {name} - Agent Instructions\n"))
            self.assertIn(f'the project "{name}" was just created', read("BOOTSTRAP.md"))

            # The agent deletes BOOTSTRAP.md: the row leaves the preparing state without a file event.
            os.remove(os.path.join(folder, "BOOTSTRAP.md"))
            wait_until(lambda: self.row_state(app, name) == "", 4, "the project to leave the preparing state")

            # Pin through the context menu; the pin is in the settings file.
            row = find_one(app.root, name=name)
            x, y = center_of(row)
            xdotool("mousemove", "--sync", x, y, "click", "3")
            press(find_one(app.root, role="menu item", name="Pin to Top"))
            wait_until(lambda: self.row_state(app, name) == "Pinned", 5, "the pin")
            with open(os.path.join(app.config, "tavoro-quelm", "settings.ini"), encoding="utf-8") as stored:
                self.assertRegex(stored.read(), rf"TavoroQuelm\.pinnedProjectIds=.*{name}")

            # Edit the requirements; they reach the disk after the pause in typing.
            click(find_one(app.root, name=name))
            click(find_one(app.root, role="push button", name="Edit"))
            editor = find_one(app.root, role="text")
            click(editor)
            app.type_text("Must have: tests")
            requirements = os.path.join(folder, ".tavoro", "requirements.md")
            wait_until(lambda: open(requirements, encoding="utf-8").read() == "Must have: tests", 5,
                       "the requirements on disk")
            click(find_one(app.root, role="push button", name="Done"))
            find_one(app.root, role="label", name="Must have: tests")

            # Delete: confirmed, the folder goes to the Trash and the selection is cleared.
            row = find_one(app.root, name=name)
            x, y = center_of(row)
            xdotool("mousemove", "--sync", x, y, "click", "3")
            press(find_one(app.root, role="menu item", name="Delete"))
            find_one(app.root, name=f'Delete "{name}"?')
            press(find_one(app.root, role="push button", name="Move to Trash"))
            trashed = os.path.join(app.data, "Trash", "files", name)
            wait_until(lambda: os.path.isdir(trashed) and not os.path.exists(folder), 10, "the folder in the Trash")
            self.assertTrue(os.path.exists(os.path.join(trashed, "CLAUDE.md")))
            wait_until(lambda: len(showing_named(app, "Select a project")) == 2, 5, "the selection to clear")
            wait_until(lambda: not find_all(app.root, name=name), 5, "the row to go")


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

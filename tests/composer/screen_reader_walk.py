#!/usr/bin/python3
"""The composer as a screen reader meets it on the accessibility bus.

Run inside a private session bus (dbus-run-session): starts a private X
server, the accessibility bus and the program with accessibility on, then
walks the program's objects through pyatspi and checks that every control a
user can reach has a name, that the focused staff says its cell (step and
pitch), that the words change with the arrow keys and are sent as events,
and that a note placed with Return is said.

Usage: screen_reader_walk.py PROGRAM SONG
Exit 0 when every check holds, 1 when one fails.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TIMEOUT = 20.0
CELL = re.compile(r"Step (\d+), measure \d+, beat \d+, ([A-G][345]): (\w+)")
INTERACTIVE = {
    "push button", "toggle button", "check box", "radio button", "combo box",
    "slider", "spin button", "text", "entry", "menu item", "check menu item",
    "radio menu item", "page tab", "list item", "scroll bar",
}

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def wait_for(condition, pump=None):
    end = time.monotonic() + TIMEOUT
    while time.monotonic() < end:
        if pump:
            pump()
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return None


def start_xvfb():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
         "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,))
    os.close(write_end)
    number = b""
    end = time.monotonic() + TIMEOUT
    while not number.endswith(b"\n") and time.monotonic() < end:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        xvfb.kill()
        sys.exit("Xvfb gave no display")
    return xvfb, ":" + number.decode().strip()


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], capture_output=True, text=True,
                          timeout=TIMEOUT).stdout.strip()


def walk(node, depth=0):
    """Every object under node, with its role name and states."""
    if node is None or depth > 40:
        return
    yield node
    try:
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:  # an object gone while walking
        return
    for child in children:
        yield from walk(child, depth + 1)


def main():
    home = tempfile.mkdtemp()
    program, song = sys.argv[1], shutil.copy(sys.argv[2], home + "/song.orn")
    xvfb, display = start_xvfb()
    os.environ["DISPLAY"] = display
    # The accessibility bus's socket goes in the runtime folder: a private one.
    os.environ["XDG_RUNTIME_DIR"] = home
    # In a session of its own, so that its bus daemon goes with it.
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           start_new_session=True)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               XDG_CONFIG_HOME=home + "/config", XDG_DATA_HOME=home + "/data",
               QT_ACCESSIBILITY="1")
    app_process = None
    try:
        import pyatspi
        from gi.repository import GLib

        context = GLib.MainContext.default()

        def pump():
            while context.iteration(False):
                pass

        heard = []
        pyatspi.Registry.registerEventListener(
            lambda event: heard.append(event.source.description),
            "object:property-change:accessible-description")

        app_process = subprocess.Popen([program, song], env=env)
        desktop = pyatspi.Registry.getDesktop(0)

        def find_app():
            for i in range(desktop.childCount):
                child = desktop.getChildAtIndex(i)
                if child is not None and child.get_process_id() == app_process.pid:
                    return child
            return None

        app = wait_for(find_app, pump)
        if not check(app is not None, "the program is on the accessibility bus"):
            return
        window = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "song.orn"))
        if not check(bool(window), "the window is shown"):
            return
        # No window manager: give the window the focus as a desktop would.
        xdotool("windowfocus", "--sync", window.split()[-1])

        def find_staff():
            for node in walk(app):
                if node.name == "Score" and node.getState().contains(pyatspi.STATE_FOCUSED):
                    return node
            return None

        staff = wait_for(find_staff, pump)
        if not check(staff is not None, "the staff named Score has the focus"):
            return

        unnamed = []
        for node in walk(app):
            # Hidden ones too: a menu's items, a tool bar's overflow button.
            if node.getRoleName() in INTERACTIVE and not node.name.strip():
                unnamed.append(f"{node.getRoleName()} in {node.parent.name!r}")
        check(not unnamed, "every control has a name " + ", ".join(unnamed))

        tool = next((n.name for n in walk(app) if n.name.startswith("Tool: ")), "")
        check(bool(tool), f"the current tool is named: {tool!r}")

        # With no cell and no selection, Insert says in the status bar what it needs.
        status = next(n for n in walk(app) if n.getRoleName() == "status bar")
        check(status.name == "Status", f"the status bar is named: {status.name!r}")
        xdotool("key", "Insert")
        check(wait_for(lambda: status.name.startswith("Choose a step"), pump) is not None,
              f"Insert: the status bar's message is its name: {status.name!r}")

        loop = next(n for n in walk(app) if n.name == "Loop" and n.getRoleName() != "menu item")
        was_on = loop.getState().contains(pyatspi.STATE_CHECKED)
        xdotool("key", "l")
        check(loop.getRoleName() == "check box" and wait_for(lambda: loop.getState().contains(pyatspi.STATE_CHECKED) != was_on, pump),
              f"L: the loop button is a check box that follows: {loop.getRoleName()}")

        def cell_after(key, previous):
            xdotool("key", key)
            return wait_for(lambda: (m := CELL.match(staff.description)) and
                            staff.description != previous and m, pump)

        first = cell_after("Right", "")
        if not check(first is not None, f"Right: the staff says a cell: {staff.description!r}"):
            return
        second = cell_after("Right", staff.description)
        check(second is not None and int(second.group(1)) == int(first.group(1)) + 1,
              f"Right again: the next step: {staff.description!r}")
        higher = cell_after("Up", staff.description)
        check(higher is not None and higher.group(1) == second.group(1) and
              higher.group(2) != second.group(2), f"Up: another pitch: {staff.description!r}")
        wait_for(lambda: staff.description in heard, pump)
        check(staff.description in heard, "the new words were sent as an event")

        # Two steps on, on an empty cell, Return places the current tool.
        placed_on = None
        for _ in range(16):
            cell = cell_after("Right", staff.description)
            if cell is not None and cell.group(3) == "empty" and "also" not in staff.description:
                placed_on = cell
                break
        if check(placed_on is not None, "an empty cell is reached"):
            heard.clear()
            xdotool("key", "Return")
            name = tool[len("Tool: "):]
            said = wait_for(lambda: (m := CELL.match(staff.description)) and
                            m.group(3) == name and m, pump)
            check(said is not None and said.group(1) == placed_on.group(1),
                  f"Return: the placed {name} is said: {staff.description!r}")
            check(wait_for(lambda: any(name in words for words in heard), pump) is not None,
                  "the placed note was sent as an event")
    finally:
        for process in (app_process, xvfb):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait(timeout=TIMEOUT)
        os.killpg(bus.pid, signal.SIGKILL)
        bus.wait(timeout=TIMEOUT)
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
    if failures:
        print(f"{len(failures)} check(s) failed", flush=True)
        sys.exit(1)
    print("every check holds", flush=True)

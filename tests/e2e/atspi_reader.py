# SPDX-License-Identifier: MIT
# Reads a program's accessibility tree from the AT-SPI bus as a screen reader does.
#
# Run in a process of its own, with a timeout, on the session bus in DBUS_SESSION_BUS_ADDRESS:
#
#   atspi_reader.py tree PID     prints the tree of the application with that process id, as JSON
#   atspi_reader.py box PID      prints the message box the application shows: its paragraphs of
#                                text, its buttons' names and its icon's extents (or null), as JSON
#   atspi_reader.py listen PID   prints one JSON line for each event that the application sends,
#                                until its standard input is closed

import json
import sys
import time

import pyatspi
from gi.repository import GLib

# How long the application may take to appear on the bus with its window filled in.
APPEAR_TIMEOUT = 20.0
# The controls of the login window below its top level.
EXPECTED_CONTROLS = 6

# What a screen reader hears about: focus, text and its caret, names, descriptions and states.
EVENTS = ["focus:", "object:", "window:"]


def extents(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return [box.x, box.y, box.width, box.height]


def node(accessible):
    try:
        text = accessible.queryText().getText(0, -1)
    except NotImplementedError:
        text = None
    try:
        box = extents(accessible)
    except NotImplementedError:
        box = None
    return {
        "role": accessible.getRoleName(),
        "name": accessible.name,
        "description": accessible.description,
        "states": sorted(pyatspi.stateToString(s) for s in accessible.getState().getStates()),
        "text": text,
        "extents": box,
        "children": [node(accessible.getChildAtIndex(i)) for i in range(accessible.childCount)],
    }


def windows(pid):
    # The application's top-level objects, once it is on the bus.
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return [app.getChildAtIndex(j) for j in range(app.childCount)]
        except GLib.Error:
            continue  # an application that has just left the bus
    return []


def wait_until(find, what):
    deadline = time.monotonic() + APPEAR_TIMEOUT
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.1)
    sys.exit("no %s on the accessibility bus" % what)


def wait_for_window(pid):
    # The login window once its controls are there.
    return wait_until(lambda: [w for w in windows(pid) if w.childCount >= EXPECTED_CONTROLS],
                      "login window of process %d" % pid)[0]


def print_tree(pid):
    print(json.dumps(node(wait_for_window(pid).parent)))


def showing(accessible):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def print_box(pid):
    box = wait_until(lambda: [w for w in windows(pid) if w.getRoleName() in ("alert", "dialog")
                              and showing(w)], "message box of process %d" % pid)[0]
    paragraphs, buttons, icon = [], [], None
    for part in pyatspi.findAllDescendants(box, showing):
        role = part.getRoleName()
        if role == "label":
            paragraphs += part.name.split("\n\n")
        elif role == "push button":
            buttons.append(part.name)
        elif role in ("image", "icon"):
            icon = extents(part)
    print(json.dumps({"paragraphs": paragraphs, "buttons": buttons, "icon": icon}))


def listen(pid):
    wait_for_window(pid)

    def heard(event):
        try:
            if event.source.get_process_id() != pid:
                return
            source = {"role": event.source.getRoleName(), "name": event.source.name}
        except GLib.Error:
            source = None
        data = event.any_data
        print(json.dumps({"type": event.type, "source": source,
                          "text": data if isinstance(data, str) else None}), flush=True)

    pyatspi.Registry.registerEventListener(heard, *EVENTS)
    # Listens until standard input is closed.
    GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()), GLib.PRIORITY_DEFAULT,
                      GLib.IO_IN | GLib.IO_HUP, lambda *_: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()


if __name__ == "__main__":
    mode, process_id = sys.argv[1], int(sys.argv[2])
    {"tree": print_tree, "box": print_box, "listen": listen}[mode](process_id)

#!/usr/bin/env python3
"""What a screen reader finds in the demo, through the desktop's accessibility bus (AT-SPI).

    read_grid.py DEMO

Starts DEMO (orvane-demo) on the display of the session, then checks, as a screen reader
reads them: the grid is a table named "Properties" whose columns are "Property" and
"Value" and whose second row gives the property's name and value; a drop-down value cell
is described as "drop-down list"; the group selector is named "Property group"; a click
on that row's value opens an editor named after the property, holding its value; a
drop-down value opens a list labelled with the property's name; moving between values
with the keyboard gives no host widget the focus. Run inside a D-Bus
session and an X server (dbus-run-session -- xvfb-run -a ...). Exits 0 when every check
holds, 1 otherwise, with what was found on standard error.
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP = "orvane-demo"
TIMEOUT = 30.0


def fail(message):
    print("accessibility: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(find, what):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.25)
    fail("not found: " + what)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == APP:
            return app
    return None


def first(node, match, depth=0):
    """The first node under node (depth first) that match accepts."""
    if node is None or depth > 40:
        return None
    try:
        if match(node):
            return node
        for i in range(node.childCount):
            found = first(node.getChildAtIndex(i), match, depth + 1)
            if found is not None:
                return found
    except Exception:  # a node that went away while it was read
        return None
    return None


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return node.name


def pump(seconds):
    """Delivers the bus's events to the listeners for a while."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        time.sleep(0.02)


# Roles of the control's own widgets: the grid and its cells, the editors, the lists.
CONTROL_ROLES = {"table", "table cell", "text", "entry", "combo box", "list", "list item"}


def main():
    if len(sys.argv) != 2:
        print("usage: read_grid.py DEMO", file=sys.stderr)
        return 2
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    demo = subprocess.Popen([sys.argv[1]], env=env)
    try:
        app = wait_for(application, "the application " + APP)
        table = wait_for(lambda: first(app, lambda n: n.getRole() == pyatspi.ROLE_TABLE and n.name == "Properties"),
                         'a table named "Properties"')
        cells = table.queryTable()
        name, value = cells.getAccessibleAt(1, 0), cells.getAccessibleAt(1, 1)
        if (text_of(name), text_of(value)) != ("Author", "Dana Whitfield"):
            fail("row 2 reads %r | %r" % (text_of(name), text_of(value)))
        print("row 2: %s | %s" % (text_of(name), text_of(value)))
        headers = (cells.getColumnDescription(0), cells.getColumnDescription(1))
        if headers != ("Property", "Value"):
            fail("the columns are named %r" % (headers,))
        print("columns: %s | %s" % headers)

        # The bridge gives a combo box's current text as its name, its label as description.
        selector = first(app, lambda n: n.getRole() == pyatspi.ROLE_COMBO_BOX and n.description == "Property group")
        if selector is None:
            fail('no combo box labelled "Property group"')
        print("selector: %s (%s)" % (selector.description, selector.name))

        # A click on the value opens its editor, which the reader names after the property.
        box = value.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        x, y = box.x + box.width // 2, box.y + box.height // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        editor = wait_for(
            lambda: first(app, lambda n: n.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY) and n.name == "Author"
                          and n.getState().contains(pyatspi.STATE_SHOWING)),
            'an editor named "Author"')
        if text_of(editor) != "Dana Whitfield":
            fail("the editor holds %r" % text_of(editor))
        print("editor: %s = %s" % (editor.name, text_of(editor)))

        # The drop-down editor of "Language" (row 3) is labelled with that name; its cell
        # says that it opens a list.
        choice = cells.getAccessibleAt(2, 1)
        if choice.description != "drop-down list":
            fail("the drop-down cell is described as %r" % choice.description)
        box = choice.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 4), str(box.y + box.height // 2), "click", "1",
                        "key", "Escape"], check=True)
        dropdown = wait_for(
            lambda: first(app, lambda n: n.getRole() == pyatspi.ROLE_COMBO_BOX and n.description == "Language"
                          and n.getState().contains(pyatspi.STATE_SHOWING)),
            'a drop-down labelled "Language"')
        print("drop-down: %s = %s" % (dropdown.description, dropdown.name))

        # Moving between values with the keyboard, the reader hears the focus only on the
        # control's own widgets, never on a widget of the host for an instant.
        focused = []

        def on_focus(event):
            try:
                if event.detail1 == 1:
                    focused.append((event.source.getRoleName(), event.source.name))
            except Exception:  # a node that went away while it was read
                pass

        pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
        pump(0.5)
        for key in ("Escape", "Return", "Up", "Up", "Return", "Return", "Down", "Escape"):
            subprocess.run(["xdotool", "key", key], check=True)
            pump(0.3)
        outside = [(role, name) for role, name in focused if role not in CONTROL_ROLES]
        if not focused or outside:
            fail("focus moved to %r while moving between values (all: %r)" % (outside, focused))
        print("focus while moving between values: %d events, all in the control" % len(focused))
        return 0
    finally:
        demo.terminate()
        try:
            demo.wait(10)
        except subprocess.TimeoutExpired:
            demo.kill()


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""A screen reader's view of the editor over AT-SPI, for tst_e2e_accessibility.

Finds the running tarnwick's text object, listens to its text and caret
events, types through xdotool (DISPLAY from the environment) and prints one
line per observation:
    text <repr of the text>
    caret <offset>
    inserts <repr of the list of (offset, text) inserted since the last step>
Steps come from the arguments: "type:<text>" or "key:<xdotool key name>".
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

inserted = []


def on_event(event):
    if event.type.startswith("object:text-changed:insert"):
        inserted.append((event.detail1, event.any_data))


def find_text(timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "tarnwick":
                found = pyatspi.findDescendant(
                    app, lambda node: node is not None and node.getRole() == pyatspi.ROLE_TEXT)
                if found is not None:
                    return found
        time.sleep(0.2)
    return None


def settle(seconds):
    # Lets the events that are on their way arrive.
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def main(steps):
    text_object = find_text()
    if text_object is None:
        print("no text object of tarnwick on the accessibility bus", flush=True)
        return 1
    pyatspi.Registry.registerEventListener(on_event, "object:text-changed:insert")
    text = text_object.queryText()
    settle(0.5)
    for step in steps:
        kind, _, argument = step.partition(":")
        del inserted[:]
        if kind == "type":
            subprocess.run(["xdotool", "type", "--delay", "60", argument], check=True)
        else:
            subprocess.run(["xdotool", "key", argument], check=True)
        settle(1.5)
        print("step", step, flush=True)
        print("text", repr(text.getText(0, -1)), flush=True)
        print("caret", text.caretOffset, flush=True)
        print("inserts", repr(inserted), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

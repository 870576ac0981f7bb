#!/usr/bin/python3
# A screen reader's view of the editor over AT-SPI: finds tarnwick's text,
# prints "ready", then takes each step of the arguments ("type:TEXT" or
# "key:NAME", through xdotool) and prints a line: the step, the text, the caret
# and the (offset, text) insert events it brought.
import subprocess, sys, time

import pyatspi
from gi.repository import GLib

inserted = []


def settle(seconds):  # lets the events on their way arrive
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        GLib.MainContext.default().iteration(False) or time.sleep(0.02)


def find_text():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "tarnwick":
                found = pyatspi.findDescendant(
                    app, lambda node: node is not None and node.getRole() == pyatspi.ROLE_TEXT)
                if found is not None:
                    return found.queryText()
        time.sleep(0.2)
    sys.exit("no text object of tarnwick on the accessibility bus")


text = find_text()
pyatspi.Registry.registerEventListener(lambda event: inserted.append(
    (event.detail1, event.any_data)), "object:text-changed:insert")
settle(0.5)
print("ready", flush=True)
for step in sys.argv[1:]:
    kind, _, argument = step.partition(":")  # xdotool's "type" or "key"
    inserted.clear()
    subprocess.run(["xdotool", kind, "--delay", "60", argument], check=True)
    settle(1.5)
    print(step, repr(text.getText(0, -1)), text.caretOffset, repr(inserted), flush=True)

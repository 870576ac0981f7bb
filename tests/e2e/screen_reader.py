#!/usr/bin/python3
# A screen reader's view of the editor over AT-SPI: finds tarnwick's text,
# prints "ready", then takes each step of the arguments ("type:TEXT" or
# "key:NAME", through xdotool) and prints a line: the step, the text, the caret
# and the text's (offset, text) insert and (offset, "-" text) delete events it
# brought.
import subprocess, sys, time

import pyatspi
from gi.repository import GLib

changed = []


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
                    return found
        time.sleep(0.2)
    sys.exit("no text object of tarnwick on the accessibility bus")


found = find_text()
text = found.queryText()
pyatspi.Registry.registerEventListener(lambda event: event.source == found and changed.append(
    (event.detail1, ("-" if event.type.endswith("delete") else "") + event.any_data)),
    "object:text-changed")
settle(0.5)
print("ready", flush=True)
for step in sys.argv[1:]:
    kind, _, argument = step.partition(":")  # xdotool's "type" or "key"
    changed.clear()
    subprocess.run(["xdotool", kind, "--delay", "60", argument], check=True)
    settle(1.5)
    print(step, repr(text.getText(0, -1)), text.caretOffset, repr(changed), flush=True)

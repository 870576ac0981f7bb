#!/usr/bin/python3
"""A person at a GNOME compositor (mutter): keys and the pointer through
org.gnome.Mutter.RemoteDesktop, what is on screen through AT-SPI. Prints
"ready", then answers each line of its input with one line:
  key NAMES      xdotool's key names, "+" for chords ("ctrl+s Return")
  keydown NAME, keyup NAME, type TEXT, click X Y (from the top left)
  focused        the title of the active window, "" when none is
  labels         the texts of the active window's labels, "|" between
"""
import sys
import time

import dbus
import pyatspi

NAMES = {"Return": 0xff0d, "Tab": 0xff09, "Escape": 0xff1b, "space": 0x20, "BackSpace": 0xff08,
         "Delete": 0xffff, "Home": 0xff50, "Left": 0xff51, "Up": 0xff52, "Right": 0xff53,
         "Down": 0xff54, "End": 0xff57, "ctrl": 0xffe3, "shift": 0xffe1, "alt": 0xffe9}
NAMES.update({"F%d" % n: 0xffbe + n - 1 for n in range(1, 13)})

bus = dbus.SessionBus()
mutter = "org.gnome.Mutter.RemoteDesktop"
for _ in range(100):  # the compositor may still be coming up
    try:
        path = dbus.Interface(bus.get_object(mutter, "/org/gnome/Mutter/RemoteDesktop"),
                              mutter).CreateSession()
        break
    except dbus.DBusException:
        time.sleep(0.2)
else:
    sys.exit("no org.gnome.Mutter.RemoteDesktop on the session bus")
session = dbus.Interface(bus.get_object(mutter, path), mutter + ".Session")
session.Start()


def keysym(name):
    if name in NAMES:
        return NAMES[name]
    code = ord(name) if len(name) == 1 else int(name, 0)
    return code if code < 0x100 else 0x01000000 + code


def press(name, down):
    session.NotifyKeyboardKeysym(dbus.UInt32(keysym(name)), down)
    time.sleep(0.04)


def active():
    for app in pyatspi.Registry.getDesktop(0):
        for window in app or []:
            if window is not None and window.getState().contains(pyatspi.STATE_ACTIVE):
                return window
    return None


def labels(window):
    found = pyatspi.findAllDescendants(
        window, lambda node: node is not None and node.getRole() == pyatspi.ROLE_LABEL)
    return "|".join(node.name.replace("\n", " ") for node in found if node.name)


print("ready", flush=True)
for line in sys.stdin:
    verb, _, argument = line.rstrip("\n").partition(" ")
    answer = "ok"
    if verb == "key":
        for chord in argument.split():
            keys = chord.split("+")
            for key in keys:
                press(key, True)
            for key in reversed(keys):
                press(key, False)
    elif verb in ("keydown", "keyup"):
        press(argument, verb == "keydown")
    elif verb == "type":
        for character in argument:
            press(character, True)
            press(character, False)
    elif verb == "click":
        x, y = (float(v) for v in argument.split())
        session.NotifyPointerMotionRelative(-10000.0, -10000.0)  # to the corner, then there
        session.NotifyPointerMotionRelative(x, y)
        session.NotifyPointerButton(0x110, True)  # BTN_LEFT
        session.NotifyPointerButton(0x110, False)
    elif verb in ("focused", "labels"):
        window = active()
        answer = "" if window is None else window.name if verb == "focused" else labels(window)
    print(answer, flush=True)

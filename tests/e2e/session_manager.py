#!/usr/bin/python3
# Stand-ins for the desktop's session on the test's private session bus:
# GNOME's session manager ("gnome"), or the desktop portal's inhibitor
# ("portal"). Prints "ready" once its name is taken, then every call that
# holds or releases an inhibitor, one line each.
import sys

from gi.repository import Gio, GLib

GNOME = """
<node>
  <interface name="org.gnome.SessionManager">
    <method name="Inhibit">
      <arg type="s" direction="in"/><arg type="u" direction="in"/>
      <arg type="s" direction="in"/><arg type="u" direction="in"/>
      <arg type="u" direction="out"/>
    </method>
    <method name="Uninhibit"><arg type="u" direction="in"/></method>
  </interface>
</node>
"""
PORTAL = """
<node>
  <interface name="org.freedesktop.portal.Inhibit">
    <method name="Inhibit">
      <arg type="s" direction="in"/><arg type="u" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="o" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.portal.Request">
    <method name="Close"/>
  </interface>
</node>
"""

kind = sys.argv[1]
count = 0


def say(line):
    print(line, flush=True)


def on_call(connection, sender, path, interface, method, parameters, invocation):
    global count
    if method == "Inhibit" and kind == "gnome":
        app_id, xid, reason, flags = parameters.unpack()
        count += 1
        say(f"Inhibit window={xid} app={app_id} flags={flags} reason={reason}")
        invocation.return_value(GLib.Variant("(u)", (count,)))
    elif method == "Inhibit":
        window, flags, options = parameters.unpack()
        count += 1
        handle = f"/org/freedesktop/portal/desktop/request/t{count}"
        connection.register_object(handle, request, on_call)
        say(f"Inhibit window={window} flags={flags} reason={options.get('reason')}")
        invocation.return_value(GLib.Variant("(o)", (handle,)))
    elif method == "Uninhibit":
        say(f"Uninhibit {parameters.unpack()[0]}")
        invocation.return_value(None)
    else:
        say(f"Close {path.rsplit('/t', 1)[1]}")
        invocation.return_value(None)


node = Gio.DBusNodeInfo.new_for_xml(GNOME if kind == "gnome" else PORTAL)
request = node.interfaces[-1]


def on_bus(connection, name):
    if kind == "gnome":
        connection.register_object("/org/gnome/SessionManager", node.interfaces[0], on_call)
    else:
        connection.register_object("/org/freedesktop/portal/desktop", node.interfaces[0],
                                   on_call)


Gio.bus_own_name(Gio.BusType.SESSION,
                 "org.gnome.SessionManager" if kind == "gnome" else "org.freedesktop.portal.Desktop",
                 Gio.BusNameOwnerFlags.NONE, on_bus, lambda connection, name: say("ready"),
                 lambda connection, name: sys.exit("the name is taken"))
GLib.MainLoop().run()

#!/usr/bin/python3
# A stand-in for GNOME's session manager on the test's private session bus:
# it takes the name org.gnome.SessionManager and prints every Inhibit and
# Uninhibit call it receives, one line each, after a first line "ready".
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.gnome.SessionManager">
    <method name="Inhibit">
      <arg type="s" name="app_id" direction="in"/>
      <arg type="u" name="toplevel_xid" direction="in"/>
      <arg type="s" name="reason" direction="in"/>
      <arg type="u" name="flags" direction="in"/>
      <arg type="u" name="inhibit_cookie" direction="out"/>
    </method>
    <method name="Uninhibit">
      <arg type="u" name="inhibit_cookie" direction="in"/>
    </method>
  </interface>
</node>
"""

cookies = iter(range(1, 1000))


def on_call(connection, sender, path, interface, method, parameters, invocation):
    if method == "Inhibit":
        app_id, xid, reason, flags = parameters.unpack()
        cookie = next(cookies)
        print(f"Inhibit {app_id} {xid} {flags} {reason} -> {cookie}", flush=True)
        invocation.return_value(GLib.Variant("(u)", (cookie,)))
    else:
        (cookie,) = parameters.unpack()
        print(f"Uninhibit {cookie}", flush=True)
        invocation.return_value(None)


def on_bus(connection, name):
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    connection.register_object("/org/gnome/SessionManager", node.interfaces[0], on_call)


loop = GLib.MainLoop()
Gio.bus_own_name(Gio.BusType.SESSION, "org.gnome.SessionManager", Gio.BusNameOwnerFlags.NONE,
                 on_bus, lambda connection, name: print("ready", flush=True),
                 lambda connection, name: sys.exit("the name is taken"))
loop.run()

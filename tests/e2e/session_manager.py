#!/usr/bin/python3
# A stand-in for the desktop's session on the private session bus: GNOME's
# session manager ("gnome") or the desktop portal's inhibitor ("portal").
# Prints "ready" once it owns its name, then each call that holds or
# releases an inhibitor, one line each.
import sys

from gi.repository import Gio, GLib

gnome = sys.argv[1] == "gnome"
node = Gio.DBusNodeInfo.new_for_xml("""<node>
<interface name="org.gnome.SessionManager"><method name="Uninhibit"><arg type="u"/></method>
  <method name="Inhibit"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="u"/>
  <arg type="u" direction="out"/></method></interface>
<interface name="org.freedesktop.portal.Inhibit"><method name="Inhibit"><arg type="s"/>
  <arg type="u"/><arg type="a{sv}"/><arg type="o" direction="out"/></method></interface>
<interface name="org.freedesktop.portal.Request"><method name="Close"/></interface></node>""")
calls = []


def on_call(connection, sender, path, interface, method, parameters, invocation):
    calls.append(method)
    handle = f"/org/freedesktop/portal/desktop/request/t{len(calls)}"
    if method == "Inhibit" and gnome:
        app, window, reason, flags = parameters.unpack()
        print(f"Inhibit window={window} app={app} flags={flags} reason={reason}", flush=True)
        invocation.return_value(GLib.Variant("(u)", (len(calls),)))
    elif method == "Inhibit":
        window, flags, options = parameters.unpack()
        print(f"Inhibit window={window} flags={flags} reason={options['reason']}", flush=True)
        connection.register_object(handle, node.interfaces[2], on_call)
        invocation.return_value(GLib.Variant("(o)", (handle,)))
    else:
        print(method, parameters.unpack()[0] if gnome else path.rsplit("/t", 1)[1], flush=True)
        invocation.return_value(None)


Gio.bus_own_name(
    Gio.BusType.SESSION, "org.gnome.SessionManager" if gnome else "org.freedesktop.portal.Desktop",
    Gio.BusNameOwnerFlags.NONE,
    lambda connection, name: connection.register_object(
        "/org/gnome/SessionManager" if gnome else "/org/freedesktop/portal/desktop",
        node.interfaces[0 if gnome else 1], on_call),
    lambda *_: print("ready", flush=True), lambda *_: sys.exit("the name is taken"))
GLib.MainLoop().run()

#!/usr/bin/python3
# A stand-in for the desktop's session on the private session bus: GNOME's
# session manager ("gnome") or the desktop portal's inhibitor ("portal").
# Prints "ready" once it owns its name, then each call that holds or
# releases an inhibitor, one line each.
import sys

from gi.repository import Gio, GLib

gnome = sys.argv[1] == "gnome"
node = Gio.DBusNodeInfo.new_for_xml("""<node>
<interface name="org.gnome.SessionManager"><method name="Inhibit"><arg type="s" direction="in"/>
  <arg type="u" direction="in"/><arg type="s" direction="in"/><arg type="u" direction="in"/>
  <arg type="u" direction="out"/></method><method name="Uninhibit"><arg type="u"/></method>
</interface>
<interface name="org.freedesktop.portal.Inhibit"><method name="Inhibit">
  <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="a{sv}" direction="in"/>
  <arg type="o" direction="out"/></method></interface>
<interface name="org.freedesktop.portal.Request"><method name="Close"/></interface>
</node>""")
count = 0


def on_call(connection, sender, path, interface, method, parameters, invocation):
    global count
    result = None
    if method == "Inhibit":
        count += 1
        if gnome:
            app, window, reason, flags = parameters.unpack()
            window = f"{window} app={app}"
            result = GLib.Variant("(u)", (count,))
        else:
            window, flags, options = parameters.unpack()
            reason = options.get("reason")
            handle = f"/org/freedesktop/portal/desktop/request/t{count}"
            connection.register_object(handle, node.interfaces[2], on_call)
            result = GLib.Variant("(o)", (handle,))
        print(f"Inhibit window={window} flags={flags} reason={reason}", flush=True)
    else:
        print(method, parameters[0] if gnome else path.rsplit("/t", 1)[1], flush=True)
    invocation.return_value(result)


def on_bus(connection, name):
    connection.register_object("/org/gnome/SessionManager" if gnome else
                               "/org/freedesktop/portal/desktop",
                               node.interfaces[0 if gnome else 1], on_call)


Gio.bus_own_name(Gio.BusType.SESSION,
                 "org.gnome.SessionManager" if gnome else "org.freedesktop.portal.Desktop",
                 Gio.BusNameOwnerFlags.NONE, on_bus, lambda *_: print("ready", flush=True),
                 lambda *_: sys.exit("the name is taken"))
GLib.MainLoop().run()

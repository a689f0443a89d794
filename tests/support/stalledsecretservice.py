#!/usr/bin/python3
"""Owns the Secret Service's name on the session bus and never answers a call.

Prints "ready" once the name is owned. Calls are dropped before GDBus sees them, so no
error reply goes out either: the caller waits until its own bound runs out.
"""
from gi.repository import Gio, GLib


def drop_calls(connection, message, incoming):
    if incoming and message.get_message_type() == Gio.DBusMessageType.METHOD_CALL:
        return None
    return message


def owned(connection, name):
    print("ready", flush=True)


def lost(connection, name):
    print("name taken", flush=True)
    loop.quit()


connection = Gio.bus_get_sync(Gio.BusType.SESSION, None)
connection.add_filter(drop_calls)
Gio.bus_own_name_on_connection(connection, "org.freedesktop.secrets",
                               Gio.BusNameOwnerFlags.DO_NOT_QUEUE, owned, lost)
loop = GLib.MainLoop()
loop.run()

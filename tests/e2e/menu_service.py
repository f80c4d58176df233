#!/usr/bin/python3
# A desktop's global menu service as a program sees it: the registrar's
# name on the session bus, taking every window's menu bar. Prints "ready"
# once it owns the name.
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = 'com.canonical.AppMenu.Registrar'


class Registrar(dbus.service.Object):
    @dbus.service.method(NAME, in_signature='uo')
    def RegisterWindow(self, window, menu):
        pass

    @dbus.service.method(NAME, in_signature='u')
    def UnregisterWindow(self, window):
        pass


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
registrar = Registrar(bus, '/com/canonical/AppMenu/Registrar')
name = dbus.service.BusName(NAME, bus)
print('ready', flush=True)
GLib.MainLoop().run()

#!/usr/bin/python3
# A desktop's settings portal as a program sees it on the session bus,
# answering for the colour scheme: "dark" (1), "light" (2), or "mute" (it
# takes the question and never answers). Prints "ready" once it owns the
# name.
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

SETTINGS = 'org.freedesktop.portal.Settings'
MODE = sys.argv[1]


class Portal(dbus.service.Object):
    # As the portal answers Read: the value in a variant in a variant.
    @dbus.service.method(SETTINGS, in_signature='ss', out_signature='v', async_callbacks=('reply', 'error'))
    def Read(self, namespace, key, reply, error):
        if MODE == 'mute':
            return
        if (namespace, key) != ('org.freedesktop.appearance', 'color-scheme'):
            error(dbus.DBusException('not found', name='org.freedesktop.portal.Error.NotFound'))
            return
        reply(dbus.UInt32({'dark': 1, 'light': 2}[MODE], variant_level=2))


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = Portal(bus, '/org/freedesktop/portal/desktop')
name = dbus.service.BusName('org.freedesktop.portal.Desktop', bus)
print('ready', flush=True)
GLib.MainLoop().run()

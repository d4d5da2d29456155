#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop shell's side of the D-Bus tray (org.kde.StatusNotifierWatcher,
# as KDE Plasma and GNOME's AppIndicator extension provide it) on the current
# session bus. Prints "READY" once it answers, then "ITEM <bus name>" for
# each icon that registers.
import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
IFACE = 'org.kde.StatusNotifierWatcher'

# Qt reads the properties through the introspection data, so they are declared there.
INTROSPECTION = f"""<node><interface name="{IFACE}">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
</interface><interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{{sv}}" direction="out"/></method>
</interface></node>"""


class Watcher(dbus.service.Object):
    def __init__(self):
        super().__init__(bus, '/StatusNotifierWatcher')
        self.items = []

    @dbus.service.method(IFACE, in_signature='s', sender_keyword='sender')
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item gives its bus name, or only its object path on the sender's name.
        self.items.append(service if not service.startswith('/') else sender + service)
        print('ITEM', sender, flush=True)
        self.StatusNotifierItemRegistered(self.items[-1])

    @dbus.service.method(IFACE, in_signature='s')
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(IFACE, signature='s')
    def StatusNotifierItemRegistered(self, item):
        pass

    def props(self):
        return {'IsStatusNotifierHostRegistered': True, 'ProtocolVersion': dbus.Int32(0),
                'RegisteredStatusNotifierItems': dbus.Array(self.items, signature='s')}

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature='ss', out_signature='v')
    def Get(self, iface, prop):
        return self.props()[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature='s', out_signature='a{sv}')
    def GetAll(self, iface):
        return self.props()

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature='s')
    def Introspect(self):
        return INTROSPECTION


name = dbus.service.BusName(IFACE, bus)
Watcher()
print('READY', flush=True)
GLib.MainLoop().run()

"""Reads and works Qt windows from outside through the accessibility bus (AT-SPI over D-Bus),
as a screen reader does. The programs must run on the same session bus with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1.

    accessible.py text WINDOW PREFIX    the name of the first thing in the window titled WINDOW
                                        whose name starts with PREFIX (a label's name is its
                                        whole text, all its lines)
    accessible.py press WINDOW BUTTON   clicks the button (or check box) named BUTTON there

Waits up to ten seconds for them to appear; exit 1 when they do not."""

import sys
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"


def accessibility_bus():
    session = dbus.SessionBus()
    launcher = session.get_object("org.a11y.Bus", "/org/a11y/bus")
    return dbus.bus.BusConnection(str(launcher.GetAddress(dbus_interface="org.a11y.Bus")))


class Node:
    def __init__(self, bus, reference):
        self.bus = bus
        self.object = bus.get_object(str(reference[0]), str(reference[1]))

    def name(self):
        return str(self.object.Get(ACCESSIBLE, "Name",
                                   dbus_interface="org.freedesktop.DBus.Properties"))

    def children(self):
        return [Node(self.bus, child)
                for child in self.object.GetChildren(dbus_interface=ACCESSIBLE)]

    def descendants(self):
        for child in self.children():
            yield child
            yield from child.descendants()


def find(bus, window_name, wanted):
    """The first node `wanted` accepts inside a window named window_name, or None."""
    root = Node(bus, ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"))
    for application in root.children():
        try:
            for window in application.children():
                if window.name() == window_name:
                    found = wanted(window)
                    if found is not None:
                        return found
        except dbus.exceptions.DBusException:
            pass  # an application that ended meanwhile
    return None


def await_node(bus, window_name, wanted, what):
    for _ in range(100):
        found = find(bus, window_name, wanted)
        if found is not None:
            return found
        time.sleep(0.1)
    sys.exit(f"accessible.py: no {what} in a window '{window_name}'")


def main():
    bus = accessibility_bus()
    command, window_name = sys.argv[1], sys.argv[2]
    if command == "text":
        prefix = sys.argv[3]
        text = await_node(
            bus, window_name,
            lambda window: next((node.name() for node in window.descendants()
                                 if node.name().startswith(prefix)), None),
            f"text '{prefix}...'")
        print(text)
    elif command == "press":
        button_name = sys.argv[3]
        button = await_node(
            bus, window_name,
            lambda window: next((node for node in window.descendants()
                                 if node.name() == button_name), None),
            f"button '{button_name}'")
        button.object.DoAction(0, dbus_interface="org.a11y.atspi.Action")
    else:
        sys.exit(__doc__)


main()

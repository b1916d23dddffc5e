#!/usr/bin/python3
"""What a screen reader finds in the program's windows, read over AT-SPI's
D-Bus interfaces (python3-dbus; no other binding is needed).

  atspi.py tree            every accessible: role, name and description,
                           indented by depth
  atspi.py rows NAME       the rows of the table (tree grid) named NAME, a
                           line each, their cells' texts separated by tabs
  atspi.py describe ROLE NAME
                           the description of the first ROLE named NAME

Exits with status 1 when nothing is found (the program may not have
registered yet), 2 when the accessibility bus cannot be reached."""
import sys

import dbus

ACCESSIBLE = 'org.a11y.atspi.Accessible'
TEXT = 'org.a11y.atspi.Text'
PROPERTIES = 'org.freedesktop.DBus.Properties'


def connect():
    session = dbus.SessionBus()
    address = session.get_object('org.a11y.Bus', '/org/a11y/bus').GetAddress(dbus_interface='org.a11y.Bus')
    return dbus.bus.BusConnection(str(address))


class Node:
    def __init__(self, bus, name, path):
        self.bus, self.name, self.path = bus, name, path
        self.object = bus.get_object(name, path, introspect=False)

    def prop(self, what):
        return str(self.object.Get(ACCESSIBLE, what, dbus_interface=PROPERTIES))

    def role(self):
        return str(self.object.GetRoleName(dbus_interface=ACCESSIBLE))

    def children(self):
        return [Node(self.bus, str(n), str(p)) for n, p in self.object.GetChildren(dbus_interface=ACCESSIBLE)]

    def text(self):
        """A label's text as it shows it: GTK names an empty label after its
        class."""
        if TEXT not in self.object.GetInterfaces(dbus_interface=ACCESSIBLE):
            return ''
        count = self.object.Get(TEXT, 'CharacterCount', dbus_interface=PROPERTIES)
        return str(self.object.GetText(dbus.Int32(0), dbus.Int32(int(count)), dbus_interface=TEXT))

    def walk(self, depth=0):
        yield self, depth
        for child in self.children():
            yield from child.walk(depth + 1)


def applications(bus):
    root = Node(bus, 'org.a11y.atspi.Registry', '/org/a11y/atspi/accessible/root')
    return [app for app in root.children() if app.prop('Name') == 'dorv']


def cell_text(cell):
    for node, _ in cell.walk():
        if node.role() == 'label':
            return node.text()
    return ''


def main(args):
    try:
        bus = connect()
        apps = applications(bus)
    except dbus.DBusException as error:
        print(error, file=sys.stderr)
        return 2
    found = False
    for app in apps:
        for node, depth in app.walk():
            role = node.role()
            if args[0] == 'tree':
                found = True
                print('  ' * depth + '\t'.join([role, node.prop('Name'), node.prop('Description')]))
            elif args[0] == 'rows' and role == 'tree grid' and node.prop('Name') == args[1]:
                for row, _ in node.walk():
                    cells = [c for c in row.children() if c.role() == 'grid cell'] if row.role() == 'row' else []
                    if cells:
                        found = True
                        print('\t'.join(cell_text(cell) for cell in cells))
                break
            elif args[0] == 'describe' and role == args[1] and node.prop('Name') == args[2]:
                print(node.prop('Description'))
                return 0
    return 0 if found else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/python3
# What a screen reader finds of the program with process id PID on the
# accessibility bus.
#   a11y.py PID tree: the label, "label NAME showing|hidden", and each menu
#     with its items, "+" checked, "-" not: "menu Options: Show Date+ ...".
#   a11y.py PID names SECONDS: the label's name as each name change is
#     announced, one a line.
import sys

import pyatspi
from gi.repository import GLib

pid, what = int(sys.argv[1]), sys.argv[2]


def app():
    for a in pyatspi.Registry.getDesktop(0):
        if a is not None and a.get_process_id() == pid:
            return a
    sys.exit('no application with process id %d on the accessibility bus' % pid)


def find(node, role):
    return pyatspi.findAllDescendants(node, lambda n: n.getRole() == role)


if what == 'tree':
    for label in find(app(), pyatspi.ROLE_LABEL):
        print('label', label.name, 'showing' if label.getState().contains(pyatspi.STATE_SHOWING) else 'hidden')
    for bar in find(app(), pyatspi.ROLE_MENU_BAR):
        for menu in bar:
            items = find(menu, pyatspi.ROLE_MENU_ITEM) + find(menu, pyatspi.ROLE_CHECK_MENU_ITEM)
            print('menu %s:' % menu.name, *(i.name + '-+'[i.getState().contains(pyatspi.STATE_CHECKED)] for i in items))
elif what == 'names':
    app()

    def changed(event):
        if event.source.getRole() == pyatspi.ROLE_LABEL and event.host_application.get_process_id() == pid:
            print(event.source.name, flush=True)

    pyatspi.Registry.registerEventListener(changed, 'object:property-change:accessible-name')
    GLib.timeout_add(int(float(sys.argv[3]) * 1000), pyatspi.Registry.stop)
    pyatspi.Registry.start()

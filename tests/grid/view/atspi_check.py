"""Finds the grid of AtSpiCheck over AT-SPI, reads cell (1, 1) and its column header, presses Down and
waits for the focus to reach the cell below. Exits 0 when all of that holds, 1 with the reason otherwise."""
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def fail(reason):
    print("FAIL:", reason)
    sys.exit(1)


def find_table(root, name, depth=0):
    """Depth-first, never into a table's children: a table may hold more cells than a walk can visit."""
    if root is None or depth > 12:
        return None
    if root.get_role() == Atspi.Role.TABLE:
        return root if root.get_name() == name else None
    for i in range(root.get_child_count()):
        found = find_table(root.get_child_at_index(i), name, depth + 1)
        if found is not None:
            return found
    return None


def find_app(name, seconds):
    desktop = Atspi.get_desktop(0)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == name:
                return app
        time.sleep(0.2)
    return None


def main():
    app_name, table_name = sys.argv[1], sys.argv[2]
    app = find_app(app_name, 15)
    if app is None:
        fail("no application %r on the accessibility bus" % app_name)
    table = None
    for _ in range(50):
        table = find_table(app, table_name)
        if table is not None:
            break
        time.sleep(0.2)
    if table is None:
        fail("no table named %r" % table_name)

    if table.get_n_rows() != 9 or table.get_n_columns() != 5:
        fail("counts %d x %d" % (table.get_n_rows(), table.get_n_columns()))
    cell = table.get_accessible_at(1, 1)
    if cell is None or cell.get_name() != "X1":
        fail("cell (1, 1) reads %r" % (cell.get_name() if cell else None))
    header = table.get_column_header(1)
    if header is None or header.get_name() != "名称":
        fail("column header %r" % (header.get_name() if header else None))

    # The key goes to the window with the keyboard focus: wait until the grid has it, on cell (1, 1).
    for _ in range(100):
        if cell.get_state_set().contains(Atspi.StateType.FOCUSED):
            break
        time.sleep(0.1)
    else:
        fail("cell (1, 1) never had the focus")

    moved = {}
    loop = GLib.MainLoop()

    def on_focus(event):
        if event.detail1 != 1:
            return
        source = event.source
        if source.get_role() == Atspi.Role.TABLE_CELL:
            moved["name"] = source.get_name()
            index = source.get_index_in_parent()
            moved["position"] = (table.get_row_at_index(index), table.get_column_at_index(index))
            loop.quit()

    listener = Atspi.EventListener.new(on_focus)
    listener.register("object:state-changed:focused")

    def press_down():
        subprocess.run(["xdotool", "key", "Down"], check=False)
        return False

    # The program learns of the listener over the bus: give it a moment before the key.
    GLib.timeout_add(700, press_down)
    GLib.timeout_add(15000, loop.quit)
    loop.run()
    listener.deregister("object:state-changed:focused")
    if moved.get("name") != "Y2" or moved.get("position") != (2, 1):
        fail("focus moved to %r" % moved)
    print("ok: found %r, cell (1, 1) %r under %r, focus moved to %r" % (table_name, "X1", "名称", moved))


main()

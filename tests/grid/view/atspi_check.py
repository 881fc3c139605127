"""Finds the grid of AtSpiCheck over AT-SPI, reads cell (1, 1), the wide and rich cells beside it and the
column header, finds the vertical scroll bar among the table's children, presses Down and waits for the
focus to reach the cell below, then opens the in-place editor (F2) and the header editor (a double-click)
and finds each by walking the tree down from the table. Exits 0 when all of that holds, 1 with the reason
otherwise."""
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


def widget_children(table):
    """The table's children after its cells (the header row's and the body's), each checked to lead back."""
    cells = (table.get_n_rows() + 1) * table.get_n_columns()
    children = []
    for i in range(cells, table.get_child_count()):
        child = table.get_child_at_index(i)
        if child is None or child.get_parent() != table or child.get_index_in_parent() != i:
            fail("child %d of the table does not lead back to it" % i)
        children.append(child)
    return children


def find_below(root, wanted, depth=0):
    """Depth-first under root for an object that wanted accepts; every step checked to lead back."""
    if wanted(root):
        return root
    if depth > 4:
        return None
    for i in range(root.get_child_count()):
        child = root.get_child_at_index(i)
        if child is None:
            continue
        if child.get_parent() != root or child.get_index_in_parent() != i:
            fail("%s under %s does not lead back to it" % (child.get_role_name(), root.get_role_name()))
        found = find_below(child, wanted, depth + 1)
        if found is not None:
            return found
    return None


def focused_editor(table):
    """The focused text box reached from the table, waiting for it to open."""
    def wanted(obj):
        states = obj.get_state_set()
        return obj.get_role() == Atspi.Role.TEXT and states.contains(Atspi.StateType.FOCUSED)

    for _ in range(50):
        for child in widget_children(table):
            found = find_below(child, wanted)
            if found is not None:
                return found
        time.sleep(0.1)
    return None


def text_of(obj):
    text = obj.get_text_iface()
    return text.get_text(0, text.get_character_count()) if text is not None else None


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
    # Read as they are painted, not as their bytes.
    for column, shown in ((2, "中文"), (3, "Rich")):
        painted = table.get_accessible_at(1, column)
        if painted is None or painted.get_name() != shown:
            fail("cell (1, %d) reads %r, not %r" % (column, painted.get_name() if painted else None, shown))
    header = table.get_column_header(1)
    if header is None or header.get_name() != "名称":
        fail("column header %r" % (header.get_name() if header else None))
    bars = [bar for child in widget_children(table)
            for bar in [find_below(child, lambda obj: obj.get_role() == Atspi.Role.SCROLL_BAR)] if bar is not None]
    if len(bars) != 1 or bars[0].get_state_set().contains(Atspi.StateType.HORIZONTAL):
        fail("scroll bars under the table: %r" % [bar.get_state_set().get_states() for bar in bars])

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

    # The editors, found by walking down from the table: each named after its column's header.
    subprocess.run(["xdotool", "key", "F2"], check=False)
    editor = focused_editor(table)
    if editor is None or editor.get_name() != "名称" or text_of(editor) != "Y2":
        fail("in-place editor %r reads %r" % (editor.get_name() if editor else None, text_of(editor) if editor else None))
    subprocess.run(["xdotool", "key", "Escape"], check=False)
    extents = header.get_extents(Atspi.CoordType.SCREEN)
    subprocess.run(["xdotool", "mousemove", str(extents.x + extents.width // 2), str(extents.y + extents.height // 2),
                    "click", "--repeat", "2", "--delay", "80", "1"], check=False)
    header_editor = focused_editor(table)
    if header_editor is None or header_editor.get_name() != "名称" or text_of(header_editor) != "名称":
        fail("header editor %r reads %r" % (header_editor.get_name() if header_editor else None,
                                              text_of(header_editor) if header_editor else None))
    print("ok: found %r, cell (1, 1) %r under %r, focus moved to %r, both editors and the scroll bar in the tree"
          % (table_name, "X1", "名称", moved))


main()

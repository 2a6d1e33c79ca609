"""Reads the running program through AT-SPI as a screen reader would.

Run by scripts/accessibility-check inside a private D-Bus session on a
virtual display; PROGRAM names the program and WORK a scratch folder where
the stand-in xdg-open writes down every address it is asked to open.
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

WORK = os.environ["WORK"]
OPENED = os.path.join(WORK, "opened")
MAKER = "http://quorvex.example/"
STORE = "http://store.example/exec/obidos/redirect-home/quorvex-20"
failures = []


def check(ok, what):
    print(("   ok  " if ok else " FAIL  ") + what)
    if not ok:
        failures.append(what)


def wait_for(find, seconds=60):
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((a for a in desktop if a is not None and a.name == "Tallivor"), None)


def window(app, title):
    return next((w for w in app if w is not None and w.name == title), None)


def child(parent, role, name=None, prefix=None):
    for c in parent:
        if c.getRoleName() != role:
            continue
        if name is not None and c.name != name:
            continue
        if prefix is not None and not c.name.startswith(prefix):
            continue
        return c
    return None


def has_control_character(text):
    return any(ord(ch) < 0x20 or 0x7F <= ord(ch) < 0xA0 for ch in text)


def press(accessible):
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press"))
    return names


def opened():
    try:
        with open(OPENED) as f:
            return f.read().split()
    except FileNotFoundError:
        return []


def opened_after(count, seconds=5):
    """The addresses opened once more than count have been."""
    return wait_for(lambda: opened() if len(opened()) > count else None, seconds) or opened()


def focus_x_window(title):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                         capture_output=True, text=True).stdout.split()
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=True)


def key(name):
    subprocess.run(["xdotool", "key", name], check=True)


def value(accessible):
    return accessible.queryValue().currentValue


def read_table(frame):
    tables = [c for c in frame if c.getRoleName() == "table"]
    check(len(tables) == 1, f"the window holds {len(tables)} object of role table")
    if not tables:
        sys.exit(1)
    table_object = tables[0]
    table = table_object.queryTable()
    headers = [table.getColumnDescription(c) for c in range(table.nColumns)]
    print(f"       table {table_object.name!r}: {table.nRows} rows x {table.nColumns} columns, "
          f"headers {headers}")
    check(table.nRows == 256 and table.nColumns == 5, "256 rows and 5 columns")
    check(headers == ["Code", "Hex", "Character", "Count", "Frequency"], "the five column headers")
    header = table.getColumnHeader(1)
    check(header is not None and header.name == "Hex", "column 1 has the header object 'Hex'")
    return table


def read_cell_in_context(table, row, column):
    cell = table.getAccessibleAt(row, column)
    header = table.getRowHeader(row)
    print(f"       cell ({row}, {column}): role {cell.getRoleName()!r}, name {cell.name!r}, "
          f"description {cell.description!r}, row header {header.name if header else None!r}")
    print(f"       row {row} description: {table.getRowDescription(row)!r}")
    return cell


def check_noise_and_names(frame, table):
    names = [c.name for c in frame]
    print(f"       the window has {frame.childCount} children (the 1,280 cells are inside the table)")
    check("Toolbar" not in names, "the strip's background is not exposed")
    check("Legend" not in names, "no empty legend label is exposed")
    characters = [table.getAccessibleAt(code, 2).name for code in range(256)]
    rows = [table.getRowDescription(code) for code in range(256)]
    print(f"       characters 0, 10, 32, 65, 127, 129, 233: "
          f"{[characters[c] for c in (0, 10, 32, 65, 127, 129, 233)]}")
    bad = [t for t in names + characters + rows if has_control_character(t)]
    check(not bad, "no control character in the window's names, the character column "
                   f"or the row descriptions {bad[:3]}")


def check_totals(frame, shown):
    """The totals read the numbers they show and are labelled by their captions."""
    for caption, number in zip(("Total Chars:  ", "Selected:  "), shown):
        labelled = [c for c in frame if c.getRoleName() == "label" and any(
            r.getRelationType() == pyatspi.RELATION_LABELLED_BY and r.getTarget(0).name == caption
            for r in c.getRelationSet())]
        name = labelled[0].name if labelled else None
        check(name == number, f"the label labelled by {caption!r} reads {name!r}")


def count_objects(root):
    """Every object a screen reader can walk to under root, root included."""
    return 1 + sum(count_objects(c) for c in root if c is not None)


def calculate_and_listen():
    """Presses Calculate with Return and collects the events that follow."""
    events = []

    def heard(event):
        try:
            source_name = event.source.name
            role = event.source.getRoleName()
        except Exception:
            source_name, role = "?", "?"
        events.append((event.type, role, source_name))

    # The toolkit sends a value change only to those who ask for it by name.
    kinds = ["object:property-change:accessible-value", "object:property-change:accessible-name",
             "object:state-changed:showing",
             "object:property-change:accessible-description", "object:children-changed",
             "object:text-changed", "object:visible-data-changed", "object:model-changed"]
    pyatspi.Registry.registerEventListener(heard, *kinds)
    used = {}

    def press_return():
        used["key"] = "Return"
        GLib.timeout_add(2500, fall_back_to_space)
        focus_x_window("Tallivor")
        key("Return")
        return False

    def fall_back_to_space():
        GLib.timeout_add(2500, stop)
        if not any(e[1] == "notification" for e in events):
            used["key"] = "Space (Return did nothing)"
            key("space")
        return False

    def stop():
        pyatspi.Registry.stop()
        return False

    GLib.timeout_add(300, press_return)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(heard, *kinds)
    print(f"       pressed Calculate with {used['key']}; {len(events)} events arrived:")
    for event in events:
        print(f"         {event[0]} from {event[1]} {event[2]!r}")
    return events


def check_links(app, frame):
    before = len(opened())
    link = child(frame, "link", prefix="Maker's home page")
    actions = press(link)
    check(opened_after(before)[before:] == [MAKER],
          f"main window link {link.name!r}, actions {actions}: press opened {opened()[before:]}")

    press(child(frame, "push button", "Help"))
    help_window = wait_for(lambda: window(app, "Tallivor Help"))
    check(help_window is not None, "Help opened the help window")
    before = len(opened())
    link = child(help_window, "link", prefix="Maker's home page")
    actions = press(link)
    check(opened_after(before)[before:] == [MAKER],
          f"help window link {link.name!r}, actions {actions}: press opened {opened()[before:]}")

    badge = child(help_window, "link", "Online store")
    before = len(opened())
    actions = press(badge)
    check(opened_after(before)[before:] == [STORE],
          f"store badge {badge.name!r}, actions {actions}: press opened {opened()[before:]}")

    focus_x_window("Tallivor Help")
    badge.queryComponent().grabFocus()
    time.sleep(0.3)
    for name in ("space", "Return", "KP_Enter"):
        before = len(opened())
        key(name)
        check(opened_after(before)[before:] == [STORE],
              f"{name} on the focused badge opened {opened()[before:]}")


def main():
    source_path = os.path.join(WORK, "source")
    with open(source_path, "wb") as f:
        f.write(b"AAAB")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", ASAN_OPTIONS="detect_leaks=0")
    with open(os.path.join(WORK, "program.log"), "w") as log:
        program = subprocess.Popen([os.environ["PROGRAM"]], env=env, stdout=log, stderr=log)
    try:
        app = wait_for(application)
        frame = wait_for(lambda: window(app, "Tallivor")) if app else None
        if frame is None:
            print(" FAIL  the program did not show up on the accessibility bus")
            return 1
        print("The frequency table")
        table = read_table(frame)
        print("Code 65 before a calculation")
        read_cell_in_context(table, 65, 1)
        count = read_cell_in_context(table, 65, 3)
        check(count.name == "", "the empty count cell reads empty")
        check_noise_and_names(frame, table)
        check_totals(frame, ("0", "0"))
        print(f"       objects a screen reader can walk to: {count_objects(frame)}")

        print("Calculate on a file of the 4 bytes AAAB")
        child(frame, "text", "Source").queryEditableText().setTextContents(source_path)
        events = calculate_and_listen()
        names = [e for e in events if e[0] == "object:property-change:accessible-name"]
        check(sum(e[2] == "4" for e in names) == 2, "name changes of the two totals arrived")
        shown = [e for e in events if e[0].startswith("object:state-changed:showing")]
        check([e[1:] for e in shown] == [("notification", "4 bytes read, 4 selected, "
                                           "largest frequency 0.75")],
              "the notification with the totals was shown once")
        check(len(events) < 20, f"one batch of {len(events)} events, not one for each label")
        print("Code 65 after the calculation")
        count = read_cell_in_context(table, 65, 3)
        check(count.name == "3", "the count cell now reads 3")
        bar = child(frame, "image", "Bar of code 65")
        check(abs(value(bar) - 0.75) < 1e-9, f"bar 65 has the value {value(bar)}")
        graph = child(frame, "image", "Frequency graph")
        print(f"       graph description: {graph.description!r}")
        check_totals(frame, ("4", "4"))
        print(f"       objects a screen reader can walk to: {count_objects(frame)}")

        print("Links")
        check_links(app, frame)
    finally:
        program.terminate()
        program.wait(10)
    print(f"{len(failures)} failed" if failures else "All checks passed")
    return 1 if failures else 0


sys.exit(main())

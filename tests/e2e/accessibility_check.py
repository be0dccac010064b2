"""Reads the running program's accessibility tree through AT-SPI, as a
screen reader does, and checks it. Prints FAIL lines and exits 1 on any
fault. Run by accessibility_test.sh with the program already started."""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

faults = []


def check(ok, what):
    if not ok:
        faults.append(what)
        print("FAIL:", what)


def find_app():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "orvik":
                return app
        time.sleep(0.1)
    sys.exit("FAIL: the program does not show on the accessibility bus")


def walk(obj):
    yield obj
    if obj.getRoleName() == "table":
        return  # its cells are read through the table interface
    for i in range(obj.childCount):
        yield from walk(obj.getChildAtIndex(i))


def actions(obj):
    try:
        action = obj.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


app = find_app()
objects = list(walk(app))


def one(role, name):
    found = [o for o in objects if o.getRoleName() == role and o.name == name]
    check(len(found) == 1, f"{len(found)} objects are a {role} named {name!r}, not one")
    return found[0] if found else None


# Every control a user reaches, by role and the name a screen reader speaks.
CONTROLS = [
    ("push button", "Schliessen"),
    ("spin button", "Länge [ms]"),
    ("text", "Frequenz[Hz]"),
    ("check box", "Aushalten"),
    ("push button", "Stop"),
    ("combo box", "Halbtöne"),
    ("spin button", "Kammerton a1 [Hz]"),
    ("slider", "Lautstärke"),
    ("check box", "links"),
    ("check box", "rechts"),
    ("push button", "Info"),
    ("push button", "Kalvano"),
    ("table", "Frequenztabelle"),
    ("text", "Infotext"),
]
controls = {name: one(role, name) for role, name in CONTROLS}
for role in ("spin button", "text", "slider", "table", "push button", "check box", "combo box"):
    for o in objects:
        check(o.getRoleName() != role or o.name != "" or o.parent.getRoleName() == "combo box",
              f"a {role} has no name")

hint = "Einstellung für die Dauer des Tones in Millisekunden"
check(controls["Länge [ms]"].description == hint, "the length's hint is not its description")
check(controls["Länge [ms]"].queryValue().currentValue == 100, "the length does not read as 100")
check(controls["Kammerton a1 [Hz]"].queryValue().currentValue == 440, "the concert pitch does not read as 440")
volume = controls["Lautstärke"].queryValue()
check((volume.minimumValue, volume.currentValue, volume.maximumValue) == (0, 50, 100),
      "the volume does not read as 50 of 0..100")
for name in ("Info", "Kalvano"):
    check("Press" in actions(controls[name]), f"{name!r} has no press action")

# The table speaks: each cell the cursor reaches gets the focus, named by its
# text, at its row and column.
table = controls["Frequenztabelle"]
grid = table.queryTable()
focused = []


def on_focus(event):
    if event.detail1 == 1 and event.source.getRoleName() == "table cell":
        focused.append(event.source)


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Orvik$"],
                        capture_output=True, text=True).stdout.split()[0]
# A click on the 440 cell (column 5, row 0), the cursor down and up, up past
# the top into the octave below, and Tab to the next cell.
STEPS = [
    (["mousemove", "--window", window, "276", "67", "click", "1"], (0, 5)),
    (["key", "Down"], (1, 5)),
    (["key", "Up"], (0, 5)),
    (["key", "Up"], (grid.nRows - 1, 4)),
    (["key", "Tab"], (grid.nRows - 1, 5)),
]
step = 0


def next_step():
    global step
    if step < len(STEPS):
        subprocess.run(["xdotool"] + STEPS[step][0], check=True)
        step += 1
        deadline = time.monotonic() + 10
        GLib.timeout_add(50, wait_for_focus, step, deadline)
    else:
        pyatspi.Registry.stop()
    return False


def wait_for_focus(count, deadline):
    if len(focused) >= count or time.monotonic() > deadline:
        next_step()
        return False
    return True


GLib.timeout_add(100, next_step)
pyatspi.Registry.start()

for (keys, (row, col)), cell in zip(STEPS, focused):
    index = cell.getIndexInParent()
    want = grid.getAccessibleAt(row, col).name
    check((grid.getRowAtIndex(index), grid.getColumnAtIndex(index)) == (row, col),
          f"after {keys[-1]} the focus is on row {grid.getRowAtIndex(index)}, column "
          f"{grid.getColumnAtIndex(index)}, not {row}, {col}")
    check(cell.name == want and want.strip() != "", f"after {keys[-1]} the focused cell is named {cell.name!r}, not {want!r}")
check(len(focused) == len(STEPS), f"{len(focused)} cells got the focus, not {len(STEPS)}")
check(grid.getAccessibleAt(0, 5).name == "440 a1", f"the 440 cell is named {grid.getAccessibleAt(0, 5).name!r}")

# "Info" pressed by its action shows page 1 in place of the table.
info = controls["Info"].queryAction()
info.doAction(actions(controls["Info"]).index("Press"))
memo = controls["Infotext"]
for _ in range(50):
    if memo.getState().contains(pyatspi.STATE_SHOWING):
        break
    time.sleep(0.1)
check(memo.getState().contains(pyatspi.STATE_SHOWING), "the help text is not shown after Info's action")
check(not table.getState().contains(pyatspi.STATE_SHOWING), "the table is still shown after Info's action")
text = memo.queryText()
check(text.getText(0, -1).startswith("   Seite 1 "), f"the help text begins {text.getText(0, 40)!r}, not page 1")

sys.exit(1 if faults else 0)

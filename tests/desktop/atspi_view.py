"""What a screen reader gets of Quorlane through AT-SPI: every input control
announced by a meaningful name, the preview lines readable, and a line the
run would not rename described by why.

Run by check_atspi.sh inside its own D-Bus session under a real X server."""
import sys
import time

import pyatspi


def find_app(name, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit("FAIL: no application named %r on the accessibility bus" % name)


def nodes(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from nodes(child)


def named(app, role, name):
    for node in nodes(app):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


app = find_app("Quorlane")
expected = [
    ("text", "Prefix"), ("text", "Start Count"), ("text", "Remove"), ("text", "Replace with"),
    ("text", "File ext(s)"), ("combo box", "Counter Format"), ("check box", "Include Count"),
    ("radio button", "Replace"), ("radio button", "Before"), ("radio button", "None"),
    ("radio button", "UnChanged Char Case"), ("radio button", "UPPER"), ("radio button", "lower"),
    ("push button", "Rename"), ("push button", "Delete"), ("push button", "Select All"),
    ("push button", "Select None"), ("list", "Files"), ("list", "Folder"), ("list", "Preview"),
]
missing = [f"{role} {name!r}" for role, name in expected if named(app, role, name) is None]
if missing:
    sys.exit("FAIL: not announced: " + ", ".join(missing))

# Press "Select All" as an assistive tool would; the preview then holds a line
# per file, read as "old becomes new".
button = named(app, "push button", "Select All")
button.queryAction().doAction(0)
deadline = time.time() + 10
lines = []
while time.time() < deadline:
    preview = named(app, "list", "Preview")
    lines = [preview.getChildAtIndex(i).name for i in range(preview.childCount)]
    if lines:
        break
    time.sleep(0.2)
# In the first run's mode Replace with an empty prefix only the extension stays.
want = ["a.txt becomes .txt", "b.txt becomes .txt"]
if lines != want:
    sys.exit("FAIL: preview read as %r, expected %r" % (lines, want))

# Both would take one name: the second line is described by why the run
# stops there, once that is known.
want = ["", "the same new name as a.txt"]
deadline = time.time() + 10
while time.time() < deadline:
    preview = named(app, "list", "Preview")
    described = [preview.getChildAtIndex(i).description for i in range(preview.childCount)]
    if described == want:
        break
    time.sleep(0.2)
if described != want:
    sys.exit("FAIL: preview lines described as %r, expected %r" % (described, want))
print("atspi: ok")

#!/usr/bin/python3
"""Keyloom as a screen reader sees it, through AT-SPI, and driven from the keyboard alone.

Runs under an X server and a D-Bus session of its own (atspi_test.sh starts both). Starts
`keyloom --simulate --trace` with Qt's accessibility bridge always on and reads its tree as Orca
would: the main window, the 104 keys of the keyboard picture with their names, the connection
status, the focus moving with Tab and the arrow keys, and the key assignment dialog opened with
Enter, whose event list is a table. The journey "Tab to the keyboard picture, arrows to F5,
Enter, the single-key page, F5, Tab to OK, Enter" is made with key presses only (xdotool), then
once more with the mouse on a fresh simulated keyboard; both must send the same frames, with the
same pauses. Escape cancels the dialog and sends nothing. In Chinese the picture and the status
line keep their names.

    atspi_journey.py BIN_DIR      (the folder of keyloom, its config.xml and uires)

Prints one line per check and "N passed, M failed"; exits 0 when every check passed.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

import pyatspi
from gi.repository import GLib

BIN_DIR = os.path.abspath(sys.argv[1])
TRACE_PREFIXES = ("set ", "get ", "pause ")
EVENT_COLUMNS = ["Code", "Key", "Action", "Delay (ms)"]
results = {"passed": 0, "failed": 0}


def check(condition, what, detail=""):
    results["passed" if condition else "failed"] += 1
    print(("ok: " if condition else "FAIL: ") + what + ("" if condition else f" ({detail})"),
          flush=True)
    return condition


def wait_for(probe, timeout=10.0):
    """The first true answer of `probe` within `timeout` seconds, else the last answer."""
    end = time.monotonic() + timeout
    while True:
        try:
            answer = probe()
        except Exception:  # an object that went away while it was read
            answer = None
        if answer or time.monotonic() > end:
            return answer
        time.sleep(0.1)


def expected_key_names():
    root = ElementTree.parse(os.path.join(BIN_DIR, "uires", "xml", "keyboard.xml")).getroot()
    return [key.get("name") for key in root.iter("key")]


class Keyloom:
    """One keyloom on a fresh simulated keyboard and data folder."""

    def __init__(self, scratch, name, language="en"):
        self.folder = os.path.join(scratch, name)
        os.makedirs(os.path.join(self.folder, "run"), mode=0o700)
        with open(os.path.join(BIN_DIR, "config.xml"), encoding="utf-8") as source:
            config = source.read().replace("<usb ", f'<local language="{language}"/>\n<usb ', 1)
        config_path = os.path.join(self.folder, "config.xml")
        with open(config_path, "w", encoding="utf-8") as target:
            target.write(config)
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL="C.UTF-8",
                   XDG_RUNTIME_DIR=os.path.join(self.folder, "run"))
        env.pop("QT_QPA_PLATFORM", None)
        # Under AddressSanitizer: libxkbcommon-x11, which Qt's xcb platform asks for the keymap,
        # hands strndup a length beyond its buffer (the string ends before it), which strict
        # string checks report; the later setting wins.
        if "ASAN_OPTIONS" in env:
            env["ASAN_OPTIONS"] += ":strict_string_checks=0"
        self.trace_path = os.path.join(self.folder, "trace.txt")
        self.trace = open(self.trace_path, "w", encoding="utf-8")
        self.process = subprocess.Popen(
            [os.path.join(BIN_DIR, "keyloom"), "--simulate", "--trace", "--config", config_path,
             "--data-dir", self.folder], env=env, stdout=subprocess.DEVNULL, stderr=self.trace)
        self.app = wait_for(self._find_app, 30)
        self.missing = "" if self.app is not None else self._why_missing()
        self.focus_window("Keyloom")
        # The keyboard is opened and read after the first paint.
        wait_for(lambda: self.find(self.app, "status bar", "Connected"), 10)

    def focus_window(self, title):
        """Gives the window `title` the keyboard, as a window manager would when it opens or
        when the window above it closes (the X server runs none)."""
        windows = wait_for(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid), "--name",
             f"^{title}$"], capture_output=True, text=True).stdout.split(), 20)
        if windows:
            subprocess.run(["xdotool", "windowfocus", "--sync", windows[-1]], check=False)
            time.sleep(0.3)

    def _find_app(self):
        # The desktop's list of applications is read again each time, not taken from the cache.
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.clearCache()
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def _why_missing(self):
        desktop = pyatspi.Registry.getDesktop(0)
        apps = [(desktop.getChildAtIndex(i).name, desktop.getChildAtIndex(i).get_process_id())
                for i in range(desktop.childCount)]
        self.trace.flush()
        with open(self.trace_path, encoding="utf-8") as trace:
            last = trace.read().splitlines()[:8]
        return (f"pid {self.process.pid} exit {self.process.poll()}, on the bus {apps}, "
                f"its first lines {last}")

    def frames(self):
        self.trace.flush()
        with open(self.trace_path, encoding="utf-8") as trace:
            return [line.rstrip("\n") for line in trace if line.startswith(TRACE_PREFIXES)]

    def settled_frames(self):
        """The frames once no new one came for a second (at most 15 s)."""
        end = time.monotonic() + 15
        frames = self.frames()
        while time.monotonic() < end:
            time.sleep(1.0)
            now = self.frames()
            if now == frames:
                break
            frames = now
        return frames

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.trace.close()

    @staticmethod
    def nodes(accessible, showing_only=True):
        """Every object below `accessible` (itself first); only the shown ones by default."""
        stack = [accessible]
        while stack:
            node = stack.pop()
            if node is None:
                continue
            if showing_only and node.getRole() != pyatspi.ROLE_APPLICATION and \
                    not node.getState().contains(pyatspi.STATE_SHOWING):
                continue
            yield node
            if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
                continue
            stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))

    def find(self, within, role, name=None):
        for node in self.nodes(within):
            if node.getRoleName() == role and (name is None or node.name == name):
                return node
        return None

    def focused(self):
        """The deepest object with the focused state: a key of the picture, not the picture."""
        found = None
        for node in self.nodes(self.app):
            if node.getState().contains(pyatspi.STATE_FOCUSED):
                found = node
        return found

    def dialog(self):
        return self.find(self.app, "dialog", "Key assignment")


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)
    time.sleep(0.3)


def click(accessible):
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = extents.x + extents.width // 2, extents.y + extents.height // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)
    time.sleep(0.3)


def focus_is(keyloom, name, role=None):
    node = wait_for(lambda: (lambda f: f if f is not None and f.name == name and
                             (role is None or f.getRoleName() == role) else None)(
        keyloom.focused()), 5)
    return node is not None


def focused_name(keyloom):
    node = keyloom.focused()
    return f"{node.getRoleName()} {node.name!r}" if node is not None else "nothing"


def read_main_window(keyloom):
    check(keyloom.app is not None, "keyloom is on the accessibility bus", keyloom.missing)
    frame = keyloom.find(keyloom.app, "frame", "Keyloom")
    check(frame is not None, "the main window is a frame named Keyloom")
    picture = keyloom.find(keyloom.app, "panel", "Keyboard")
    names = [picture.getChildAtIndex(i).name for i in range(picture.childCount)] if picture else []
    check(len(names) == 104, "the keyboard picture has 104 keys", f"{len(names)} keys")
    check(names == expected_key_names(), "each key is named as the key coordinate file names it",
          f"{[n for n in names if not n][:3]} ... {names[:6]}")
    roles = {picture.getChildAtIndex(i).getRoleName() for i in range(picture.childCount)} \
        if picture else set()
    check(roles == {"push button"}, "every key is a button", str(roles))
    status = keyloom.find(keyloom.app, "status bar", "Connected")
    check(status is not None and status.description == "Connection status",
          "the connection status says Connected and what it is")
    more = keyloom.find(keyloom.app, "push button", "More")
    check(more is not None, "the title bar's picture buttons are named by what they do")


def keyboard_journey(keyloom):
    """The assignment of F5 to itself with key presses only; answers the frames it sent."""
    order = ["Key list…", "Copy profile…", "Profile", "Esc"]
    reached = []
    for name in order:
        keys("Tab")
        focus_is(keyloom, name)
        reached.append(focused_name(keyloom))
    check(reached == [f"push button {order[0]!r}", f"push button {order[1]!r}",
                      f"combo box {order[2]!r}", f"push button {order[3]!r}"],
          "Tab goes from the window's buttons and profile list to the picture's first key",
          " -> ".join(reached))
    keys(*["Right"] * 5)
    check(focus_is(keyloom, "F5", "push button"), "the arrow keys move the focus to F5",
          focused_name(keyloom))
    keys("Return")
    dialog = wait_for(keyloom.dialog, 10)
    check(dialog is not None, "Enter on F5 opens the key assignment dialog")
    if dialog is None:
        return []
    keyloom.focus_window("Key assignment")
    events = wait_for(lambda: keyloom.find(keyloom.dialog(), "table"), 5)
    table = events.queryTable() if events is not None else None
    titles = [table.getColumnDescription(i) for i in range(table.nColumns)] if table else []
    headers = [events.getChildAtIndex(i).name for i in range(len(titles))] if table else []
    check(titles == EVENT_COLUMNS and headers == EVENT_COLUMNS,
          "the event list is a table whose column headers are named by their titles",
          f"{titles} {headers}")
    keys("Tab")
    check(focus_is(keyloom, "Macro", "page tab"), "Tab reaches the dialog's tabs first",
          focused_name(keyloom))
    keys("Right")
    check(focus_is(keyloom, "Single key", "page tab"), "Right selects the single-key page",
          focused_name(keyloom))
    keys("F5")
    check(wait_for(lambda: keyloom.find(keyloom.dialog(), "label", "F5"), 5) is not None,
          "the single-key page shows the key pressed")
    keys("Tab", "Tab", "Tab")
    check(focus_is(keyloom, "OK", "push button"), "Tab goes on to OK", focused_name(keyloom))
    # What a screen reader is told when a text changes: the new name of the object.
    renamed = []

    def on_renamed(event):
        renamed.append((event.source.getRoleName(), str(event.any_data)))

    pyatspi.Registry.registerEventListener(on_renamed, "object:property-change:accessible-name")
    keys("Return")
    check(wait_for(lambda: keyloom.dialog() is None, 10), "Enter on OK closes the dialog")
    frames = keyloom.settled_frames()
    check(any(line.startswith("set 07fa") for line in frames),
          "the keyboard journey sent the assignment", frames[-3:])
    notice = wait_for(lambda: keyloom.find(keyloom.app, "alert"), 5)
    check(notice is not None and "F5" in notice.name,
          "the notice line, an alert, says what F5 does now", notice.name if notice else "none")

    def told():
        while GLib.MainContext.default().iteration(False):
            pass
        return any(role == "alert" and "F5" in name for role, name in renamed)

    check(wait_for(told, 5), "a screen reader is told the notice line's new text", renamed)
    pyatspi.Registry.deregisterEventListener(on_renamed, "object:property-change:accessible-name")
    picture = keyloom.find(keyloom.app, "panel", "Keyboard")
    f5 = next((picture.getChildAtIndex(i) for i in range(picture.childCount)
               if picture.getChildAtIndex(i).name == "F5"), None) if picture else None
    check(f5 is not None and "F5" in f5.description, "F5 is described by what it does now",
          f5.description if f5 else "none")

    # Escape cancels the dialog and sends nothing.
    before = frames
    keyloom.focus_window("Keyloom")
    check(focus_is(keyloom, "F5", "push button"), "the focus is back on F5",
          focused_name(keyloom))
    keys("Return")
    check(wait_for(keyloom.dialog, 10) is not None, "Enter opens the dialog again")
    keyloom.focus_window("Key assignment")
    keys("Escape")
    check(wait_for(lambda: keyloom.dialog() is None, 10), "Escape closes the dialog")
    check(keyloom.settled_frames() == before, "the cancelled dialog sent nothing")
    return frames


def mouse_journey(keyloom):
    picture = keyloom.find(keyloom.app, "panel", "Keyboard")
    f5 = next((picture.getChildAtIndex(i) for i in range(picture.childCount)
               if picture.getChildAtIndex(i).name == "F5"), None) if picture else None
    if not check(f5 is not None, "the mouse journey finds F5"):
        return []
    click(f5)
    dialog = wait_for(keyloom.dialog, 10)
    if not check(dialog is not None, "a click on F5 opens the dialog"):
        return []
    click(keyloom.find(dialog, "page tab", "Single key"))
    keys("F5")
    click(keyloom.find(keyloom.dialog(), "push button", "OK"))
    check(wait_for(lambda: keyloom.dialog() is None, 10), "a click on OK closes the dialog")
    return keyloom.settled_frames()


def read_in_chinese(keyloom):
    picture = keyloom.find(keyloom.app, "panel", "键盘")
    check(picture is not None and picture.childCount == 104,
          "in Chinese the keyboard picture is named 键盘 and has its keys")
    status = keyloom.find(keyloom.app, "status bar")
    check(status is not None and status.description == "连接状态",
          "in Chinese the connection status says what it is",
          status.description if status else "none")


def main():
    scratch = tempfile.mkdtemp(prefix="keyloom-atspi-")
    try:
        keyloom = Keyloom(scratch, "keys")
        try:
            read_main_window(keyloom)
            by_keys = keyboard_journey(keyloom)
        finally:
            keyloom.close()
        keyloom = Keyloom(scratch, "mouse")
        try:
            by_mouse = mouse_journey(keyloom)
        finally:
            keyloom.close()
        check(by_keys and by_keys == by_mouse,
              "the keyboard journey sent exactly the frames of the mouse journey",
              f"{len(by_keys)} and {len(by_mouse)} lines")
        keyloom = Keyloom(scratch, "chinese", "cn")
        try:
            read_in_chinese(keyloom)
        finally:
            keyloom.close()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 0 if results["failed"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())

"""Helpers for tests that drive the real program in Wine's virtual desktop on an
X display: the Wine prefix's registry and folders, screenshots, the taskbar and
its tray icon as X reports them, the program's popup windows and its log.

Needs DISPLAY and WINEPREFIX (scripts/test sets both), xdotool, xwininfo and
ImageMagick.
"""
import os
import re
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE = [os.path.join(ROOT, "scripts", "wine-exec")]
# The prefix scripts/wine-exec falls back to, so that the folders read here are its folders.
os.environ.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "windows", "wineprefix"))
KEY = r"HKCU\Software\Quillmoor\Skyframe"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
PROGRAM_CLASS = "skyframe.exe"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def tools_missing():
    return not os.environ.get("DISPLAY") or not all(shutil.which(t) for t in ("xdotool", "xwininfo", "import"))


def finish():
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


class Result:
    def __init__(self, stdout, code):
        self.stdout = stdout
        self.code = code


def run(args, text=True):
    # Through a file, not a pipe: a wineserver started by the command keeps
    # the pipe open for as long as it lives, and reading it to its end would wait for that.
    with tempfile.TemporaryFile() as out:
        done = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        out.seek(0)
        data = out.read()
    return Result(data.decode("utf-8", "replace") if text else data, done.returncode)


def wait_for(condition, timeout=15.0, step=0.1):
    end = time.time() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.time() >= end:
            return value
        time.sleep(step)


def stays(condition, seconds, step=0.1):
    """True when condition holds at every look for the whole period (nothing announces
    that something did not happen, so this is a bounded watch)."""
    end = time.time() + seconds
    while time.time() < end:
        if not condition():
            return False
        time.sleep(step)
    return bool(condition())


# --- registry --------------------------------------------------------------

def reg_value(name, key=KEY):
    """The value's data as text ('' for an empty string), or None when it is missing."""
    out = run(WINE + ["reg", "query", key, "/v", name]).stdout
    for line in out.splitlines():
        # "    Name    REG_SZ    data": four blanks before the data, which may itself be blanks.
        m = re.match(r"\s*(\S+) {4}(REG_\w+)(?: {4}(.*))?$", line.rstrip("\r"))
        if m and m.group(1).lower() == name.lower():
            return m.group(3) or ""
    return None


def reg_dword(name):
    value = reg_value(name)
    try:
        return int(value, 16) if value is not None else None
    except ValueError:
        return None


def reg_set(name, value):
    run(WINE + ["reg", "add", KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f"])


def reset_settings():
    run(WINE + ["reg", "delete", KEY, "/f"])


def desktop_wallpaper():
    return reg_value("Wallpaper", DESKTOP_KEY)


# --- the prefix's folders ---------------------------------------------------

def windows_folder(variable):
    """A folder of the profile (e.g. APPDATA) as a path on this machine."""
    out = run(WINE + ["cmd", "/c", "echo", "%" + variable + "%"]).stdout.strip()
    if not re.match(r"^[Cc]:\\", out):
        return None
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *out[3:].split("\\"))


class Profile:
    def __init__(self):
        self.appdata = windows_folder("APPDATA")
        self.local = windows_folder("LOCALAPPDATA")
        self.home = windows_folder("USERPROFILE")
        self.user = run(WINE + ["cmd", "/c", "echo", "%USERNAME%"]).stdout.strip()
        self.data = os.path.join(self.appdata, "Quillmoor", "Skyframe")
        self.log = os.path.join(self.data, "kq_sf_log.txt")
        self.bitmap_windows = None

    def forget_program_data(self):
        for base in (self.appdata, self.local):
            folder = os.path.join(base, "Quillmoor")
            if os.path.islink(folder):
                raise RuntimeError(folder + " is a link; refusing to remove it")
            shutil.rmtree(folder, ignore_errors=True)

    def pictures_folder(self):
        folder = os.path.join(self.home, "Pictures")
        # scripts/wine-exec turns Wine's links to the host's home into plain
        # folders; a link here would lead out of the prefix.
        if os.path.islink(folder):
            raise RuntimeError(folder + " is a link; refusing to fill it")
        os.makedirs(folder, exist_ok=True)
        return folder

    def log_text(self):
        try:
            with open(self.log, "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return ""

    def log_count(self, text):
        return self.log_text().count(text)


# --- the screen --------------------------------------------------------------

def root_size():
    out = run(["xwininfo", "-root"]).stdout
    w = re.search(r"Width:\s*(\d+)", out)
    h = re.search(r"Height:\s*(\d+)", out)
    return (int(w.group(1)), int(h.group(1))) if w and h else (0, 0)


class Screen:
    """One screenshot, its pixels readable as (r, g, b)."""

    def __init__(self, path):
        self.path = path
        self.w, self.h = root_size()
        run(["import", "-window", "root", path])
        self.raw = run(["convert", path, "-depth", "8", "rgb:-"], text=False).stdout
        if len(self.raw) != self.w * self.h * 3:
            self.w = self.h = 0
            self.raw = b""

    def px(self, x, y):
        if not (0 <= x < self.w and 0 <= y < self.h):
            return (0, 0, 0)
        i = (y * self.w + x) * 3
        return tuple(self.raw[i:i + 3])

    def crop(self, rect, name):
        left, top, right, bottom = rect
        run(["convert", self.path, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
             "+repage", os.path.join(os.path.dirname(self.path), name)])


# --- X windows ----------------------------------------------------------------

TREE_LINE = re.compile(r'^(\s*)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((.*?)\)\s+'
                       r'(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)')


class Window:
    def __init__(self, wid, name, classes, w, h, x, y, depth):
        self.id, self.name, self.classes = wid, name, classes
        self.w, self.h, self.x, self.y, self.depth = w, h, x, y, depth

    @property
    def rect(self):
        return (self.x, self.y, self.x + self.w, self.y + self.h)

    def centre(self):
        return (self.x + self.w // 2, self.y + self.h // 2)


def window_tree():
    windows = []
    for line in run(["xwininfo", "-root", "-tree"]).stdout.splitlines():
        m = TREE_LINE.match(line)
        if m:
            windows.append(Window(int(m.group(2), 16), m.group(3) or "", m.group(4), int(m.group(5)),
                                  int(m.group(6)), int(m.group(7)), int(m.group(8)), len(m.group(1))))
    return windows


def visible_ids(cls):
    out = run(["xdotool", "search", "--onlyvisible", "--class", cls]).stdout
    return {int(t) for t in out.split() if t.isdigit()}


def program_windows():
    """The program's windows on the screen now: its menus and status popups
    (the main window is hidden). Tiny helper windows are left out."""
    ids = visible_ids(PROGRAM_CLASS)
    return [w for w in window_tree() if w.id in ids and PROGRAM_CLASS in w.classes and w.w > 8 and w.h > 8]


def taskbar():
    """The virtual desktop's taskbar as X sees it: the desktop's child window that
    spans its whole width along its bottom edge; None when there is none."""
    tree = window_tree()
    desktops = [w for w in tree if w.name.endswith("Wine desktop")]
    if not desktops:
        return None
    d = desktops[0]
    bars = [w for w in tree if w.depth > d.depth and "explorer.exe" in w.classes and w.w == d.w
            and 8 <= w.h <= d.h // 8 and w.y + w.h == d.y + d.h]
    return bars[0] if bars else None


def most_common(pixels):
    counts = {}
    for p in pixels:
        counts[p] = counts.get(p, 0) + 1
    return max(counts, key=counts.get) if counts else None


def tray_icon(screen, bar):
    """The rightmost picture on the taskbar (where the tray area is), as (left, top,
    right, bottom), or None when the right end of the bar is empty."""
    if bar is None or screen.w == 0:
        return None
    left, top, right, bottom = bar.rect
    background = most_common(screen.px(x, y) for x in range(left, right, 3) for y in range(top, bottom, 3))

    def ink(x):
        return [y for y in range(top + 1, bottom - 1) if screen.px(x, y) != background]

    x = right - 2
    while x > right - 4 * bar.h and not ink(x):
        x -= 1
    if not ink(x):
        return None
    icon_right = x + 1
    rows = []
    while x > left and ink(x):
        rows += ink(x)
        x -= 1
    return (x + 1, min(rows), icon_right, max(rows) + 1)


def find_icon(shot_path, timeout=30):
    """Waits for the tray icon to be drawn; returns its centre or None."""
    def look():
        rect = tray_icon(Screen(shot_path), taskbar())
        return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2) if rect else None
    return wait_for(look, timeout, 0.3)


def xdo(*args):
    return run(["xdotool"] + [str(a) for a in args])


def tooltips_away():
    """No explorer tooltip (the icon's tip) on the screen."""
    bar = taskbar()
    tree = window_tree()
    ids = visible_ids("explorer.exe")
    return not [w for w in tree if w.id in ids and "explorer.exe" in w.classes and w.w > 8 and w.h > 8
                and not w.name.endswith("Wine desktop") and (bar is None or w.id != bar.id)]


def start(exe):
    return subprocess.Popen(WINE + [exe], cwd=os.path.dirname(exe),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# --- the tray menu ------------------------------------------------------------

WHITE = (255, 255, 255)


def find_menu(screen, window):
    """The menu's white box inside the menu's window, or None."""
    if window is None:
        return None
    x0, y0, x1, y1 = window.rect
    rows = [y for y in range(y0, y1) if sum(1 for x in range(x0, x1, 2) if screen.px(x, y) == WHITE) > window.w // 5]
    if len(rows) < window.h // 2:
        return None
    top, bottom = rows[0], rows[-1]
    mid = (top + bottom) // 2
    cols = [x for x in range(x0, x1) if screen.px(x, mid) == WHITE]
    return (cols[0], top, cols[-1], bottom) if cols else None


def menu_bands(screen, box):
    """Rows of the menu from top to bottom: ('sep', y) or ('text', y, enabled)."""
    left, top, right, bottom = box
    ink_rows = []
    for y in range(top + 2, bottom - 1):
        black = grey = span = 0
        first = last = None
        for x in range(left + 3, right - 3):
            p = screen.px(x, y)
            if p == WHITE:
                continue
            first = x if first is None else first
            last = x
            if max(p) < 40:
                black += 1
            else:
                grey += 1
        if first is not None:
            span = last - first
            ink_rows.append((y, black, grey, span))
    bands, current = [], []
    for row in ink_rows:
        if current and row[0] != current[-1][0] + 1:
            bands.append(current)
            current = []
        current.append(row)
    if current:
        bands.append(current)
    width = right - left
    out = []
    for b in bands:
        height = len(b)
        if height <= 3 and max(r[3] for r in b) > 0.6 * width:
            out.append(("sep", b[0][0]))
        elif height <= 3:
            continue  # an accelerator's underline below its text
        else:
            # Grey text has no black pixel at all; black text has grey edges.
            black = sum(r[1] for r in b)
            out.append(("text", (b[0][0] + b[-1][0]) // 2, black > 10))
    return out


def menu_kinds(bands):
    return "".join("-" if b[0] == "sep" else ("E" if b[2] else "g") for b in bands)


class Menu:
    def __init__(self, window, screen, box, bands):
        self.window, self.screen, self.box, self.bands = window, screen, box, bands

    @property
    def texts(self):
        return [b for b in self.bands if b[0] == "text"]


def the_menu_window():
    windows = program_windows()
    return windows[0] if len(windows) == 1 else None


def open_menu(icon, shot_path, entries=10, timeout=10):
    """Right-clicks the icon and waits for the menu's window and then for its drawn
    entries; returns a Menu (possibly without a box) or None when no window came."""
    xdo("mousemove", "--sync", *icon)
    xdo("click", 3)
    window = wait_for(the_menu_window, timeout)
    if not window:
        return None
    # Away from the icon, so that its tip does not cover the menu.
    xdo("mousemove", "--sync", 300, 300)
    wait_for(tooltips_away, 5)
    return read_menu(window, shot_path, entries, timeout)


def read_menu(window, shot_path, entries=10, timeout=10):
    last = [None]

    def drawn():
        screen = Screen(shot_path)
        box = find_menu(screen, window)
        bands = menu_bands(screen, box) if box else []
        last[0] = Menu(window, screen, box, bands)
        return box is not None and len([b for b in bands if b[0] == "text"]) >= entries
    wait_for(drawn, timeout, 0.2)
    return last[0]


def menu_gone(timeout=10):
    return wait_for(lambda: not program_windows(), timeout)


def close_menu():
    xdo("mousemove", "--sync", 300, 300)
    xdo("click", 1)
    return menu_gone()


def exit_through_menu(icon, program, shot_path):
    """Chooses Exit (the last entry); returns the program's exit code or None."""
    menu = open_menu(icon, shot_path)
    if not menu or not menu.box or not menu.texts:
        close_menu()
        return None
    xdo("mousemove", "--sync", menu.box[0] + 40, menu.texts[-1][1])
    xdo("click", 1)
    try:
        return program.wait(15)
    except subprocess.TimeoutExpired:
        return None

#!/usr/bin/env python3
"""The tray of the real program driven with the mouse and the keyboard, under
Wine's virtual desktop on Xvfb (1280 x 1024, the tray icon at the right end of
the taskbar). Screenshots of each step are kept in the folder given second.

  tray_clicks_test.py SKYFRAME_EXE SHOT_DIR

Needs DISPLAY and WINEPREFIX (scripts/test sets both), xdotool and ImageMagick.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE = [os.path.join(ROOT, "scripts", "wine-exec")]
KEY = r"HKCU\Software\Quillmoor\Skyframe"
ICON = (1270, 1014)          # the tray icon in the virtual desktop's taskbar
WORK_BOTTOM = 1004           # the taskbar starts here
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


class Result:
    def __init__(self, stdout):
        self.stdout = stdout


def run(args, text=True):
    # Through a file, not a pipe: a wineserver started by the command keeps
    # the pipe open for as long as it lives, and reading it to its end would wait for that.
    with tempfile.TemporaryFile() as out:
        subprocess.run(args, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        out.seek(0)
        data = out.read()
    return Result(data.decode("utf-8", "replace") if text else data)


def reg_dword(name):
    out = run(WINE + ["reg", "query", KEY, "/v", name]).stdout
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == name:
            return int(parts[-1], 16)
    return None


def reg_set(name, value):
    run(WINE + ["reg", "add", KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f"])


def wait_for(condition, timeout=15.0, step=0.2):
    end = time.time() + timeout
    while time.time() < end:
        if condition():
            return True
        time.sleep(step)
    return False


def xdo(*args):
    run(["xdotool"] + [str(a) for a in args])


class Screen:
    """One screenshot, its pixels readable as (r, g, b)."""

    def __init__(self, path):
        self.path = path
        run(["import", "-window", "root", path])
        raw = run(["convert", path, "-depth", "8", "rgb:-"], text=False).stdout
        self.raw = raw
        self.w, self.h = 1280, 1024

    def px(self, x, y):
        i = (y * self.w + x) * 3
        return tuple(self.raw[i:i + 3])


def find_menu(screen):
    """The tray menu's box: the white rectangle left of and above the icon, or None."""
    x0, y0 = 600, 400
    rows = [y for y in range(y0, WORK_BOTTOM)
            if sum(1 for x in range(x0, 1280, 2) if screen.px(x, y) == (255, 255, 255)) > 60]
    if len(rows) < 100:
        return None
    top, bottom = rows[0], rows[-1]
    mid = (top + bottom) // 2
    cols = [x for x in range(x0, 1280) if screen.px(x, mid) == (255, 255, 255)]
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
            if p == (255, 255, 255):
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


def start(exe):
    return subprocess.Popen(WINE + [exe], cwd=os.path.dirname(exe),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def open_menu_with_right_click():
    xdo("mousemove", *ICON)
    time.sleep(0.3)
    xdo("click", 3)
    time.sleep(0.4)
    # Away from the icon, so that its tip does not cover the menu.
    xdo("mousemove", 300, 300)
    time.sleep(0.8)


def close_menu():
    xdo("mousemove", 300, 300)
    time.sleep(0.2)
    xdo("click", 1)
    time.sleep(0.6)


def changed_near_tray(before, after):
    """Pixels that differ in the corner above the tray, where the status message shows."""
    return sum(1 for x in range(1080, 1280, 4) for y in range(WORK_BOTTOM - 90, WORK_BOTTOM, 4)
               if before.px(x, y) != after.px(x, y))


def main():
    exe, shots = os.path.abspath(sys.argv[1]), sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    run(WINE + ["reg", "delete", KEY, "/f"])
    reg_set("ShowSplashScreen", 0)
    reg_set("GetImageFromInternet", 0)
    reg_set("DebugLog", 0)

    program = start(exe)
    if not check(wait_for(lambda: reg_dword("CrashFlag") == 0, 30), "the program starts"):
        return
    time.sleep(1.5)
    check(program.poll() is None, "it keeps running (no other instance held the mutex)")

    # Right click: the menu with every entry; the internet entries grey.
    open_menu_with_right_click()
    shot = Screen(os.path.join(shots, "menu_right_click.png"))
    box = find_menu(shot)
    if check(box is not None, "a right click opens the menu"):
        run(["convert", shot.path, "-crop", "%dx%d+%d+%d" % (box[2] - box[0] + 40, box[3] - box[1] + 40,
                                                           box[0] - 20, box[1] - 20), "+repage",
             os.path.join(shots, "menu_crop.png")])
        bands = menu_bands(shot, box)
        kinds = "".join("-" if b[0] == "sep" else ("E" if b[2] else "g") for b in bands)
        # Settings, Change Keywords | Next, Previous, Pause | Save, Block, Blank | Support | Exit
        check(kinds == "Eg-EEE-ggE-E-E", "entries and states read " + kinds + ", want Eg-EEE-ggE-E-E")
    close_menu()
    check(find_menu(Screen(os.path.join(shots, "menu_closed.png"))) is None, "a click elsewhere closes the menu")

    # Single left click: no menu at once, the menu after the double-click time.
    xdo("mousemove", *ICON)
    time.sleep(0.3)
    xdo("click", 1)
    early = Screen(os.path.join(shots, "single_click_early.png"))
    check(find_menu(early) is None, "no menu right after a single click")
    time.sleep(1.2)
    check(find_menu(Screen(os.path.join(shots, "single_click_late.png"))) is not None,
          "the menu after the double-click time")
    close_menu()

    # Double click: no menu.
    xdo("mousemove", *ICON)
    time.sleep(0.3)
    xdo("click", "--repeat", 2, "--delay", 80, 1)
    time.sleep(1.5)
    check(find_menu(Screen(os.path.join(shots, "double_click.png"))) is None, "a double click opens no menu")

    # The pause hot key twice: two messages, two writes.
    xdo("mousemove", 300, 300)
    for n, (want, name) in enumerate(((0, "disabled"), (1, "resumed"))):
        before = Screen(os.path.join(shots, "pause_%d_before.png" % (n + 1)))
        xdo("key", "shift+Pause")
        time.sleep(0.5)
        shot = Screen(os.path.join(shots, "pause_%d_%s.png" % (n + 1, name)))
        check(changed_near_tray(before, shot) > 300, "pause hot key %d: a status message next to the tray" % (n + 1))
        check(wait_for(lambda: reg_dword("ChangeAtTime") == want, 10), "pause hot key %d: ChangeAtTime %d"
              % (n + 1, want))
        time.sleep(2.5)  # the message fades out

    # Exit from the menu: a clean end, and a new start runs at once.
    open_menu_with_right_click()
    shot = Screen(os.path.join(shots, "menu_before_exit.png"))
    box = find_menu(shot)
    texts = [b for b in menu_bands(shot, box) if b[0] == "text"] if box else []
    if check(len(texts) == 10, "the menu for Exit"):
        xdo("mousemove", box[0] + 40, texts[-1][1])
        time.sleep(0.3)
        xdo("click", 1)
        try:
            code = program.wait(15)
        except subprocess.TimeoutExpired:
            code = None
        check(code == 0, "Exit ends the program with 0 (got %s)" % code)
        check(reg_dword("CrashFlag") == 0, "the crash flag is clear after Exit")
        program = start(exe)
        time.sleep(3)
        check(program.poll() is None, "a new start after Exit runs at once")
    # Leave nothing running: Exit through the menu of whichever instance runs.
    if program.poll() is None:
        open_menu_with_right_click()
        shot = Screen(os.path.join(shots, "menu_final.png"))
        box = find_menu(shot)
        texts = [b for b in menu_bands(shot, box) if b[0] == "text"] if box else []
        if texts:
            xdo("mousemove", box[0] + 40, texts[-1][1])
            time.sleep(0.3)
            xdo("click", 1)
        try:
            program.wait(15)
        except subprocess.TimeoutExpired:
            program.kill()
            failures.append("the program did not end")


if __name__ == "__main__":
    if not os.environ.get("DISPLAY") or not shutil.which("xdotool") or not shutil.which("import"):
        print("skipped: needs DISPLAY, xdotool and ImageMagick")
        sys.exit(77)
    main()
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)

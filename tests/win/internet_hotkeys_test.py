#!/usr/bin/env python3
"""Internet wallpapers by the real X keyboard (xdotool): with the default
settings and the engine stand-in as WinInet's proxy, Ctrl+PageDown shows the
search's first picture on the desktop, again its second, and Ctrl+PageUp the
first once more without asking the stand-in for it again. Screenshots of each
step are kept in the folder given second.

  internet_hotkeys_test.py SKYFRAME_EXE SHOT_DIR

Needs DISPLAY and WINEPREFIX (scripts/test sets both), xdotool, xwininfo and ImageMagick.
"""
import os
import sys
import tempfile
import time
import urllib.request

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "plugin", "tests"))
from engine_stand_in import colour  # noqa: E402
from xdesktop import (WINE, Profile, Screen, check, exit_through_menu, failures, find_icon, finish,  # noqa: E402
                      menu_gone, reg_dword, reg_set, reset_settings, run, tools_missing, wait_for, xdo)
import subprocess  # noqa: E402

CHANGED = " Wallpaper change finished"
DOWNLOADING = " Status: Downloading next wallpaper"
PREVIOUS = " Status: Loading previous wallpaper"
INTERNET_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
STAND_IN = os.path.join(os.path.dirname(os.path.dirname(HERE)), "plugin", "tests", "engine_stand_in.py")


class StandIn:
    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="sf-stand-in-")
        port_file = os.path.join(self.folder, "port")
        self.process = subprocess.Popen([sys.executable, "-B", STAND_IN, "--port-file", port_file,
                                         "--lifetime", "280"])
        wait_for(lambda: os.path.isfile(port_file), 10)
        with open(port_file) as f:
            self.port = int(f.read())

    def get(self, route):
        with urllib.request.urlopen("http://127.0.0.1:%d%s" % (self.port, route), timeout=10) as reply:
            return reply.read().decode()

    def requests(self):
        return self.get("/requests").splitlines()

    def stop(self):
        try:
            self.get("/quit")
        except OSError:
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def set_proxy(server):
    """The prefix's proxy settings, which WinInet reads when the plug-in opens its session."""
    if server:
        run(WINE + ["reg", "add", INTERNET_KEY, "/v", "ProxyServer", "/t", "REG_SZ", "/d", server, "/f"])
        run(WINE + ["reg", "add", INTERNET_KEY, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1", "/f"])
    else:
        run(WINE + ["reg", "add", INTERNET_KEY, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "0", "/f"])
        run(WINE + ["reg", "delete", INTERNET_KEY, "/v", "ProxyServer", "/f"])


def shows(screen, record):
    """The middle of the desktop has the colour of the stand-in's picture of this record."""
    return screen.px(screen.w // 2, screen.h // 2) == colour(record)


def main():
    exe, shots = os.path.abspath(sys.argv[1]), sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    shot = lambda name: os.path.join(shots, name)  # noqa: E731
    profile = Profile()
    if not check(profile.appdata is not None and profile.local is not None, "the prefix's profile folders"):
        return
    reset_settings()
    profile.forget_program_data()
    stand_in = StandIn()
    try:
        # Pictures of the screen's proportions, so the fitted one covers the middle.
        stand_in.get("/setup?count=6&per_page=3&px_w=64&px_h=48")
        set_proxy("127.0.0.1:%d" % stand_in.port)
        drive(exe, shot, profile, stand_in)
    finally:
        set_proxy("")
        stand_in.stop()


def drive(exe, shot, profile, stand_in):
    # Default settings but for the splash, the autostart entry and the schedule
    # (paused, so that only the keys change the wallpaper).
    reg_set("ShowSplashScreen", 0)
    reg_set("RunAtStartup", 0)
    reg_set("ChangeAtTime", 0)
    program = subprocess.Popen(WINE + [exe], cwd=os.path.dirname(exe), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    if not check(wait_for(lambda: "Beginning event loop" in profile.log_text(), 30), "the program starts"):
        program.kill()
        return
    icon = find_icon(shot("started.png"))
    check(icon is not None, "its tray icon shows")
    xdo("mousemove", "--sync", 300, 300)

    def step(key, changes, record, name):
        xdo("key", key)
        if not check(wait_for(lambda: profile.log_count(CHANGED) == changes, 60),
                     "%s changes the wallpaper (%d changes logged)" % (key, profile.log_count(CHANGED))):
            return False
        menu_gone(10)
        # The popup may cover part of the desktop for a moment; the middle is what counts.
        check(wait_for(lambda: shows(Screen(shot(name)), record), 10),
              "after %s the desktop shows record %d's colour %s" % (key, record, colour(record)))
        return True

    if not step("ctrl+Next", 1, 1, "first.png"):
        exit_through_menu(icon, program, shot("menu_exit.png"))
        return
    check(profile.log_count(DOWNLOADING) == 1, "the key said it was downloading")
    asked = [r for r in stand_in.requests() if "pics.example" in r]
    check(asked and asked[0].endswith("/r1.jpg"), "the first picture asked for was record 1 (%s)" % asked[:3])

    if step("ctrl+Next", 2, 2, "second.png"):
        before = stand_in.requests()
        if step("ctrl+Prior", 3, 1, "previous.png"):
            check(profile.log_count(PREVIOUS) == 1, "the key said it was loading the previous picture")
            again = [r for r in stand_in.requests()[len(before):] if r.endswith("/r1.jpg")]
            check(not again, "going back asked the stand-in for nothing (%s)" % again)
    check(reg_dword("CrashFlag") == 0, "no change is left half done")

    code = exit_through_menu(icon, program, shot("menu_exit.png")) if icon else None
    check(code == 0, "Exit ends the program with 0 (got %s)" % code)
    if program.poll() is None:
        program.kill()
        failures.append("the program did not end")


if __name__ == "__main__":
    if tools_missing():
        print("skipped: needs DISPLAY, xdotool, xwininfo and ImageMagick")
        sys.exit(77)
    main()
    sys.exit(finish())

#!/usr/bin/env python3
"""Hot keys pressed on the real X keyboard (xdotool) in Wine's virtual desktop:
one press acts once, and so does a key held down long enough to auto-repeat.
Scroll Lock matters in particular: under Wine one press of a lock key can
arrive as two. Screenshots of each step are kept in the folder given second.

  hotkey_presses_test.py SKYFRAME_EXE SHOT_DIR

Needs DISPLAY and WINEPREFIX (scripts/test sets both), xdotool, xwininfo and ImageMagick.
"""
import os
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xdesktop import (Profile, Screen, check, desktop_wallpaper, exit_through_menu, failures,  # noqa: E402
                      find_icon, finish, menu_gone, reg_dword, reg_set, reset_settings, run, start,
                      stays, tools_missing, wait_for, xdo)

CHANGED = " Wallpaper change finished"
IN_PROGRESS = " Status: Wallpaper change already in progress"
DISABLED = " Status: Automatic wallpaper changing disabled"
RESUMED = " Status: Automatic wallpaper changing resumed"
BLANK_KEY = "shift+Scroll_Lock"
PAUSE_KEY = "shift+Pause"
HOLD_SECONDS = 1.5
# Long enough for a second toggle (a lock key's echo, a repeat) to have shown.
QUIET_SECONDS = 2.5
PICTURES = (("one.bmp", "#C02020", (0xC0, 0x20, 0x20)), ("two.bmp", "#20A040", (0x20, 0xA0, 0x40)))
PICTURE_COLOURS = {rgb for _, _, rgb in PICTURES}


def shows_picture(screen):
    """The middle of the desktop has one of the two pictures' colours."""
    return screen.px(screen.w // 2, screen.h // 2) in PICTURE_COLOURS


def is_blank(value):
    return value is not None and value.strip() == ""


def press(key):
    xdo("key", key)


def hold(key, seconds=HOLD_SECONDS):
    # The X server repeats a held key; the program must act on the press only.
    xdo("keydown", key)
    time.sleep(seconds)
    xdo("keyup", key)


def main():
    exe, shots = os.path.abspath(sys.argv[1]), sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    shot = lambda name: os.path.join(shots, name)  # noqa: E731
    profile = Profile()
    if not check(profile.appdata is not None and profile.home is not None, "the prefix's profile folders"):
        return
    reset_settings()
    profile.forget_program_data()
    pictures = profile.pictures_folder()
    for name in os.listdir(pictures):
        path = os.path.join(pictures, name)
        if os.path.isfile(path) or os.path.islink(path):
            os.remove(path)
    # Two solid pictures, so that a screenshot tells a picture from the blank desktop.
    made = [os.path.join(pictures, name) for name, _, _ in PICTURES]
    for path, (_, colour, _) in zip(made, PICTURES):
        run(["convert", "-size", "1280x1024", "xc:" + colour, "-type", "TrueColor", "BMP3:" + path])
    try:
        drive(exe, shot, profile)
    finally:
        # The prefix is shared with the other whole-program tests.
        for path in made:
            if os.path.isfile(path):
                os.remove(path)


def drive(exe, shot, profile):
    reg_set("ShowSplashScreen", 0)
    reg_set("GetImageFromInternet", 0)
    reg_set("ChangeAtStartup", 0)
    reg_set("DebugLog", 1)

    program = start(exe)
    if not check(wait_for(lambda: "Beginning event loop" in profile.log_text(), 30), "the program starts"):
        program.kill()
        return
    icon = find_icon(shot("started.png"))
    check(icon is not None, "its tray icon shows")
    xdo("mousemove", "--sync", 300, 300)

    # Pause: a held key toggles once, and so does one press.
    counts = lambda: (profile.log_count(DISABLED), profile.log_count(RESUMED))  # noqa: E731
    hold(PAUSE_KEY)
    check(wait_for(lambda: counts() != (0, 0), 10), "holding the pause key pauses")
    check(stays(lambda: counts() == (1, 0), QUIET_SECONDS),
          "holding the pause key for %.1f s toggles once (disabled, resumed: %s)" % (HOLD_SECONDS, counts()))
    check(reg_dword("ChangeAtTime") == 0, "after the held pause key ChangeAtTime is 0")
    Screen(shot("pause_held.png"))
    menu_gone(10)
    before = counts()
    press(PAUSE_KEY)
    check(wait_for(lambda: counts() != before, 10), "one press of the pause key toggles")
    check(stays(lambda: sum(counts()) == sum(before) + 1, QUIET_SECONDS),
          "one press of the pause key toggles once (disabled, resumed: %s before, %s after)" % (before, counts()))
    menu_gone(10)

    # A picture on the desktop, by the next-image key.
    press("ctrl+Next")
    if not check(wait_for(lambda: profile.log_count(CHANGED) == 1, 30), "Ctrl+PageDown changes the wallpaper"):
        exit_through_menu(icon, program, shot("menu_exit.png"))
        return
    shown = desktop_wallpaper()
    check(shown is not None and not is_blank(shown), "the desktop names a wallpaper (%r)" % shown)
    menu_gone(10)
    check(shows_picture(Screen(shot("picture.png"))), "the picture shows on the desktop")

    def blank_and_still(changes):
        return is_blank(desktop_wallpaper()) and profile.log_count(CHANGED) == changes

    def restored_and_still(changes):
        return desktop_wallpaper() == shown and profile.log_count(CHANGED) == changes

    # Blank: one press of Shift+Scroll Lock blanks once, and the desktop stays blank.
    changes = profile.log_count(CHANGED)
    press(BLANK_KEY)
    # Either outcome ends the wait: blank, or a restore that followed at once.
    wait_for(lambda: is_blank(desktop_wallpaper()) or profile.log_count(CHANGED) > changes, 10)
    check(stays(lambda: blank_and_still(changes), QUIET_SECONDS),
          "one press of the blank key blanks the wallpaper and it stays blank (wallpaper %r, restores %d)"
          % (desktop_wallpaper(), profile.log_count(CHANGED) - changes))
    check(not shows_picture(Screen(shot("blank_one_press.png"))), "after one press the desktop shows no picture")

    # Restore: a second press shows the picture again, once.
    if is_blank(desktop_wallpaper()):
        changes = profile.log_count(CHANGED)
        press(BLANK_KEY)
        check(wait_for(lambda: profile.log_count(CHANGED) > changes, 30), "a second press restores the wallpaper")
        check(stays(lambda: restored_and_still(changes + 1), QUIET_SECONDS),
              "the wallpaper stays restored (wallpaper %r, restores %d)"
              % (desktop_wallpaper(), profile.log_count(CHANGED) - changes))
        menu_gone(10)
        check(shows_picture(Screen(shot("restored.png"))), "after the second press the picture shows")
    # Whatever the presses above did, start the held key from the picture with nothing running.
    def settled():
        now = profile.log_count(CHANGED)
        return stays(lambda: profile.log_count(CHANGED) == now, 1.0)
    if not wait_for(lambda: desktop_wallpaper() == shown and settled(), 30):
        check(False, "the picture is back before the held key")
        exit_through_menu(icon, program, shot("menu_exit.png"))
        return

    # Held: the blank key held past the auto-repeat delay blanks once and nothing more.
    changes = profile.log_count(CHANGED)
    hold(BLANK_KEY)
    wait_for(lambda: is_blank(desktop_wallpaper()) or profile.log_count(CHANGED) > changes, 10)
    check(stays(lambda: blank_and_still(changes), QUIET_SECONDS),
          "holding the blank key for %.1f s blanks once and it stays blank (wallpaper %r, restores %d)"
          % (HOLD_SECONDS, desktop_wallpaper(), profile.log_count(CHANGED) - changes))
    check(profile.log_count(IN_PROGRESS) == 0, "no repeated blank/restore ran into a change in progress")
    check(not shows_picture(Screen(shot("blank_held.png"))), "after the held key the desktop shows no picture")
    menu_gone(10)

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

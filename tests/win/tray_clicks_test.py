#!/usr/bin/env python3
"""The tray of the real program driven with the mouse and the keyboard, under
Wine's virtual desktop on Xvfb. The icon is looked for at the right end of the
taskbar window that X reports. Screenshots of each step are kept in the folder
given second.

  tray_clicks_test.py SKYFRAME_EXE SHOT_DIR

Needs DISPLAY and WINEPREFIX (scripts/test sets both), xdotool, xwininfo and ImageMagick.
"""
import os
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xdesktop import (Screen, check, close_menu, exit_through_menu, failures, find_icon, finish,  # noqa: E402
                      menu_gone, menu_kinds, open_menu, program_windows, reg_dword, reg_set,
                      reset_settings, start, taskbar, the_menu_window, tools_missing, wait_for, xdo)

# Settings, Change Keywords | Next, Previous, Pause | Save, Block, Blank | Support | Exit
MENU_LAYOUT = "Eg-EEE-ggE-E-E"


def main():
    exe, shots = os.path.abspath(sys.argv[1]), sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    shot = lambda name: os.path.join(shots, name)  # noqa: E731
    reset_settings()
    reg_set("ShowSplashScreen", 0)
    reg_set("GetImageFromInternet", 0)

    if not check(wait_for(taskbar, 30) is not None, "the virtual desktop has a taskbar"):
        return
    program = start(exe)
    if not check(wait_for(lambda: reg_dword("CrashFlag") == 0, 30), "the program starts"):
        return
    icon = find_icon(shot("started.png"))
    if not check(icon is not None, "its icon shows at the right end of the taskbar"):
        return
    bar = taskbar()
    check(bar.x <= icon[0] < bar.x + bar.w and bar.y <= icon[1] < bar.y + bar.h,
          "the icon %s lies on the taskbar %s" % (icon, bar.rect))
    check(program.poll() is None, "it keeps running (no other instance held the mutex)")

    # Right click: the menu with every entry; the internet entries grey.
    menu = open_menu(icon, shot("menu_right_click.png"))
    if check(menu is not None and menu.box is not None, "a right click opens the menu"):
        left, top, right, bottom = menu.box
        menu.screen.crop((max(left - 20, 0), max(top - 20, 0), right + 20, bottom + 20), "menu_crop.png")
        kinds = menu_kinds(menu.bands)
        check(kinds == MENU_LAYOUT, "entries and states read %s, want %s" % (kinds, MENU_LAYOUT))
        check(bottom <= bar.y, "the menu stays above the taskbar")
    check(close_menu(), "a click elsewhere closes the menu")
    Screen(shot("menu_closed.png"))

    # Single left click: no menu at once, the menu after the double-click time.
    xdo("mousemove", "--sync", *icon)
    xdo("click", 1)
    clicked = time.time()
    check(not program_windows(), "no menu right after a single click")
    Screen(shot("single_click_early.png"))
    window = wait_for(the_menu_window, 5)
    if check(window is not None, "the menu after the double-click time"):
        check(time.time() - clicked >= 0.2, "the single-click menu waits for the double-click time")
        Screen(shot("single_click_late.png"))
    close_menu()

    # Double click: the settings dialog and no menu beside it (nothing announces
    # that none comes: a bounded watch); Escape closes the dialog again.
    xdo("mousemove", "--sync", *icon)
    xdo("click", "--repeat", 2, "--delay", 80, 1)
    dialog = wait_for(lambda: [w for w in program_windows() if w.name == "Configure Skyframe"], 5) or []
    check(len(dialog) == 1, "a double click opens the settings dialog")
    check(not wait_for(lambda: len(program_windows()) > len(dialog), 1.5), "a double click opens no menu")
    Screen(shot("double_click.png"))
    xdo("key", "Escape")
    check(menu_gone(), "Escape closes the settings dialog")

    # The pause hot key twice: two messages, two writes.
    xdo("mousemove", "--sync", 300, 300)
    for n, (want, name) in enumerate(((0, "disabled"), (1, "resumed"))):
        xdo("key", "shift+Pause")
        popup = wait_for(program_windows, 5)
        if check(bool(popup), "pause hot key %d: a status message" % (n + 1)):
            Screen(shot("pause_%d_%s.png" % (n + 1, name)))
            p = popup[0]
            check(p.y + p.h <= bar.y and p.x + p.w > bar.x + bar.w // 2,
                  "pause hot key %d: the message sits above the tray (%s)" % (n + 1, p.rect))
        check(wait_for(lambda: reg_dword("ChangeAtTime") == want, 10), "pause hot key %d: ChangeAtTime %d"
              % (n + 1, want))
        check(menu_gone(10), "pause hot key %d: the message goes away" % (n + 1))

    # Exit from the menu: a clean end, the icon leaves, and a new start runs at once.
    code = exit_through_menu(icon, program, shot("menu_before_exit.png"))
    check(code == 0, "Exit ends the program with 0 (got %s)" % code)
    if code is not None:
        check(reg_dword("CrashFlag") == 0, "the crash flag is clear after Exit")
        check(wait_for(lambda: find_icon(shot("after_exit.png"), 0) is None, 10), "the icon leaves the taskbar")
        program = start(exe)
        check(find_icon(shot("restarted.png")) is not None and program.poll() is None,
              "a new start after Exit runs at once")
    # Leave nothing running: Exit through the menu of whichever instance runs.
    if program.poll() is None:
        icon = find_icon(shot("final.png")) or icon
        if exit_through_menu(icon, program, shot("menu_final.png")) is None:
            program.kill()
            failures.append("the program did not end")


if __name__ == "__main__":
    if tools_missing():
        print("skipped: needs DISPLAY, xdotool, xwininfo and ImageMagick")
        sys.exit(77)
    main()
    sys.exit(finish())

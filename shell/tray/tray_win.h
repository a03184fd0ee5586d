#pragma once
// The tray icon, its menu and the hot keys, on the main window. It shows
// whether a change runs (it listens to the pipeline) and hands every command
// to TrayCommands. Main thread only.
#include <windows.h>

#include <cstddef>

#include "settings/settings.h"
#include "shell/tray/tray_commands.h"
#include "shell/tray/tray_icon_win.h"
#include "shell/tray/tray_menu_win.h"
#include "shell/tray/tray_model.h"
#include "support/status_sink.h"
#include "ui/settings/settings_dialog_host_win.h"
#include "wallpaper/pipeline/change_listener.h"

class Tray final : public ChangeListener {
 public:
  // Icons, tray icon, TaskbarCreated, menu and hot keys on `window`. Every
  // reference must outlive the tray.
  Tray(HWND window, Settings& live, TrayCommands& commands, SettingsDialogHost& dialog, StatusSink& status);
  // Remove().
  ~Tray() override;
  Tray(const Tray&) = delete;
  Tray& operator=(const Tray&) = delete;

  // Removes the tray icon, unregisters the hot keys and stops the tray's
  // timers. Safe to call twice; the tray handles nothing afterwards.
  void Remove();

  // The window's messages that belong to the tray. Returns true (and the
  // result) when it handled `message`.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // ChangeListener: animate the icon while a change runs.
  void OnChangeStarted() override;
  void OnChangeEnded() override;

  // Normal or paused icon and tip, unless a change is running.
  void RefreshIcon();
  // Labels and enabled states of the menu from the live settings.
  void SyncMenu();
  // Registers the hot keys anew from the live settings.
  void ReRegisterHotKeys();

  // For the tests of the tray itself.
  CTrayIcon& Icon() { return icon; }
  CTrayMenu& Menu() { return menu; }
  bool Working() const { return working; }

 private:
  void RegisterHotKeys();
  void UnregisterHotKeys();
  void OnMouse(UINT mouseMessage);
  void OnAnimationTick();
  void ShowIdle();
  bool OnCommand(WORD id);
  void OnHotKey(int id, UINT modifiers, UINT key);
  void TogglePause();
  // `pause`: the hot key always leaves changing paused; the menu entry toggles it.
  void BlankOrRestore(bool pause);
  LRESULT Inspect() const;

  HWND window;
  Settings& live;
  TrayCommands& commands;
  SettingsDialogHost& dialog;
  StatusSink& status;
  CTrayIcon icon;
  CTrayMenu menu;
  bool created = false;
  // The icon animates; display state only (the pipeline knows whether a change runs).
  bool working = false;
  // The last double click on the icon has not yet been followed by its button-up.
  bool doubleClickSeen = false;
  std::size_t frame = 0;
  UINT taskbarCreatedMessage = 0;
  HotKeyPressFilter pressFilter;
};

#pragma once
// The program's entry sequence, its message loop and its orderly end.
#include <windows.h>

// Runs the program: returns the exit code of the process.
int RunProgram(HINSTANCE instance, int showCommand);
// Releases what start-up brought up, in reverse order. Safe to run twice (the
// logoff path runs it from WM_QUERYENDSESSION and again after the loop).
void Shutdown();
// (Re)starts the change timer from the live settings.
void ArmScheduler();
// WM_TIMER for the change timer.
void OnSchedulerTimer(HWND window);

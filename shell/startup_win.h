#pragma once
// The program's entry sequence: builds the application object and runs it.
#include <windows.h>

// Runs the program: returns the exit code of the process.
int RunProgram(HINSTANCE instance, int showCommand);

#pragma once
// The program's command-line options.
#include <string>

enum class StartMode { Normal, Configure, Uninstall, InitialSecurity };

// Options are case-insensitive substrings of the whole command line, looked for
// in the order "/c", "/uninstall", "/initialsecurity"; the first match wins.
StartMode ParseCommandLine(const std::string& commandLine);

#include "shell/command_line.h"

#include "support/text/ascii.h"

StartMode ParseCommandLine(const std::string& commandLine) {
  const std::string lower = ToLowerAscii(commandLine);
  if (lower.find("/c") != std::string::npos) return StartMode::Configure;
  if (lower.find("/uninstall") != std::string::npos) return StartMode::Uninstall;
  if (lower.find("/initialsecurity") != std::string::npos) return StartMode::InitialSecurity;
  return StartMode::Normal;
}

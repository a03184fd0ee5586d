#pragma once
// For tests that run under Wine: host paths, host programs, and host symbolic
// links, which Wine offers no Windows way to make.
#include <string>

namespace wine_host {

// The host path of a Windows path under Wine; empty elsewhere.
std::string HostPath(const std::string& dos);

// Runs a host program (Wine starts them like its own) and waits up to ten
// seconds for it; false when it could not be started. Its exit code does not
// come back through Wine, so callers check the result on disk.
bool RunHost(const char* program, std::string commandLine);

// Starts the host's ln for a symbolic link at `link` to `target` (both Windows
// paths). Wine shows such a link to programs as a reparse point, as Windows
// shows its own links. False when a path has no host name or ln did not start;
// otherwise the caller waits for the link to appear.
bool StartHostLink(const std::string& link, const std::string& target);

// Removes a host link with the host's rm; false when `link` has no host name.
bool RemoveHostLink(const std::string& link);

}  // namespace wine_host

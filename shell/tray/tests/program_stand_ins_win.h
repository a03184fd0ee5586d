#pragma once
// Stand-ins for the program's change pipeline and scheduler: each call is
// recorded by name so that the tray tests see which command reached them.
#include <string>
#include <vector>

namespace stand_in {
std::vector<std::string>& Calls();
// Calls() as one line: "Next(hot key) Arm ...".
std::string CallLine();
}  // namespace stand_in

#pragma once
// For the programs that drive Fetchpix.dll under Wine: a fault in any thread
// (the plug-in's own included) prints where it happened and ends the process
// at once. Without a filter Wine starts its debugger, and the test hangs until
// its time-out with nothing to show for it.

// Installs the process-wide filter; call once, before the plug-in loads.
void InstallFaultReport();

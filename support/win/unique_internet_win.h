#pragma once
// Owner for WinInet handles. Apart from unique_handle_win.h because <wininet.h>
// must not reach every user of the other owners (it clashes with <winhttp.h>).
#include <windows.h>
#include <wininet.h>

#include "support/win/unique_handle_win.h"

// Sessions, connections and requests alike; null means none.
using UniqueInternet = UniqueWinHandle<NullIsNone<HINTERNET, &::InternetCloseHandle>>;
